#pragma once

#include <QMetaType>
#include <QString>

// What stopped a request, as fields side by side; the window turns them into words in one place.
struct TransferFailure
{
    enum class Kind {
        None,
        NameNotFound, // the server's or the proxy's name is unknown
        CouldNotConnect, // nothing answers at the server's or the proxy's address
        TimedOut, // no data for the request's time-out, or no answer's head within it
        ConnectionClosed, // the connection closed or broke before the end of the answer
        Http2Only, // the server agrees to no protocol but HTTP/2, which the request does not speak
        Tls, // the secure connection could not be set up or trusted, for none of the reasons below
        CertificateFileSetting, // `variable` names `path`, which is no regular file
        CertificateFolderSetting, // `variable` names `path`, which is no folder
        CertificateFileUnreadable, // the certificates to trust in `path` (from `variable`) cannot be read
        CertificateNameMismatch, // the server's certificate is not for the name it was reached by
        CertificateUntrusted, // the server's certificate is from an issuer nobody trusts here
        CertificateExpired, // the server's certificate has expired
        TooManyRedirects,
        InsecureRedirect, // a redirect from a secure address to an insecure one
        NonWebRedirect, // a redirect to a scheme other than http and https; `serverText` names it: "mailto:…"
        UnusableRedirect, // a redirect to a web address that cannot be reached: no port, no host
        Protocol, // an answer that libcurl or our rules reject
        BadStatusLine, // a status line that cannot be read
        HeadTooLarge, // the answer's head is larger than libcurl takes
        ProxySetting, // the proxy setting cannot be read; `detail` says why
        Other,
    };

    Kind kind = Kind::None;
    QString systemReason{}; // the system's own words, e.g. "Connection refused"; empty when it gave none
    QString detail{}; // libcurl's message or ours, for the log: never shown as it is
    // The server's own words that failed, as it sent them (a status line), if known; at the proxy, the
    // status of its refusal to open a tunnel.
    QString serverText{};
    // Where the request went through a proxy: its address, and the variable it was read from (empty
    // for the desktop's proxy settings).
    QString proxy{};
    QString proxySource{};
    // The proxy's name, address or answer to CONNECT failed, not the server's; or the answer that came is
    // the proxy's own, as it says.
    bool atProxy = false;
    bool proxyCredentials = false; // the request gave the proxy a user name and password
    // Where the certificates to trust were named: the environment variable and the path it gives.
    QString variable{};
    QString path{};

    bool failed() const { return kind != Kind::None; }
};

Q_DECLARE_METATYPE(TransferFailure)
