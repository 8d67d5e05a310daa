#pragma once

#include "transferfailure.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <curl/curl.h>

// One request's easy handle as Inet sets it up, and its result read as a failure. Only src/transfer's
// own .cpp files include this, so libcurl's header stays inside the transfer.
namespace CurlRequest {

// What the easy handle calls back and where it writes its own message.
struct Hooks
{
    curl_write_callback onHeader = nullptr;
    curl_write_callback onBody = nullptr;
    void *data = nullptr;
    char *errorBuffer = nullptr; // CURL_ERROR_SIZE bytes
};

// The caller's "Name: value" lines, each ended by CR LF, as libcurl takes them, and ours.
curl_slist *headerList(const QString &requestHeaders);

void setOptions(
    CURL *easy, const QUrl &url, const QByteArray &method, curl_slist *headers, const Hooks &hooks);

// How a request that libcurl ended with `code` failed; `bodyStarted` once the answer was adopted. The
// proxy's address and source are the caller's to fill in.
TransferFailure failure(
    CURL *easy, CURLcode code, const char *errorBuffer, bool bodyStarted, bool throughProxy);

} // namespace CurlRequest
