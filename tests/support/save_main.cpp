// Saves an archive the way a download does, without a server, and says "saved" once it is: for the tests
// that watch its system calls, and for checking by hand what a disk cut off at that moment holds.
//
//   vorn-save <destination> <size in bytes>
//
// The archive holds the scripted server's pattern (ScriptedHttpServer::patternBytes). Prints "saved" and
// ends with status 0, or prints the reason and ends with status 1.
#include "download/partfile.h"
#include "support/scriptedhttpserver.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("usage: vorn-save <destination> <size in bytes>\n", stderr);
        return 2;
    }
    PartFile part(QString::fromLocal8Bit(argv[1]));
    if (!part.open())
        return std::printf("%s\n", qPrintable(part.errorString())), 1;
    const qint64 size = QByteArray(argv[2]).toLongLong();
    for (qint64 offset = 0; offset < size; offset += PartFile::bufferSize) {
        if (!part.write(
                ScriptedHttpServer::patternBytes(offset, std::min(PartFile::bufferSize, size - offset))))
            return std::printf("%s\n", qPrintable(part.errorString())), 1;
    }
    if (!part.commit())
        return std::printf("%s\n", qPrintable(part.errorString())), 1;
    std::printf("saved\n");
    return 0;
}
