#include "redirecthop.h"

#include <algorithm>
#include <memory>

#include <curl/curl.h>

namespace {

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

using Kind = TransferFailure::Kind;
using Handle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

// The flags libcurl (7.88) sets a Location with when it follows one itself: raw bytes and blanks are
// percent-encoded as it sends them ("/l%e4.rar"), and a scheme is never guessed.
constexpr unsigned int asLibcurlFollows = CURLU_URLENCODE | CURLU_ALLOW_SPACE;

Handle parsed(const QByteArray &address)
{
    Handle url(curl_url(), &curl_url_cleanup);
    curl_url_set(url.get(), CURLUPART_URL, address.constData(), asLibcurlFollows);
    return url;
}

// One part as libcurl spells it; empty when there is none.
QByteArray part(CURLU *url, CURLUPart which)
{
    char *text = nullptr;
    if (curl_url_get(url, which, &text, 0) != CURLUE_OK)
        return {};
    QByteArray spelled(text);
    curl_free(text);
    return spelled;
}

// The address without what is only libcurl's business: a user name, a password, login options.
QByteArray withoutCredentials(CURLU *url)
{
    const Handle copy(curl_url_dup(url), &curl_url_cleanup);
    for (const CURLUPart credential : {CURLUPART_USER, CURLUPART_PASSWORD, CURLUPART_OPTIONS})
        curl_url_set(copy.get(), credential, nullptr, 0);
    return part(copy.get(), CURLUPART_URL);
}

// The scheme `location` starts with (RFC 3986, 3.1), as written; empty for a relative one.
QByteArray schemeOf(const QByteArray &location)
{
    const qsizetype colon = location.indexOf(':');
    const QByteArray scheme = location.left(colon);
    const bool valid = colon > 0 && isAsciiLetter(scheme.front())
        && std::all_of(scheme.cbegin(), scheme.cend(), [](char c) {
               return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
           });
    return valid ? scheme : QByteArray();
}

} // namespace

RedirectHop::RedirectHop(const QByteArray &start)
    : m_address(part(parsed(start).get(), CURLUPART_URL))
{
    // What libcurl's parser cannot read goes to libcurl as it is, which then tells why it cannot.
    if (m_address.isEmpty())
        m_address = start;
}

bool RedirectHop::follow(QByteArrayView location)
{
    // Counted before the Location is read, as libcurl counts.
    if (m_count >= maxHops)
        return refuse(Kind::TooManyRedirects, u"too many redirects"_qs);
    const Handle url = parsed(m_address);
    const bool fromSecure = part(url.get(), CURLUPART_SCHEME) == "https";
    const QByteArray text = location.toByteArray();
    const CURLUcode read = curl_url_set(url.get(), CURLUPART_URL, text.constData(), asLibcurlFollows);
    // A scheme libcurl does not know is one it would never guess: "mailto:a@vorn.example" is named by its
    // scheme alone, "localhost:8080/x" too. Whatever follows it may be a user name and a password.
    const QByteArray named = schemeOf(text);
    const QByteArray scheme = read == CURLUE_OK ? part(url.get(), CURLUPART_SCHEME) : named.toLower();
    // "ftp:x" or "http://host:99999/": not a web address, or one that cannot be reached at all.
    if (read != CURLUE_OK && (scheme == "http" || scheme == "https" || scheme.isEmpty())) {
        return refuse(Kind::UnusableRedirect,
            u"Refused a redirect to an address that cannot be used: "_qs
                + QString::fromLatin1(curl_url_strerror(read)));
    }
    if (scheme != "http" && scheme != "https") {
        const QString named = QString::fromLatin1(scheme) + u":\u2026"_qs;
        return refuse(Kind::NonWebRedirect, u"Refused a redirect to "_qs + named, named);
    }
    if (fromSecure && scheme == "http") {
        return refuse(Kind::InsecureRedirect,
            u"Refused a redirect from a secure address to an insecure one: "_qs
                + QString::fromUtf8(withoutCredentials(url.get())));
    }
    m_address = part(url.get(), CURLUPART_URL);
    ++m_count;
    return true;
}

QUrl RedirectHop::url() const
{
    const QByteArray address = withoutCredentials(parsed(m_address).get());
    return address.isEmpty() ? QUrl::fromEncoded(m_address).adjusted(QUrl::RemoveUserInfo)
                             : QUrl::fromEncoded(address);
}

bool RedirectHop::refuse(TransferFailure::Kind kind, const QString &detail, const QString &serverText)
{
    m_refusal = {.kind = kind, .detail = detail, .serverText = serverText};
    return false;
}
