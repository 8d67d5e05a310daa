#include "destinationfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcDestination, "vorn.destination", QtInfoMsg)

namespace {

// An installed copy (from the package, or cmake --install with any prefix) has its desktop entry in
// the share folder beside its bin folder; a copy unpacked somewhere has none. Its folder is a place
// for programs, not archives, even for a user who may write there: root, or ~/.local/bin.
bool isInstalledCopy(const QString &programFolder)
{
    return QFileInfo::exists(
        programFolder + QLatin1String("/../share/applications/vorn-tools-downloader.desktop"));
}

} // namespace

namespace DestinationFolder {

bool isWritable(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QByteArray encoded = QFile::encodeName(folder);
    // A name the locale cannot spell would be written somewhere else than the one asked for.
    if (QFile::decodeName(encoded) != folder)
        return false;
    // Asked with the effective user's rights, the ones the file is later created with.
    return ::faccessat(AT_FDCWD, encoded.constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

QString choose(const QString &programFolder)
{
    if (isWritable(programFolder) && !isInstalledCopy(programFolder))
        return programFolder;
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    // When it cannot be made, the download fails there with the system's reason, naming the folder.
    if (!QDir().mkpath(downloads))
        qCWarning(lcDestination) << "could not create" << downloads;
    return downloads;
}

} // namespace DestinationFolder
