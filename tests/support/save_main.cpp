// Saves an archive the way a download does, without a server, and says "saved" once it is: for the tests
// that watch its system calls, and for checking by hand what a disk cut off at that moment holds.
//
//   vorn-save <destination> <size in bytes>
//
// The archive holds ScriptedHttpServer's pattern. Prints "saved" (status 0) or the refusal's kind and the
// system's reason, e.g. "NotConfirmed: Input/output error" (status 1).
#include "download/partfile.h"
#include "support/scriptedhttpserver.h"

#include <QMetaEnum>

#include <cstdio>

int main(int argc, char **argv)
{
    bool sized = argc == 3;
    const qint64 size = sized ? QByteArray(argv[2]).toLongLong(&sized) : 0;
    if (!sized)
        return std::fputs("usage: vorn-save <destination> <size in bytes>\n", stderr), 2;
    PartFile part(QString::fromLocal8Bit(argv[1]));
    const bool saved = part.open() && part.write(ScriptedHttpServer::patternBytes(0, size)) && part.commit();
    // Said at once: whoever waits for it acts on it.
    const Refusal refusal = part.refusal();
    std::puts(saved
            ? "saved"
            : qPrintable(QLatin1String(QMetaEnum::fromType<Refusal::Kind>().valueToKey(int(refusal.kind)))
                + QLatin1String(": ") + refusal.systemReason));
    std::fflush(stdout);
    return saved ? 0 : 1;
}
