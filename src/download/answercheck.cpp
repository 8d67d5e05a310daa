#include "answercheck.h"

#include "common/plaintext.h"
#include "transfermath.h"

#include <QRegularExpression>

namespace {

// The first item of a header such as "text/html; charset=utf-8", in lower case.
QString mainValue(const QString &header)
{
    return header.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
}

bool isWebPage(const AnswerHead &head)
{
    const QString type = mainValue(head.contentType);
    const bool page = type == QLatin1String("text/html") || type == QLatin1String("application/xhtml+xml");
    // A browser too saves a page the server marks as an attachment instead of showing it.
    return page && mainValue(head.contentDisposition) != QLatin1String("attachment");
}

// The codings other than identity, e.g. "gzip"; empty when the body is sent as it is.
QString encodings(const AnswerHead &head)
{
    QStringList codings;
    const QStringList items = head.contentEncoding.split(QLatin1Char(','));
    for (const QString &item : items) {
        const QString coding = item.trimmed().toLower();
        if (!coding.isEmpty() && coding != QLatin1String("identity"))
            codings.append(coding);
    }
    return codings.join(QLatin1String(", "));
}

// The size a 206 answer covers when it is the whole file from its first byte, else 0.
qint64 wholeRangeSize(const QString &contentRange)
{
    static const QRegularExpression whole(QStringLiteral("^\\s*bytes\\s+0-(\\d{1,18})/(\\d{1,18})\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = whole.match(contentRange);
    if (!match.hasMatch())
        return 0;
    const qint64 last = match.captured(1).toLongLong();
    const qint64 total = match.captured(2).toLongLong();
    return last + 1 == total ? total : 0;
}

} // namespace

AnswerHead AnswerHead::read(int status, qint64 length, const std::function<QString(const QString &)> &header)
{
    AnswerHead head;
    head.status = status;
    head.length = length;
    head.contentLength = header(QStringLiteral("Content-Length"));
    head.contentRange = header(QStringLiteral("Content-Range"));
    head.contentType = header(QStringLiteral("Content-Type"));
    head.contentDisposition = header(QStringLiteral("Content-Disposition"));
    head.contentEncoding = header(QStringLiteral("Content-Encoding"));
    return head;
}

AnswerCheck::Verdict AnswerCheck::checkHead(const AnswerHead &head)
{
    Verdict verdict;
    const QString quotedServerText = QStringLiteral("\"%1\"");
    if (head.status == 204 || head.status == 205) {
        verdict.reason = tr("the server sent no data");
        return verdict;
    }
    // We asked for the bytes as they are; encoded ones would be saved as a different file.
    if (const QString coding = encodings(head); !coding.isEmpty()) {
        verdict.reason = tr("the server sent the archive encoded (%1) although it was asked not to")
                             .arg(PlainText::fromServer(coding));
        return verdict;
    }
    if (isWebPage(head)) {
        verdict.reason = tr("the server sent a web page instead of the archive");
        return verdict;
    }

    // The transfer frames the body by its own reading of the length. Where a reader of numbers would
    // read the header otherwise ("2.5e3", "2501.5"), neither count can be trusted to tell a whole body.
    if (!head.contentLength.isEmpty()) {
        if (head.length < 0 || TransferMath::expectedSize(head.contentLength) != head.length) {
            verdict.reason = tr("the server announced a size that cannot be right (%1)")
                                 .arg(quotedServerText.arg(PlainText::fromServer(head.contentLength)));
            return verdict;
        }
        if (head.length == 0) {
            verdict.reason = tr("the server sent no data");
            return verdict;
        }
        verdict.expected = head.length;
    }

    if (head.status == 206) {
        // Asked from byte 0, a partial answer is only the archive when it covers the whole file.
        const qint64 total = wholeRangeSize(head.contentRange);
        if (total == 0) {
            verdict.reason = head.contentRange.isEmpty()
                ? tr("the server sent only part of the archive")
                : tr("the server sent only part of the archive (%1)")
                      .arg(quotedServerText.arg(PlainText::fromServer(head.contentRange)));
            return verdict;
        }
        if (verdict.expected == 0)
            verdict.expected = total;
    }
    verdict.isArchive = true;
    return verdict;
}

QString AnswerCheck::checkBody(qint64 received)
{
    return received == 0 ? tr("the server sent no data") : QString();
}
