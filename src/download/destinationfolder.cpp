#include "destinationfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
    QString home = QFile::decodeName(qgetenv("HOME"));
    if (home.startsWith(QLatin1Char('/')))
        return home;
    const passwd *account = ::getpwuid(::geteuid());
    const QString own = account && account->pw_dir ? QFile::decodeName(account->pw_dir) : QString();
    return own.startsWith(QLatin1Char('/')) ? own : QString();
}

// The text of the desktop's user-dirs.dirs, read without ever waiting: only a regular file is read,
// since a FIFO at its name would hold the window for good. None when there is no such file.
std::optional<QByteArray> readUserDirs(const QString &path, Refusal *refusal)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        *refusal = {.kind = Refusal::Kind::ConfigNotRegularFile, .path = path};
        return std::nullopt;
    }
    // A few lines; a file of megabytes is not one the desktop wrote.
    QByteArray text(64 * 1024, Qt::Uninitialized);
    qsizetype size = 0;
    for (ssize_t got = 1; got > 0 && size < text.size(); size += std::max<ssize_t>(got, 0))
        got = ::read(fd, text.data() + size, size_t(text.size() - size));
    text.resize(size);
    return text;
}

// The user's download folder as the desktop's user-dirs.dirs names it ("$HOME/Downloads", or an
// absolute path), ~/Downloads when it names none.
DestinationFolder::Choice downloadFolder()
{
    using Kind = Refusal::Kind;
    const QString home = homeFolder();
    if (home.isEmpty())
        return {QString(), {Kind::NoHome}};
    QString configHome = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    if (!configHome.startsWith(QLatin1Char('/')))
        configHome = home + QLatin1String("/.config");
    const QString userDirs = configHome + QLatin1String("/user-dirs.dirs");
    Refusal refusal;
    const std::optional<QByteArray> text = readUserDirs(userDirs, &refusal);
    if (refusal.refused())
        return {userDirs, refusal};
    // Read as bytes (Latin-1 keeps each one a character): the name is a file name, in no encoding of its own.
    static const QRegularExpression entry(uR"re(^\s*XDG_DOWNLOAD_DIR\s*=\s*"((?:[^"\\]|\\.)*)"\s*$)re"_qs);
    static const QRegularExpression escaped(uR"(\\(.))"_qs);
    QByteArray folder = QFile::encodeName(home) + "/Downloads";
    for (const QByteArray &line : text.value_or(QByteArray()).split('\n')) {
        const QRegularExpressionMatch match = entry.match(QString::fromLatin1(line));
        if (!match.hasMatch())
            continue;
        // Written the way a shell reads it: a backslash keeps the next character as it is.
        folder = match.captured(1).replace(escaped, QStringLiteral("\\1")).toLatin1();
        if (folder == "$HOME" || folder.startsWith("$HOME/"))
            folder.replace(0, 5, QFile::encodeName(home));
    }
    const QString name = QFile::decodeName(folder);
    // A name the file-name encoding cannot spell would be made as another folder than the one set.
    if (QFile::encodeName(name) != folder)
        return {name, {.kind = Kind::DownloadFolderUnspellable, .path = userDirs}};
    // A relative one would be made wherever the program happens to run.
    if (!name.startsWith(QLatin1Char('/')))
        return {QLatin1Char('"') + name + QLatin1Char('"'),
            {.kind = Kind::DownloadFolderRelative, .path = userDirs}};
    return {name, {}};
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
        return {programFolder, {}};
    Choice downloads = downloadFolder();
    std::error_code error;
    if (!downloads.refusal.refused()
        && !std::filesystem::create_directories(QFile::encodeName(downloads.path).toStdString(), error)
        && error) {
        downloads.refusal = {.kind = Refusal::Kind::FolderNotMade,
            .systemReason = QString::fromLocal8Bit(error.message()),
            .path = downloads.path};
    }
    return downloads;
}

} // namespace DestinationFolder
