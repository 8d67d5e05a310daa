#include "answercheck.h"

#include "transfermath.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The first item of a header such as "text/html; charset=utf-8", in lower case.
QString mainValue(const QString &header)
{
    return header.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
}

bool isWebPage(const AnswerHead &head)
{
    // Repeated Content-Type headers come joined: a page among them makes the answer one, whichever
    // of them a browser would believe.
    const QStringList types = head.contentType.split(QLatin1Char(','));
    const bool page = std::any_of(types.cbegin(), types.cend(), [](const QString &item) {
        const QString type = mainValue(item);
        return type == QLatin1String("text/html") || type == QLatin1String("application/xhtml+xml");
    });
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

// What a 206 answer's Content-Range covers, when it starts at byte 0: its last byte, and the whole
// file's size (-1 for "*", unknown).
struct Range
{
    bool fromStart = false;
    qint64 last = -1;
    qint64 total = -1;
};

Range rangeOf(const QString &contentRange)
{
    static const QRegularExpression fromStart(
        QStringLiteral("^\\s*bytes\\s+0-(\\d{1,18})/(\\d{1,18}|\\*)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = fromStart.match(contentRange);
    if (!match.hasMatch())
        return {};
    const QString total = match.captured(2);
    return {true, match.captured(1).toLongLong(), total == QLatin1String("*") ? -1 : total.toLongLong()};
}

// The archive's SHA-256 as the server states it, in Repr-Digest or Content-Digest ("sha-256=:<base64>:")
// or in the older Digest ("SHA-256=<base64>"). Other algorithms are passed over: they are not ours to check.
struct StatedDigest
{
    QByteArray sha256;
    // False when a SHA-256 is stated in a form that cannot be read, or stated twice differently: a check
    // the server asked for that we cannot make is not quietly left out.
    bool readable = true;
};

// Called once the answer is known to be the whole archive, not encoded: only then is Content-Digest, the
// digest of the bytes as sent, the archive's own.
StatedDigest statedDigest(const AnswerHead &head)
{
    StatedDigest stated;
    const auto take = [&stated](const QString &base64) {
        const auto result
            = QByteArray::fromBase64Encoding(base64.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        const bool fits = result && result.decoded.size() == 32
            && (stated.sha256.isEmpty() || stated.sha256 == result.decoded);
        stated.readable = stated.readable && fits;
        if (fits)
            stated.sha256 = result.decoded;
    };
    // Structured Fields dictionaries: members split at commas outside quoted strings, keys in lower case
    // only. A key that is not one ("SHA-256") makes the whole field malformed.
    static const QRegularExpression memberSeparator(QStringLiteral(",(?=(?:[^\"]*\"[^\"]*\")*[^\"]*$)"));
    static const QRegularExpression key(QStringLiteral("^[a-z*][a-z0-9_.*-]*$"));
    for (const QString &field : {head.reprDigest, head.contentDigest}) {
        const QStringList members = field.split(memberSeparator, Qt::SkipEmptyParts);
        for (const QString &member : members) {
            const QString name
                = member.section(QLatin1Char('='), 0, 0).section(QLatin1Char(';'), 0, 0).trimmed();
            stated.readable = stated.readable && key.match(name).hasMatch();
            if (name != QLatin1String("sha-256"))
                continue;
            // A byte sequence: base64 between colons, perhaps followed by parameters.
            const QString value
                = member.section(QLatin1Char('='), 1).section(QLatin1Char(';'), 0, 0).trimmed();
            if (value.size() >= 2 && value.startsWith(QLatin1Char(':')) && value.endsWith(QLatin1Char(':')))
                take(value.mid(1, value.size() - 2));
            else
                stated.readable = false;
        }
    }
    const QStringList members = head.digest.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &member : members) {
        const qsizetype equals = member.indexOf(QLatin1Char('='));
        if (member.left(equals).trimmed().compare(QLatin1String("sha-256"), Qt::CaseInsensitive) == 0)
            take(equals < 0 ? QString() : member.mid(equals + 1).trimmed());
    }
    return stated;
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
    head.reprDigest = header(QStringLiteral("Repr-Digest"));
    head.contentDigest = header(QStringLiteral("Content-Digest"));
    head.digest = header(QStringLiteral("Digest"));
    return head;
}

AnswerCheck::Verdict AnswerCheck::checkHead(const AnswerHead &head)
{
    using Kind = Refusal::Kind;
    Verdict verdict;
    const auto refused = [&verdict](Refusal refusal) {
        verdict.refusal = std::move(refusal);
        return verdict;
    };
    if (head.status == 204 || head.status == 205)
        return refused({Kind::NoData});
    // The other successes are answers about something else: accepted for processing, changed by a
    // proxy, a difference to an earlier copy...
    if (head.status != 200 && head.status != 206)
        return refused({.kind = Kind::OtherSuccess, .status = head.status});
    // We asked for the bytes as they are; encoded ones would be saved as a different file.
    if (const QString coding = encodings(head); !coding.isEmpty())
        return refused({.kind = Kind::Encoded, .serverText = coding});
    if (isWebPage(head))
        return refused({Kind::WebPage});
    // The whole archive perhaps, but cut into parts with a head of their own each.
    if (mainValue(head.contentType) == QLatin1String("multipart/byteranges"))
        return refused({Kind::Multipart});

    // The transfer frames the body by its own reading of the length. Where a reader of numbers would
    // read the header otherwise ("2.5e3", "2501.5"), neither count can be trusted to tell a whole body;
    // of a list ("100, 50", or the header twice) it is chance which one frames it.
    if (!head.contentLength.isEmpty()) {
        if (head.length < 0 || head.contentLength.contains(QLatin1Char(','))
            || TransferMath::expectedSize(head.contentLength) != head.length)
            return refused({.kind = Kind::BadLength, .serverText = head.contentLength});
        if (head.length == 0)
            return refused({Kind::NoData});
        verdict.expected = head.length;
    }

    if (head.status == 206) {
        // Asked from byte 0, a partial answer is only the archive when it covers the whole file.
        const Range range = rangeOf(head.contentRange);
        if (head.contentRange.isEmpty())
            return refused({Kind::PartWithoutRange});
        if (range.fromStart && range.total < 0)
            return refused({.kind = Kind::UnknownTotal, .serverText = head.contentRange});
        if (!range.fromStart || range.last + 1 != range.total)
            return refused({.kind = Kind::PartOnly, .serverText = head.contentRange});
        if (verdict.expected != 0 && verdict.expected != range.total)
            return refused({.kind = Kind::TwoSizes, .size = verdict.expected, .otherSize = range.total});
        verdict.expected = range.total;
    }

    const StatedDigest stated = statedDigest(head);
    if (!stated.readable)
        return refused({Kind::UnreadableDigest});
    verdict.sha256 = stated.sha256;
    verdict.isArchive = true;
    return verdict;
}

Refusal AnswerCheck::checkBody(const Verdict &head, qint64 received, const QByteArray &sha256)
{
    if (received == 0)
        return {Refusal::Kind::NoData};
    // A size the server announced is the archive's: what comes beyond it is something else.
    if (head.expected > 0 && received > head.expected)
        return {.kind = Refusal::Kind::MoreThanAnnounced, .size = head.expected};
    if (!head.sha256.isEmpty() && sha256 != head.sha256)
        return {Refusal::Kind::DigestMismatch};
    return {};
}
