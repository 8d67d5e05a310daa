#include "responsehead.h"

#include "common/plaintext.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

QByteArrayView withoutLineEnd(QByteArrayView line)
{
    while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r'))
        line.chop(1);
    return line;
}

// The server's own phrase, as plain text: UTF-8 where it is, else one character per byte.
QString reasonPhrase(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString reason = utf8.decode(bytes);
    if (utf8.hasError())
        reason = QString::fromLatin1(bytes);
    return PlainText::clean(reason);
}

// Whether a header says that a proxy made the answer: RFC 9209's Proxy-Status with an `error` parameter
// on any proxy's member (2.1.1), or squid's X-Squid-Error, which squid puts on its own error pages only.
bool saysProxyMadeIt(const QByteArray &name, const QByteArray &value)
{
    if (name == "x-squid-error")
        return true;
    if (name != "proxy-status")
        return false;
    // A proxy's name may be a quoted string, which may hold anything.
    static const QRegularExpression quoted(QStringLiteral("\"(?:[^\"\\\\]|\\\\.)*\""));
    static const QRegularExpression errorParameter(QStringLiteral(";\\s*error="));
    return QString::fromLatin1(value).remove(quoted).contains(errorParameter);
}

} // namespace

ResponseHead::ResponseHead(const RedirectHop &hop)
    : m_hop(hop)
{ }

ResponseHead::Step ResponseHead::take(QByteArrayView line)
{
    if (m_answerIn)
        return Step::More;
    const QByteArrayView text = withoutLineEnd(line);
    // A head starts with its status line, and only after the blank line that ended the one before: within
    // a head, a line is a header whatever it starts with.
    if (m_expectStatusLine) {
        m_expectStatusLine = false;
        m_head = {};
        m_location.clear();
        return readStatusLine(text) ? Step::More : Step::Malformed;
    }
    if (text.isEmpty())
        return endOfHead();
    const qsizetype colon = text.indexOf(':');
    if (colon > 0) {
        const QByteArray name = text.first(colon).trimmed().toByteArray();
        const QByteArray value = text.sliced(colon + 1).trimmed().toByteArray();
        // libcurl follows the first Location that has a value, whatever the case of its name (HTTP/2
        // sends lower case); the answer is only known by telling the redirects apart the same way.
        if (m_location.isEmpty() && name.compare("Location", Qt::CaseInsensitive) == 0)
            m_location = value;
        const QByteArray key = name.toLower();
        m_head.madeByProxy = m_head.madeByProxy || saysProxyMadeIt(key, value);
        m_head.headers[key].append(value);
    }
    return Step::More;
}

bool ResponseHead::readStatusLine(QByteArrayView line)
{
    m_statusLine = line.toByteArray();
    static const QRegularExpression form(QStringLiteral("^HTTP/\\d(?:\\.\\d)? (\\d{3})(?: (.*))?$"),
        QRegularExpression::DotMatchesEverythingOption);
    // Latin-1 keeps every byte as one character, so the reason's bytes come back as they were.
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(m_statusLine));
    m_head.status = match.hasMatch() ? match.captured(1).toInt() : 0;
    m_head.reason = reasonPhrase(match.captured(2).trimmed().toLatin1());
    return match.hasMatch();
}

ResponseHead::Step ResponseHead::endOfHead()
{
    m_expectStatusLine = true;
    if (m_head.status >= 100 && m_head.status <= 199)
        return Step::More;
    if (m_head.status >= 300 && m_head.status <= 399 && !m_location.isEmpty())
        return m_hop.follow(m_location) ? Step::Follow : Step::Refuse;
    m_answerIn = true;
    return Step::Answer;
}

TransferFailure ResponseHead::refusal() const
{
    if (m_hop.refusal().failed())
        return m_hop.refusal();
    const QString line = QString::fromLatin1(m_statusLine);
    return {.kind = TransferFailure::Kind::BadStatusLine, .detail = line, .serverText = line};
}

bool ResponseHead::expectsStatusLine() const
{
    // After a redirect to another scheme, libcurl's refusal is the redirect's, not a head's.
    const QString scheme = url().scheme().toLower();
    return m_expectStatusLine && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}
