#include "download/destinationfolder.h"
#include "support/downloadrun.h"
#include "support/smalldisk.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folders of one case, and what the choice must come to there.
struct Places
{
    QString root; // a folder of the test's own
    QString program; // the program's folder
    QString home;
    QString savedIn; // "." for the program's folder, else a folder in the home; empty when refused
    Refusal refusal; // when refused, its path with %1 for the home; without a system reason when that varies
    QString skip = {}; // why the case cannot run here
    bool mounted = false; // a small disk over the home, to be taken away again
};

// Arranges the places of a case; false when that failed.
using Layout = std::function<bool(Places &)>;

// Files cannot be made in a folder that cannot be searched, whatever its write permission says.
Layout withPermissions(QFileDevice::Permissions permissions)
{
    return [permissions](Places &places) {
        if (::geteuid() == 0)
            places.skip = u"root writes into and searches any folder"_qs;
        return QFile::setPermissions(places.program, permissions);
    };
}

// The program's folder as `change` leaves it: gone, or unknown (a name the system could not turn into text
// comes back empty).
Layout programFolder(const std::function<void(QString &)> &change)
{
    return [change](Places &places) {
        change(places.program);
        return true;
    };
}
const Layout writable = programFolder([](QString &) {});
const Layout gone = programFolder([](QString &folder) { folder += QLatin1String("/missing"); });
const Layout unknown = programFolder([](QString &folder) { folder.clear(); });

// Installed: the desktop entry lies in ../share/applications beside the program's folder.
bool installed(Places &places)
{
    places.program += QLatin1String("/bin");
    return QDir().mkpath(places.program) && QDir().mkpath(places.root + QLatin1String("/share/applications"))
        && writeFile(places.root + QLatin1String("/share/applications/vorn-tools-downloader.desktop"), "");
}

// Installed, for a user who already has ~/Downloads: finding it there is no failure to make it.
bool installedWithDownloads(Places &places)
{
    return installed(places) && QDir().mkpath(places.home + QLatin1String("/Downloads"));
}

Layout homeIsAFile(const Layout &program)
{
    return [program](Places &places) {
        places.home += QLatin1String("/file");
        qputenv("HOME", QFile::encodeName(places.home));
        return program(places) && writeFile(places.home, "not a folder");
    };
}

// HOME as `home` (null: unset) names no folder: the account's own home, not "/Downloads" nor a folder
// wherever the program runs. As root over a home of the test's own, and as nobody, whose home does not
// exist, refused.
bool accountHome(Places &places)
{
    const passwd *account = ::getpwuid(::geteuid());
    if (!account || !account->pw_dir || !installed(places))
        return false;
    places.home = QFile::decodeName(account->pw_dir);
    if (::geteuid() == 0)
        return places.mounted = SmallDisk::mountFull(places.home, 1024 * 1024);
    if (QFileInfo::exists(places.home)) {
        places.skip = u"would write into this account's real home"_qs;
    } else {
        places.savedIn.clear();
        places.refusal = {.kind = Refusal::Kind::FolderNotMade, .path = u"%1/Downloads"_qs};
    }
    return true;
}

Layout homeNotAFolder(const QByteArray &home)
{
    return [home](Places &places) {
        if (home.isNull())
            qunsetenv("HOME");
        else
            qputenv("HOME", home);
        return accountHome(places);
    };
}

// Whatever stands at user-dirs.dirs' name is read only when it is a regular file: a FIFO would hold the
// window for good.
bool userDirsIsAFifo(Places &places)
{
    const QByteArray name = QFile::encodeName(places.home + QLatin1String("/.config/user-dirs.dirs"));
    return installed(places) && ::unlink(name.constData()) == 0 && ::mkfifo(name.constData(), 0600) == 0;
}

} // namespace

Q_DECLARE_METATYPE(Layout)

// Where an archive goes, on real folders. CTest runs it a second time as an ordinary user, for whom a
// read-only folder really is one.
class TestDestinationFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choose_data();
    void choose();
};

void TestDestinationFolder::choose_data()
{
    using Kind = Refusal::Kind;
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<QByteArray>("downloadDir"); // XDG_DOWNLOAD_DIR in user-dirs.dirs; null for no such file
    QTest::addColumn<QString>("savedIn");
    QTest::addColumn<Refusal>("refusal");

    const QByteArray none;
    const QString downloads = u"Downloads"_qs;
    const QString userDirs = u"%1/.config/user-dirs.dirs"_qs;
    QTest::newRow("program folder writable") << writable << none << u"."_qs << Refusal();
    QTest::newRow("program folder read-only")
        << withPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner) << none << downloads << Refusal();
    QTest::newRow("program folder write-only")
        << withPermissions(QFileDevice::WriteOwner) << none << downloads << Refusal();
    QTest::newRow("program folder gone") << gone << none << downloads << Refusal();
    QTest::newRow("program folder unknown") << unknown << none << downloads << Refusal();
    QTest::newRow("installed copy, writable folder") << Layout(installed) << none << downloads << Refusal();
    QTest::newRow("installed copy, download folder already there")
        << Layout(installedWithDownloads) << none << downloads << Refusal();
    QTest::newRow("download folder of the desktop's")
        << Layout(installed) << QByteArray("$HOME/Fetched") << u"Fetched"_qs << Refusal();
    // Told with the folder and the system's own reason.
    QTest::newRow("download folder cannot be made") << homeIsAFile(gone) << none << QString()
                                                    << Refusal{.kind = Kind::FolderNotMade,
                                                           .systemReason = u"Not a directory"_qs,
                                                           .path = u"%1/Downloads"_qs};
    // Never made wherever the program happens to run.
    const Refusal relative{.kind = Kind::DownloadFolderRelative, .path = userDirs};
    QTest::newRow("download folder relative")
        << Layout(installed) << QByteArray("Downloads") << QString() << relative;
    // "$HOMEdl" is no folder in the home: a name that only starts like it is taken as it is.
    QTest::newRow("download folder $HOME without a slash")
        << Layout(installed) << QByteArray("$HOMEdl") << QString() << relative;
    QTest::newRow("download folder empty") << Layout(installed) << QByteArray("") << QString() << relative;
    // Never another folder than the one named, made with the replacement character in its name.
    QTest::newRow("download folder not UTF-8")
        << Layout(installed) << QByteArray("$HOME/dl\xff") << QString()
        << Refusal{.kind = Kind::DownloadFolderUnspellable, .path = userDirs};
    QTest::newRow("user-dirs.dirs a FIFO")
        << Layout(userDirsIsAFifo) << QByteArray("$HOME/Fetched") << QString()
        << Refusal{.kind = Kind::ConfigNotRegularFile, .path = userDirs};
    QTest::newRow("HOME unset") << homeNotAFolder({}) << none << downloads << Refusal();
    QTest::newRow("HOME relative") << homeNotAFolder("home") << none << downloads << Refusal();
}

void TestDestinationFolder::choose()
{
    QFETCH(Layout, layout);
    QFETCH(QByteArray, downloadDir);
    QFETCH(QString, savedIn);
    QFETCH(Refusal, refusal);

    const TemporaryHome home;
    QTemporaryDir root;
    QVERIFY(home.isValid() && root.isValid());
    Places places{.root = root.path(),
        .program = root.path(),
        .home = home.path(),
        .savedIn = savedIn,
        .refusal = refusal};
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(
            root.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (places.mounted)
            SmallDisk::unmount(places.home);
    });
    if (!downloadDir.isNull()) {
        QVERIFY(QDir().mkpath(home.path() + QLatin1String("/.config")));
        QVERIFY(writeFile(home.path() + QLatin1String("/.config/user-dirs.dirs"),
            "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"" + downloadDir + "\"\n"));
    }
    QVERIFY(layout(places));
    if (!places.skip.isEmpty())
        QSKIP(qPrintable(places.skip));

    const DestinationFolder::Choice choice = DestinationFolder::choose(places.program);
    // Nothing is made anywhere but in the download folder.
    QVERIFY(QDir(home.workingFolder()).isEmpty());
    Refusal told = choice.refusal;
    if (places.refusal.systemReason.isEmpty())
        told.systemReason.clear();
    if (!places.refusal.path.isEmpty())
        places.refusal.path = places.refusal.path.arg(places.home);
    QCOMPARE(told.kind, places.refusal.kind);
    QCOMPARE(told, places.refusal);
    if (places.savedIn.isEmpty())
        return;
    QCOMPARE(choice.path,
        places.savedIn == QLatin1String(".") ? root.path() : places.home + QLatin1Char('/') + places.savedIn);
    QVERIFY(QFileInfo(choice.path).isDir());
    QCOMPARE(QFileInfo::exists(places.home + QLatin1String("/Downloads")),
        places.savedIn == QLatin1String("Downloads"));
}

QTEST_GUILESS_MAIN(TestDestinationFolder)
#include "tst_destinationfolder.moc"
