#include <curl/curl.h>
#include <dlfcn.h>

#include <cstddef>
#include <string>

#include "platform/http_post.h"

namespace qz7 {

namespace {

// libcurl, with the two dozen libraries it needs (TLS, Kerberos, LDAP...), is loaded when the
// first message goes out, not when a program starts: the window and qz7ctl start without them,
// and most runs send nothing.
struct Curl {
    decltype(&curl_global_init) globalInit = nullptr;
    decltype(&curl_easy_init) easyInit = nullptr;
    decltype(&curl_easy_setopt) easySetopt = nullptr;
    decltype(&curl_easy_perform) easyPerform = nullptr;
    decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
    decltype(&curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&curl_slist_append) slistAppend = nullptr;
    decltype(&curl_slist_free_all) slistFreeAll = nullptr;
    std::string missing;  // why it could not be loaded; empty when loaded
};

template <typename Function>
void find(void* library, const char* name, Function& function, std::string& missing) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    if (function == nullptr && missing.empty()) missing = std::string("libcurl без ") + name;
}

const Curl& curl() {
    static const Curl loaded = [] {
        Curl curl;
        void* library = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            curl.missing = "не загружается libcurl.so.4 (пакет libcurl4)";
            return curl;
        }
        find(library, "curl_global_init", curl.globalInit, curl.missing);
        find(library, "curl_easy_init", curl.easyInit, curl.missing);
        find(library, "curl_easy_setopt", curl.easySetopt, curl.missing);
        find(library, "curl_easy_perform", curl.easyPerform, curl.missing);
        find(library, "curl_easy_getinfo", curl.easyGetinfo, curl.missing);
        find(library, "curl_easy_cleanup", curl.easyCleanup, curl.missing);
        find(library, "curl_slist_append", curl.slistAppend, curl.missing);
        find(library, "curl_slist_free_all", curl.slistFreeAll, curl.missing);
        if (curl.missing.empty()) curl.globalInit(CURL_GLOBAL_DEFAULT);
        return curl;
    }();
    return loaded;
}

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
    HttpResponse response;
    const Curl& library = curl();
    if (!library.missing.empty()) {
        response.failure = HttpFailure::Other;
        response.detail = library.missing;
        return response;
    }
    CURL* curl = library.easyInit();
    if (!curl) {
        response.failure = HttpFailure::Other;
        response.detail = "curl_easy_init";
        return response;
    }
    const std::string contentTypeHeader = "Content-Type: " + contentType;
    curl_slist* headers = library.slistAppend(nullptr, contentTypeHeader.c_str());
    library.easySetopt(curl, CURLOPT_URL, url.c_str());
    library.easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    library.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);  // called from threads of our own
    library.easySetopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
    library.easySetopt(curl, CURLOPT_HTTPHEADER, headers);
    library.easySetopt(curl, CURLOPT_POSTFIELDS, body.data());
    library.easySetopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    library.easySetopt(curl, CURLOPT_WRITEFUNCTION, discardBody);
    const CURLcode code = library.easyPerform(curl);
    response.failure = failureOf(code);
    if (response.failure == HttpFailure::Other) response.detail = "curl " + std::to_string(code);
    if (code == CURLE_OK) {
        long status = 0;
        library.easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        response.status = static_cast<int>(status);
    }
    library.slistFreeAll(headers);
    library.easyCleanup(curl);
    return response;
}

}  // namespace qz7
