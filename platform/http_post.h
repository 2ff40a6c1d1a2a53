#pragma once

#include <chrono>
#include <string>

namespace qz7 {

// Why an HTTP request brought no answer. Each system's implementation maps its own codes to these,
// so that the texts for the user are the same everywhere.
enum class HttpFailure {
    None,          // an answer came (its status may still be an error)
    BadAddress,    // not an http:// or https:// address the library accepts
    HostNotFound,  // the name could not be resolved
    Refused,       // the connection was refused or the host cannot be reached
    TimedOut,      // no complete answer within the time allowed
    Tls,           // the secure connection failed (certificate, handshake)
    Other,         // anything else; detail holds the library's code
};

// What an HTTP POST gave.
struct HttpResponse {
    HttpFailure failure = HttpFailure::None;
    int status = 0;      // the HTTP status when an answer came
    std::string detail;  // the library's own code for HttpFailure::Other

    // True when the receiver accepted the body: an answer with a 2xx status.
    bool delivered() const { return failure == HttpFailure::None && status >= 200 && status < 300; }
};

// Sends body with the given Content-Type by POST to url (http:// or https://, the system's TLS
// and certificates), follows no redirection and gives up after timeout for the whole exchange.
// Safe to call from several threads at once. The url is never part of the result: it may be a
// secret.
HttpResponse httpPost(const std::string& url, const std::string& contentType,
                      const std::string& body, std::chrono::milliseconds timeout);

// Why a POST was not delivered, in Russian, without the address: "нет ответа за 10 с",
// "сервер ответил 404", "соединение отклонено". Empty when it was delivered.
std::string httpFailureText(const HttpResponse& response, std::chrono::milliseconds timeout);

}  // namespace qz7
