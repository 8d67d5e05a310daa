#pragma once

#include <QString>

namespace DestinationFolder {

// The folder a download is saved in: the program's own folder when this user may create files there
// (a copy unpacked into a folder of the user's), otherwise, and always for an installed copy, the
// user's download folder, made if it is missing.
QString choose(const QString &programFolder);

// Whether this user may create files in `folder`; an empty path, or one the file system cannot name, never.
bool isWritable(const QString &folder);

} // namespace DestinationFolder
