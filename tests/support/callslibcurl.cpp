// A call into libcurl outside src/transfer, for the layer_rule test to find.
#include <curl/curl.h>

CURL *callsLibcurl();

CURL *callsLibcurl()
{
    return curl_easy_init();
}
