// A scripted HTTP server as a program of its own, for tests that drive the real program from outside.
//
//   vorn-scripted-server --log FILE --size N [--close-after M]
//
// Listens on 127.0.0.1 (any free port), prints "http://127.0.0.1:PORT" on one line and serves every
// request with N pattern bytes and "Content-Length: N". With --close-after it closes the connection
// after M body bytes, so the body arrives cut short. Each request's head is appended to FILE as it
// arrives. Runs until it is killed.
#include "support/scriptedhttpserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption logOption(
        QStringLiteral("log"), QStringLiteral("Append request heads to <file>."), QStringLiteral("file"));
    const QCommandLineOption sizeOption(
        QStringLiteral("size"), QStringLiteral("Body size announced."), QStringLiteral("bytes"));
    const QCommandLineOption closeOption(QStringLiteral("close-after"),
        QStringLiteral("Close the connection after <bytes> of the body."), QStringLiteral("bytes"));
    parser.addOptions({logOption, sizeOption, closeOption});
    parser.process(app);

    bool sizeOk = false;
    const qint64 size = parser.value(sizeOption).toLongLong(&sizeOk);
    bool closeOk = true;
    const qint64 closeAfter = parser.isSet(closeOption) ? parser.value(closeOption).toLongLong(&closeOk) : -1;
    if (!parser.isSet(logOption) || !sizeOk || size < 0 || !closeOk) {
        std::fputs("vorn-scripted-server: need --log FILE and --size N (see --help)\n", stderr);
        return 2;
    }

    QFile log(parser.value(logOption));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        std::fprintf(stderr, "vorn-scripted-server: %s\n", qPrintable(log.errorString()));
        return 1;
    }

    ScriptedHttpServer server;
    server.setResponder([&log, size, closeAfter](const ScriptedRequest &request) {
        log.write(request.rawHead);
        log.flush();
        ScriptedResponse response = ScriptedResponse::generated(size);
        response.closeAfterBodyBytes = closeAfter;
        return response;
    });
    if (!server.listen()) {
        std::fputs("vorn-scripted-server: cannot listen on 127.0.0.1\n", stderr);
        return 1;
    }
    std::printf("%s\n", server.baseUrl().constData());
    std::fflush(stdout);
    return app.exec();
}
