#include "answercheck.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The first item of a header such as "text/html; charset=utf-8", in lower case.
QString mainValue(const QByteArray &header)
{
    return QString::fromLatin1(header).section(QLatin1Char(';'), 0, 0).trimmed().toLower();
}

bool isWebPage(const AnswerHead &head)
{
    // A page among several types makes the answer one, whichever of them a browser would believe.
    const QByteArrayList types = head.values("content-type");
    const bool page = std::any_of(types.cbegin(), types.cend(), [](const QByteArray &value) {
        const QString type = mainValue(value);
        return type == QLatin1String("text/html") || type == QLatin1String("application/xhtml+xml");
    });
    // A browser too saves a page the server marks as an attachment instead of showing it.
    const QByteArrayList dispositions = head.values("content-disposition");
    return page && !std::any_of(dispositions.cbegin(), dispositions.cend(), [](const QByteArray &value) {
        return mainValue(value) == QLatin1String("attachment");
    });
}

// Whether `start` begins as an HTML or XML document does (the HTML and XML signatures of the WHATWG MIME
// Sniffing standard, 7.1): after white space, "<?xml", or one of these tags in any case, ended by a space
// or '>'. A UTF-8 byte order mark, which editors put before many a page, is passed over too; no archive
// begins so.
bool beginsAsPage(QByteArrayView start)
{
    static constexpr QByteArrayView signatures[] = {"<!DOCTYPE HTML", "<HTML", "<HEAD", "<SCRIPT", "<IFRAME",
        "<H1", "<DIV", "<FONT", "<TABLE", "<A", "<STYLE", "<TITLE", "<B", "<BODY", "<BR", "<P", "<!--"};
    if (start.startsWith("\xEF\xBB\xBF"))
        start = start.sliced(3);
    while (!start.isEmpty() && QByteArrayView("\t\n\f\r ").contains(start.front()))
        start = start.sliced(1);
    return start.startsWith("<?xml")
        || std::any_of(std::begin(signatures), std::end(signatures), [start](QByteArrayView signature) {
               const qsizetype size = signature.size();
               return start.size() > size && qstrnicmp(start.data(), size, signature.data(), size) == 0
                   && (start[size] == ' ' || start[size] == '>');
           });
}

// The codings other than identity, e.g. "gzip"; empty when the body is sent as it is.
QString encodings(const AnswerHead &head)
{
    QStringList codings;
    for (const QByteArray &value : head.values("content-encoding")) {
        for (const QByteArray &item : value.split(',')) {
            const QString coding = QString::fromLatin1(item.trimmed().toLower());
            if (!coding.isEmpty() && coding != QLatin1String("identity"))
                codings.append(coding);
        }
    }
    return codings.join(QLatin1String(", "));
}

// A header's values as the server sent them.
QString sent(const QByteArrayList &values)
{
    return QString::fromLatin1(values.join(", "));
}

// What a 206 answer's one Content-Range covers, when it starts at byte 0: its last byte, and the whole
// file's size (-1 for "*", unknown).
struct Range
{
    bool fromStart = false;
    qint64 last = -1;
    qint64 total = -1;
};

Range rangeOf(const QByteArrayList &contentRange)
{
    static const QRegularExpression fromStart(
        QStringLiteral("^\\s*bytes\\s+0-(\\d{1,18})/(\\d{1,18}|\\*)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match
        = fromStart.match(contentRange.size() == 1 ? QString::fromLatin1(contentRange.first()) : QString());
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
    QByteArrayList fields = head.values("repr-digest");
    fields += head.values("content-digest");
    for (const QByteArray &field : std::as_const(fields)) {
        const QStringList members = QString::fromLatin1(field).split(memberSeparator, Qt::SkipEmptyParts);
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
    for (const QByteArray &field : head.values("digest")) {
        for (const QByteArray &member : field.split(',')) {
            const qsizetype equals = member.indexOf('=');
            if (member.left(equals).trimmed().compare("sha-256", Qt::CaseInsensitive) == 0)
                take(equals < 0 ? QString() : QString::fromLatin1(member.mid(equals + 1).trimmed()));
        }
    }
    return stated;
}

} // namespace

bool AnswerCheck::saysEmpty(const AnswerHead &head)
{
    // RFC 9110, 15.5.17: a 416 gives the whole length as "bytes */<length>"; from byte 0 only an empty
    // file has no byte to send.
    static const QRegularExpression emptyWhole(
        QStringLiteral("^\\s*bytes\\s+\\*/0+\\s*$"), QRegularExpression::CaseInsensitiveOption);
    const QByteArrayList contentRange = head.values("content-range");
    return head.status == 416 && contentRange.size() == 1
        && emptyWhole.match(QString::fromLatin1(contentRange.first())).hasMatch();
}

AnswerCheck::Verdict AnswerCheck::checkHead(const AnswerHead &head)
{
    using Kind = Refusal::Kind;
    Verdict verdict;
    const auto refused = [&verdict](Refusal refusal) {
        verdict.refusal = std::move(refusal);
        return verdict;
    };
    // An empty archive reads the same whichever way the server tells it: a 416, a length of 0, no body.
    if (saysEmpty(head))
        return refused({Kind::Empty});
    if (head.status == 204 || head.status == 205)
        return refused({Kind::NoData});
    // The other successes are answers about something else: accepted for processing, changed by a
    // proxy, a difference to an earlier copy...
    if (head.status != 200 && head.status != 206)
        return refused({.kind = Kind::OtherSuccess, .status = head.status});
    // We asked for the bytes as they are; encoded ones would be saved as a different file.
    if (const QString coding = encodings(head); !coding.isEmpty())
        return refused({.kind = Kind::Encoded, .serverText = coding});
    verdict.labelledPage = isWebPage(head);
    // The whole archive perhaps, but cut into parts with a head of their own each.
    const QByteArrayList types = head.values("content-type");
    if (std::any_of(types.cbegin(), types.cend(),
            [](const QByteArray &type) { return mainValue(type) == QLatin1String("multipart/byteranges"); }))
        return refused({Kind::Multipart});

    // The transfer frames the body by libcurl's reading of the length. Where the header says more than
    // that one number ("2.5e3" read as 2, "100, 50", the header twice), the body ends where chance says.
    if (const QByteArrayList length = head.values("content-length"); !length.isEmpty()) {
        if (!head.lengthReadable)
            return refused({.kind = Kind::BadLength, .serverText = sent(length)});
        if (head.length == 0)
            return refused({Kind::Empty});
        verdict.expected = head.length;
    }

    if (head.status == 206) {
        // Asked from byte 0, a partial answer is only the archive when it covers the whole file.
        const QByteArrayList contentRange = head.values("content-range");
        const Range range = rangeOf(contentRange);
        if (contentRange.isEmpty())
            return refused({Kind::PartWithoutRange});
        if (range.fromStart && range.total < 0)
            return refused({.kind = Kind::UnknownTotal, .serverText = sent(contentRange)});
        if (!range.fromStart || range.last + 1 != range.total)
            return refused({.kind = Kind::PartOnly, .serverText = sent(contentRange)});
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

Refusal AnswerCheck::checkStart(const Verdict &head, QByteArrayView start)
{
    if (head.labelledPage && beginsAsPage(start))
        return {Refusal::Kind::WebPage};
    return {};
}

Refusal AnswerCheck::checkBody(const Verdict &head, qint64 received, const QByteArray &sha256)
{
    if (received == 0)
        return {Refusal::Kind::Empty};
    // A size the server announced is the archive's: what comes beyond it is something else.
    if (head.expected > 0 && received > head.expected)
        return {.kind = Refusal::Kind::MoreThanAnnounced, .size = head.expected};
    if (!head.sha256.isEmpty() && sha256 != head.sha256)
        return {Refusal::Kind::DigestMismatch};
    return {};
}
