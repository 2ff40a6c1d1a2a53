#include <curl/curl.h>

#include <cstddef>
#include <mutex>

#include "platform/http_post.h"

namespace qz7 {

namespace {

// The answer's body is not needed; libcurl would otherwise write it to standard output.
std::size_t discardBody(char*, std::size_t size, std::size_t count, void*) { return size * count; }

HttpFailure failureOf(CURLcode code) {
    switch (code) {
        case CURLE_OK:
            return HttpFailure::None;
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return HttpFailure::BadAddress;
        case CURLE_COULDNT_RESOLVE_HOST:
            return HttpFailure::HostNotFound;
        case CURLE_COULDNT_CONNECT:
            return HttpFailure::Refused;
        case CURLE_OPERATION_TIMEDOUT:
            return HttpFailure::TimedOut;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CERTPROBLEM:
            return HttpFailure::Tls;
        default:
            return HttpFailure::Other;
    }
}

}  // namespace

HttpResponse httpPost(const std::string& url, const std::string& contentType,
                      const std::string& body, std::chrono::milliseconds timeout) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    HttpResponse response;
    CURL* curl = curl_easy_init();
    if (!curl) {
        response.failure = HttpFailure::Other;
        response.detail = "curl_easy_init";
        return response;
    }
    const std::string contentTypeHeader = "Content-Type: " + contentType;
    curl_slist* headers = curl_slist_append(nullptr, contentTypeHeader.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // called from threads of our own
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discardBody);
    const CURLcode code = curl_easy_perform(curl);
    response.failure = failureOf(code);
    if (response.failure == HttpFailure::Other) response.detail = "curl " + std::to_string(code);
    if (code == CURLE_OK) {
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        response.status = static_cast<int>(status);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return response;
}

}  // namespace qz7
