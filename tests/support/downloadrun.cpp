#include "support/downloadrun.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTimer>

DownloadRun runDownload(DownloadCommands &commands, const std::function<void()> &press,
    const std::function<void(int report)> &duringTransfer, int seconds)
{
    DownloadRun run;
    QObject context;
    QObject::connect(&commands, &DownloadCommands::transferStarted, &context, [&] { ++run.started; });
    QObject::connect(
        &commands, &DownloadCommands::sizeKnown, &context, [&](qint64 size) { run.sizes.append(size); });
    QObject::connect(&commands, &DownloadCommands::progressReported, &context, [&](const QString &percent) {
        if (++run.reportCount <= 1000)
            run.reports.append(percent);
        if (duringTransfer)
            duringTransfer(run.reportCount);
    });
    QObject::connect(&commands, &DownloadCommands::transferFinished, &context,
        [&](const QString &, const TransferResult &result) { run.results.append(result); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &context, [&] {
        run.timedOut = true;
        commands.cancel();
    });
    watchdog.start(seconds * 1000);
    press();
    return run;
}

ScriptedHttpServer::Responder answering(const ScriptedResponse &response)
{
    return [response](const ScriptedRequest &) { return response; };
}

ScriptedResponse trickled(qint64 size, qint64 bytes, int intervalMs)
{
    ScriptedResponse response = ScriptedResponse::generated(size);
    response.trickleBytes = bytes;
    response.trickleIntervalMs = intervalMs;
    return response;
}

ScriptedResponse stalled(qint64 size, qint64 after)
{
    ScriptedResponse response = ScriptedResponse::generated(size);
    response.stallAfterBodyBytes = after;
    return response;
}

ScriptedResponse closedAfter(qint64 size, qint64 after, bool reset)
{
    ScriptedResponse response = ScriptedResponse::generated(size);
    response.closeAfterBodyBytes = after;
    response.resetOnClose = reset;
    return response;
}

ScriptedResponse withLength(ScriptedResponse response, const QByteArray &contentLength)
{
    response.length
        = contentLength.isNull() ? ScriptedResponse::Length::Omit : ScriptedResponse::Length::Custom;
    response.contentLengthValue = contentLength;
    return response;
}

ScriptedResponse withHeader(ScriptedResponse response, const QByteArray &name, const QByteArray &value)
{
    response.headers.removeIf([&](const auto &existing) { return existing.first == name; });
    response.headers.append({name, value});
    return response;
}

QString freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? QString::number(probe.serverPort()) : QString();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

TemporaryHome::TemporaryHome()
{
    if (QDir().mkpath(workingFolder()))
        QDir::setCurrent(workingFolder());
}

ServedHome::ServedHome()
{
    if (server.listen())
        QNetworkProxy::setApplicationProxy(server.proxy());
}

ServedHome::~ServedHome()
{
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

QList<ShortAnswer> shortAnswers()
{
    using Kind = TransferFailure::Kind;
    ScriptedResponse framing{.headers = {{"Transfer-Encoding", "chunked"}},
        .length = ScriptedResponse::Length::Omit,
        .body = "zz\r\nnot a chunk\r\n0\r\n\r\n"};
    return {{"closed early", closedAfter(10000, 6000), Kind::ConnectionClosed, 10000},
        {"connection reset", closedAfter(10000, 6000, true), Kind::ConnectionClosed, 10000},
        {"server falls silent", stalled(10000, 6000), Kind::TimedOut, 10000},
        {"bad chunk framing", framing, Kind::Protocol, 0}};
}

TemporaryHome::~TemporaryHome()
{
    QDir::setCurrent(m_oldWorkingFolder);
}
