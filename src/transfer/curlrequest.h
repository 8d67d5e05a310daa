#pragma once

#include "answerhead.h"
#include "proxyrules.h"
#include "redirecthop.h"
#include "transferfailure.h"

#include <QByteArray>
#include <QString>

#include <curl/curl.h>

// One request's easy handle as Inet sets it up, and its result read as a failure. Only src/transfer's
// own .cpp files include this, so libcurl's header stays inside the transfer.
namespace CurlRequest {

// libcurl reads the socket in blocks of this size; bigger was slower here, smaller costs more passes.
// A block the body's reader has no room for is held back whole by libcurl until it resumes.
constexpr long socketReadSize = 256 * 1024;

// What the easy handle calls back and where it writes its own message.
struct Hooks
{
    curl_write_callback onHeader = nullptr;
    curl_write_callback onBody = nullptr;
    void *data = nullptr;
    char *errorBuffer = nullptr; // CURL_ERROR_SIZE bytes
    bool *closeNotified = nullptr; // set when the server ends its TLS connection in good order
};

// The certificates to trust instead of the system's, as curl reads them from the environment:
// CURL_CA_BUNDLE (a file), else SSL_CERT_FILE (a file) and SSL_CERT_DIR (a folder).
struct Trust
{
    QByteArray fileVariable{};
    QByteArray file{};
    QByteArray folder{};
    TransferFailure refusal{}; // a variable names something that is not what it must be
};
Trust trustFromEnvironment();

// The caller's "Name: value" lines, each ended by CR LF, as libcurl takes them, and ours.
curl_slist *headerList(const QString &requestHeaders);

// The request to where `hop` goes; libcurl follows the hops left of the limit on its own.
void setOptions(CURL *easy, const RedirectHop &hop, const QByteArray &method, curl_slist *headers,
    const Hooks &hooks, const Trust &trust);

// The proxy the request goes through ("" for none), so that libcurl does not read the environment again.
// A setting that cannot be read is why the request fails: going direct instead would silently ignore what
// the user asked for.
TransferFailure setProxy(CURL *easy, const ProxyRules::Choice &proxy);

// Names the proxy the request went through in `failure`, whether the request gave it a user name and
// password, and whether the answer is the proxy's own (`madeByProxy`, as its head says).
void noteProxy(TransferFailure *failure, const ProxyRules::Choice &proxy, bool madeByProxy = false);

// Whether a body that libcurl took for whole ended only by the connection closing over TLS without the
// server's close_notify: then nothing tells it from a cut made by anyone on the way.
bool endsWithoutCloseNotify(CURL *easy, const AnswerHead &head, bool closeNotified);

// Where the request stood when libcurl ended it.
struct Stage
{
    bool bodyStarted = false; // the answer was adopted
    bool statusLineDue = false; // the next line libcurl reads is a status line
    const ProxyRules::Choice &proxy;
    const Trust &trust;
};

// How a request that libcurl ended with `code` failed.
TransferFailure failure(CURL *easy, CURLcode code, const char *errorBuffer, const Stage &stage);

} // namespace CurlRequest
