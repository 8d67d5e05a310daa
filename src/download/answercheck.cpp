#include "answercheck.h"

#include "common/plaintext.h"
#include "common/pluralcount.h"

#include <QLocale>
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

// A header's values as the server sent them, for a message.
QString shown(const QByteArrayList &values)
{
    return PlainText::fromServer(QString::fromLatin1(values.join(", ")));
}

// The size a 206 answer covers when it is the whole file from its first byte, else 0.
qint64 wholeRangeSize(const QByteArrayList &contentRange)
{
    if (contentRange.size() != 1)
        return 0;
    static const QRegularExpression whole(QStringLiteral("^\\s*bytes\\s+0-(\\d{1,18})/(\\d{1,18})\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = whole.match(QString::fromLatin1(contentRange.first()));
    if (!match.hasMatch())
        return 0;
    const qint64 last = match.captured(1).toLongLong();
    const qint64 total = match.captured(2).toLongLong();
    return last + 1 == total ? total : 0;
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

AnswerCheck::Verdict AnswerCheck::checkHead(const AnswerHead &head)
{
    Verdict verdict;
    if (head.status == 204 || head.status == 205) {
        verdict.reason = tr("the server sent no data");
        return verdict;
    }
    // The other successes are answers about something else: accepted for processing, changed by a
    // proxy, a difference to an earlier copy...
    if (head.status != 200 && head.status != 206) {
        verdict.reason
            = tr("the server answered with status %1 instead of sending the archive").arg(head.status);
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

    // The transfer frames the body by libcurl's reading of the length. Where the header says more than
    // that one number ("2.5e3" read as 2, "100, 50", the header twice), the body ends where chance says.
    if (const QByteArrayList length = head.values("content-length"); !length.isEmpty()) {
        if (!head.lengthReadable) {
            verdict.reason
                = tr("the server announced a size that cannot be right (\"%1\")").arg(shown(length));
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
        const QByteArrayList range = head.values("content-range");
        const qint64 total = wholeRangeSize(range);
        if (total == 0) {
            verdict.reason = range.isEmpty()
                ? tr("the server sent only part of the archive")
                : tr("the server sent only part of the archive (\"%1\")").arg(shown(range));
            return verdict;
        }
        if (verdict.expected != 0 && verdict.expected != total) {
            verdict.reason = tr("the server announced two different sizes (\"%1\" and \"%2\")")
                                 .arg(shown(head.values("content-length")), shown(range));
            return verdict;
        }
        verdict.expected = total;
    }

    const StatedDigest stated = statedDigest(head);
    if (!stated.readable) {
        verdict.reason = tr("the server gave a checksum of the archive that cannot be read");
        return verdict;
    }
    verdict.sha256 = stated.sha256;
    verdict.isArchive = true;
    return verdict;
}

QString AnswerCheck::checkBody(const Verdict &head, qint64 received, const QByteArray &sha256)
{
    if (received == 0)
        return tr("the server sent no data");
    // A size the server announced is the archive's: what comes beyond it is something else.
    if (head.expected > 0 && received > head.expected)
        return tr("the server sent more than the %1 bytes it announced", nullptr, pluralCount(head.expected))
            .arg(QLocale().toString(head.expected));
    if (!head.sha256.isEmpty() && sha256 != head.sha256)
        return tr("the archive did not match the checksum the server gave");
    return {};
}
