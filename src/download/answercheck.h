#pragma once

#include "refusal.h"
#include "transfer/answerhead.h"

#include <QByteArrayView>
#include <QString>

// Decides whether a successful answer is the archive we asked for, and the whole of it.
class AnswerCheck final
{
public:
    struct Verdict
    {
        bool isArchive = false;
        // Labelled a web page: servers label archives so too (busybox httpd every part it sends), so the
        // body's first bytes decide.
        bool labelledPage = false;
        qint64 expected = 0; // the body's size when the server said it, else 0
        QByteArray sha256; // the archive's SHA-256 when the server vouches for its bytes, else empty
        Refusal refusal; // why the answer is not the archive
    };

    // Whether an answer outside 2xx says the file asked for is empty: a 416 to "bytes=0-" that gives the
    // whole as 0 bytes. Such an answer is checked as any other.
    static bool saysEmpty(const AnswerHead &head);

    // Before anything is written: whether the body that follows can be the archive, how long it must be
    // and which digest it must have.
    static Verdict checkHead(const AnswerHead &head);

    // How many of the body's first bytes tell a web page: as many as a browser reads before it decides
    // (the resource header of the WHATWG MIME Sniffing standard).
    static constexpr qint64 pageStartSize = 1445;

    // Once the body's first `pageStartSize` bytes are in (`start`; fewer only when the body is shorter),
    // before any of it is written: whether a body labelled a web page is one.
    static Refusal checkStart(const Verdict &head, QByteArrayView start);

    // Once the body has ended, with none missing: whether it is what the head promised. `sha256` is the
    // body's own, when the head asked for it.
    static Refusal checkBody(const Verdict &head, qint64 received, const QByteArray &sha256);
};
