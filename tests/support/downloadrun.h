#pragma once

#include "download/downloadcommands.h"
#include "support/environmentguard.h"
#include "support/scriptedhttpserver.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

Q_DECLARE_METATYPE(ScriptedResponse)

// What a download command reported while it ran.
struct DownloadRun
{
    int started = 0;
    QList<qint64> sizes; // sizeKnown
    int reportCount = 0; // progressReported
    QStringList reports; // the first thousand of them, in order
    QList<TransferResult> results; // transferFinished
    bool timedOut = false;

    TransferResult result() const { return results.value(0); }
};

// Runs `press` (which starts the command and returns when it has ended) and records what `commands`
// reports. `duringTransfer` runs after each report, with its number from 1. A command still running
// after `seconds` is cancelled and the run marked, so a test fails on its own instead of waiting for
// CTest's time limit.
DownloadRun runDownload(DownloadCommands &commands, const std::function<void()> &press,
    const std::function<void(int report)> &duringTransfer = {}, int seconds = 120);

// A server's answer for every request.
ScriptedHttpServer::Responder answering(const ScriptedResponse &response);
// A body of `size` bytes that arrives `bytes` at a time, `intervalMs` apart.
ScriptedResponse trickled(qint64 size, qint64 bytes, int intervalMs);
// A body of `size` bytes of which only the first `after` come, on a connection kept open.
ScriptedResponse stalled(qint64 size, qint64 after);
// A body of `size` bytes whose connection closes (or is reset) after the first `after`.
ScriptedResponse closedAfter(qint64 size, qint64 after, bool reset = false);
// `response` with that Content-Length sent as it is, or none for a null one.
ScriptedResponse withLength(ScriptedResponse response, const QByteArray &contentLength);
// `response` with the header set (replacing one of that name).
ScriptedResponse withHeader(ScriptedResponse response, const QByteArray &name, const QByteArray &value);

// A port on 127.0.0.1 that was just free, so nothing listens there; empty where none was.
QString freePort();

// Empty for anything but a regular file: never waits on a FIFO where a file should be.
QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &data);

// A home folder of the test's own, and a working folder inside it, for as long as it lives: HOME,
// XDG_CONFIG_HOME and the working folder are as they were afterwards.
class TemporaryHome final
{
    Q_DISABLE_COPY_MOVE(TemporaryHome)

public:
    TemporaryHome();
    ~TemporaryHome();

    bool isValid() const { return m_home.isValid(); }
    QString path() const { return m_home.path(); }
    // Where the test runs: a folder left anywhere else cannot be mistaken for one the code made.
    QString workingFolder() const { return m_home.path() + QLatin1String("/work"); }

private:
    QTemporaryDir m_home;
    EnvironmentGuard m_environment{{"HOME", QFile::encodeName(m_home.path())}, {"XDG_CONFIG_HOME", {}}};
    QString m_oldWorkingFolder = QDir::currentPath();
};

// What the suites that download set up alike: a scripted server that is also the desktop's proxy, and a
// home of the test's own. Once it is gone, the desktop has no proxy again.
class ServedHome final
{
    Q_DISABLE_COPY_MOVE(ServedHome)

public:
    ServedHome();
    ~ServedHome();
    bool isValid() const { return server.port() != 0 && home.isValid(); }

    ScriptedHttpServer server;
    TemporaryHome home;
};

// The answers that end short of the archive, as every suite that downloads tries them: a body of 10,000
// bytes closed after 6,000, reset there, or silent there (for a time-out of 1 s), and chunks that cannot
// be read.
struct ShortAnswer
{
    const char *tag;
    ScriptedResponse answer;
    TransferFailure::Kind failure;
    qint64 expected; // the size the answer announced
};
QList<ShortAnswer> shortAnswers();
