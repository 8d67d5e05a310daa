#include "destinationfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(DestinationFolder)
};

// An installed copy (from the package, or cmake --install with any prefix) has its desktop entry in
// the share folder beside its bin folder; a copy unpacked somewhere has none. Its folder is a place
// for programs, not archives, even for a user who may write there: root, or ~/.local/bin.
bool isInstalledCopy(const QString &programFolder)
{
    return QFileInfo::exists(
        programFolder + QLatin1String("/../share/applications/vorn-tools-downloader.desktop"));
}

// $HOME when it names a folder, else the account's own home: without one, "$HOME/Downloads" would
// be "/Downloads".
QString homeFolder()
{
    const QString home = QFile::decodeName(qgetenv("HOME"));
    if (home.startsWith(QLatin1Char('/')))
        return home;
    const passwd *account = ::getpwuid(::geteuid());
    const QString own = account && account->pw_dir ? QFile::decodeName(account->pw_dir) : QString();
    return own.startsWith(QLatin1Char('/')) ? own : QString();
}

// The user's download folder as the desktop's user-dirs.dirs names it ("$HOME/Downloads", or an
// absolute path), ~/Downloads when it names none.
DestinationFolder::Choice downloadFolder()
{
    const QString home = homeFolder();
    if (home.isEmpty())
        return {QString(), Texts::tr("there is no home folder to find the download folder in")};
    QString configHome = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    if (!configHome.startsWith(QLatin1Char('/')))
        configHome = home + QLatin1String("/.config");
    const QString userDirs = configHome + QLatin1String("/user-dirs.dirs");
    QFile file(userDirs);
    static const QRegularExpression entry(uR"re(^\s*XDG_DOWNLOAD_DIR\s*=\s*"((?:[^"\\]|\\.)*)"\s*$)re"_qs);
    static const QRegularExpression escaped(uR"(\\(.))"_qs);
    QString folder = home + QLatin1String("/Downloads");
    for (bool open = file.open(QIODevice::ReadOnly | QIODevice::Text); open && !file.atEnd();) {
        const QRegularExpressionMatch match = entry.match(QString::fromUtf8(file.readLine()));
        if (!match.hasMatch())
            continue;
        // Written the way a shell reads it: a backslash keeps the next character as it is.
        folder = match.captured(1).replace(escaped, QStringLiteral("\\1"));
        if (folder == QLatin1String("$HOME") || folder.startsWith(QLatin1String("$HOME/")))
            folder.replace(0, 5, home);
    }
    // A relative one would be made wherever the program happens to run.
    if (!folder.startsWith(QLatin1Char('/')))
        return {QLatin1Char('"') + folder + QLatin1Char('"'),
            Texts::tr("the download folder set in %1 is not an absolute path").arg(userDirs)};
    return {folder, QString()};
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

Choice choose(const QString &programFolder)
{
    if (isWritable(programFolder) && !isInstalledCopy(programFolder))
        return {programFolder, QString()};
    Choice downloads = downloadFolder();
    std::error_code error;
    if (downloads.error.isEmpty()
        && !std::filesystem::create_directories(QFile::encodeName(downloads.path).toStdString(), error)
        && error) {
        downloads.error
            = Texts::tr("the folder could not be created (%1)").arg(QString::fromLocal8Bit(error.message()));
    }
    return downloads;
}

} // namespace DestinationFolder
