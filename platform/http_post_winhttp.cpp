#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <memory>

#include "platform/http_post.h"
#include "platform/windows_text.h"

namespace qz7 {

namespace {

using Clock = std::chrono::steady_clock;

struct InternetHandleCloser {
    void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

HttpFailure failureOf(DWORD error) {
    switch (error) {
        case ERROR_WINHTTP_INVALID_URL:
        case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
            return HttpFailure::BadAddress;
        case ERROR_WINHTTP_NAME_NOT_RESOLVED:
            return HttpFailure::HostNotFound;
        case ERROR_WINHTTP_CANNOT_CONNECT:
        case ERROR_WINHTTP_CONNECTION_ERROR:
            return HttpFailure::Refused;
        case ERROR_WINHTTP_TIMEOUT:
        case WSAETIMEDOUT:  // wine passes the socket's own timeout on
            return HttpFailure::TimedOut;
        case ERROR_WINHTTP_SECURE_FAILURE:
        case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        case ERROR_WINHTTP_SECURE_INVALID_CA:
        case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
        case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        case ERROR_WINHTTP_SECURE_INVALID_CERT:
        case ERROR_WINHTTP_SECURE_CERT_REVOKED:
            return HttpFailure::Tls;
        default:
            return HttpFailure::Other;
    }
}

HttpResponse failed(DWORD error) {
    HttpResponse response;
    response.failure = failureOf(error);
    if (response.failure == HttpFailure::Other)
        response.detail = "WinHTTP " + std::to_string(error);
    return response;
}

// WinHTTP times each step (resolve, connect, send, receive) on its own: every step gets what is
// left of the whole exchange's time.
int remainingMilliseconds(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(1, left.count()));
}

// The wait for the response's headers has a timeout of its own, which WinHttpSetTimeouts leaves
// alone (90 s on Windows, none under wine): an address that takes the request and never answers
// would hold the alert thread that long.
void limitWaitForHeaders(HINTERNET request, int milliseconds) {
    DWORD timeout = static_cast<DWORD>(milliseconds);
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &timeout, sizeof timeout);
}

}  // namespace

HttpResponse httpPost(const std::string& url, const std::string& contentType,
                      const std::string& body, std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    std::wstring wideUrl = wideFromUtf8(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)) return failed(GetLastError());
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return failed(ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    InternetHandle session(WinHttpOpen(L"qz7ctl", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return failed(GetLastError());
    const int stepTimeout = remainingMilliseconds(deadline);
    WinHttpSetTimeouts(session.get(), stepTimeout, stepTimeout, stepTimeout, stepTimeout);
    InternetHandle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection) return failed(GetLastError());
    const DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    InternetHandle request(WinHttpOpenRequest(connection.get(), L"POST", path.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              flags));
    if (!request) return failed(GetLastError());
    DWORD noRedirects = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &noRedirects,
                     sizeof noRedirects);
    // Wine already waits for the answer inside WinHttpSendRequest.
    limitWaitForHeaders(request.get(), remainingMilliseconds(deadline));
    const std::wstring header = L"Content-Type: " + wideFromUtf8(contentType);
    if (!WinHttpSendRequest(request.get(), header.c_str(), static_cast<DWORD>(header.size()),
                            const_cast<char*>(body.data()), static_cast<DWORD>(body.size()),
                            static_cast<DWORD>(body.size()), 0))
        return failed(GetLastError());
    const int receiveTimeout = remainingMilliseconds(deadline);
    WinHttpSetTimeouts(request.get(), receiveTimeout, receiveTimeout, receiveTimeout,
                       receiveTimeout);
    limitWaitForHeaders(request.get(), receiveTimeout);
    if (!WinHttpReceiveResponse(request.get(), nullptr)) return failed(GetLastError());
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        return failed(GetLastError());
    HttpResponse response;
    response.status = static_cast<int>(status);
    return response;
}

}  // namespace qz7
