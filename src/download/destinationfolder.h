#pragma once

#include "refusal.h"

#include <QString>

namespace DestinationFolder {

// Where a download is saved, or why it cannot be.
struct Choice
{
    QString path; // absolute when there is no refusal; otherwise the folder as far as it is known
    Refusal refusal; // why there is no folder to save in
};

// The folder a download is saved in: the program's own folder when this user may create files there
// (a copy unpacked into a folder of the user's), otherwise, and always for an installed copy, the
// user's download folder, made if it is missing. Nothing is made anywhere but there.
Choice choose(const QString &programFolder);

// Whether this user may create files in `folder`; an empty path, or one the file system cannot name, never.
bool isWritable(const QString &folder);

} // namespace DestinationFolder
