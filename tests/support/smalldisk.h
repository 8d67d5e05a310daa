#pragma once

#include <QString>

// Filesystems that fail as real disks do, for the tests of what happens then. They need root, and are
// mounted in a mount namespace of the test's own, so nothing outside the test sees them, even if the
// test dies. Each returns false where it cannot be had; the caller skips.
namespace SmallDisk {

// A filesystem of `bytes` at `folder` that fills up like a full disk; "ramfs" has no user attributes.
bool mountFull(const QString &folder, qint64 bytes, const char *type = "tmpfs");

// An ext2 filesystem of `bytes` at `folder`, which cannot set room aside for a file; its disk stores only
// `stored` bytes.
bool mountExt2(const QString &folder, qint64 bytes, qint64 stored);

// An ext4 filesystem of `bytes` at `folder`, with no room kept for root. `scattered`: its free room lies
// in single blocks, so that setting all of it aside takes more blocks for their map than are left.
bool mountExt4(const QString &folder, qint64 bytes, bool scattered = false);

// A filesystem at `folder` that takes writes into memory and fails to store them: fdatasync reports
// the error (a file system on a loop device whose backing file lies on a full tmpfs).
bool mountFailing(const QString &folder);

// Undoes either, also when only part of it was made.
void unmount(const QString &folder);

} // namespace SmallDisk
