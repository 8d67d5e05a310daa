#pragma once

#include <QString>

// The parts of an answer's head that say whether its body is the archive, each as the server sent
// it (empty when absent).
struct AnswerHead
{
    int status = 0;
    QString contentLength;
    QString contentRange;
    QString contentType;
    QString contentDisposition;
    QString contentEncoding;
};

// Decides whether a successful answer is the archive we asked for, and the whole of it.
namespace AnswerCheck {

struct Verdict
{
    bool isArchive = false;
    qint64 expected = 0; // the body's size when the server said it, else 0
    QString reason; // why the answer is not the archive
};

// Before anything is written: whether the body that follows can be the archive, and how long it must be.
Verdict checkHead(const AnswerHead &head);

// Once the body has ended without a transfer error: an empty body is never the archive.
QString checkBody(qint64 received);

} // namespace AnswerCheck
