#pragma once

// A small HTTP server on 127.0.0.1 for tests of the program's HTTP requests, on POSIX and
// Windows (also under wine): it records each request and answers with a chosen status, or
// never answers.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qz7::testing {

#ifdef _WIN32
using SocketHandle = SOCKET;
constexpr SocketHandle kNoSocket = INVALID_SOCKET;
inline void closeSocket(SocketHandle socket) { closesocket(socket); }
inline bool readable(SocketHandle socket, int milliseconds) {
    WSAPOLLFD entry{socket, POLLRDNORM, 0};
    return WSAPoll(&entry, 1, milliseconds) > 0;
}
#else
using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;
inline void closeSocket(SocketHandle socket) { ::close(socket); }
inline bool readable(SocketHandle socket, int milliseconds) {
    pollfd entry{socket, POLLIN, 0};
    return ::poll(&entry, 1, milliseconds) > 0;
}
#endif

// A TCP socket listening on 127.0.0.1 at a port the system picks; kNoSocket when it failed.
inline SocketHandle listenOnLoopback(int& port) {
#ifdef _WIN32
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) return kNoSocket;
#endif
    SocketHandle socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket == kNoSocket) return kNoSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket, 16) != 0 ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closeSocket(socket);
        return kNoSocket;
    }
    port = ntohs(address.sin_port);
    return socket;
}

// An address on 127.0.0.1 where nothing listens: connections to it are refused.
inline std::string refusingAddress(const std::string& path) {
    int port = 0;
    const SocketHandle socket = listenOnLoopback(port);
    closeSocket(socket);
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

struct HttpRequest {
    std::string method;
    std::string path;
    std::string contentType;
    std::string body;
    std::chrono::steady_clock::time_point arrived;
};

class LoopbackHttpServer {
  public:
    // status: the answer to every request; 0: never answer (the connection stays open).
    explicit LoopbackHttpServer(int status = 204) : status_(status) {
        socket_ = listenOnLoopback(port_);
        if (socket_ != kNoSocket) thread_ = std::thread([this] { run(); });
    }
    ~LoopbackHttpServer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        if (thread_.joinable()) thread_.join();
        if (socket_ != kNoSocket) closeSocket(socket_);
        for (SocketHandle open : unanswered_) closeSocket(open);
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool listening() const { return socket_ != kNoSocket; }
    // The answer to the requests that come from now on.
    void setStatus(int status) {
        std::lock_guard lock(mutex_);
        status_ = status;
    }
    std::string address(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    // Waits until count requests have come, at most a minute; the requests so far.
    std::vector<HttpRequest> waitForRequests(std::size_t count) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, std::chrono::minutes(1), [&] { return requests_.size() >= count; });
        return requests_;
    }
    std::vector<HttpRequest> requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

  private:
    bool stopping() {
        std::lock_guard lock(mutex_);
        return stopping_;
    }

    void run() {
        while (!stopping()) {
            if (!readable(socket_, 50)) continue;
            const SocketHandle connection = ::accept(socket_, nullptr, nullptr);
            if (connection == kNoSocket) continue;
            HttpRequest request = readRequest(connection);
            int status = 0;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
                status = status_;
            }
            arrived_.notify_all();
            if (status == 0) {
                unanswered_.push_back(connection);
                continue;
            }
            const std::string answer = "HTTP/1.1 " + std::to_string(status) +
                                       " Test\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            ::send(connection, answer.data(), static_cast<int>(answer.size()), 0);
            closeSocket(connection);
        }
    }

    // Reads the head and the Content-Length bytes of the body (at most ten seconds of waiting).
    static HttpRequest readRequest(SocketHandle connection) {
        std::string data;
        std::size_t headEnd = std::string::npos;
        std::size_t length = 0;
        char buffer[4096];
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until) {
            if (headEnd != std::string::npos && data.size() >= headEnd + 4 + length) break;
            if (!readable(connection, 100)) continue;
            const int got = ::recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            data.append(buffer, static_cast<std::size_t>(got));
            if (headEnd == std::string::npos &&
                (headEnd = data.find("\r\n\r\n")) != std::string::npos)
                length = std::strtoul(header(data.substr(0, headEnd), "content-length").c_str(),
                                      nullptr, 10);
        }
        HttpRequest request;
        request.arrived = std::chrono::steady_clock::now();
        const std::string head = data.substr(0, headEnd);
        const std::size_t methodEnd = head.find(' ');
        request.method = head.substr(0, methodEnd);
        request.path = head.substr(methodEnd + 1, head.find(' ', methodEnd + 1) - methodEnd - 1);
        request.contentType = header(head, "content-type");
        if (headEnd != std::string::npos) request.body = data.substr(headEnd + 4, length);
        return request;
    }

    // The value of a header (its name in lower case), found without regard to case.
    static std::string header(const std::string& head, const std::string& name) {
        std::string lower = head;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::size_t found = lower.find("\r\n" + name + ":");
        if (found == std::string::npos) return {};
        std::size_t start = found + name.size() + 3;
        while (start < head.size() && head[start] == ' ') ++start;
        return head.substr(start, head.find("\r\n", start) - start);
    }

    int status_;
    int port_ = 0;
    SocketHandle socket_ = kNoSocket;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<HttpRequest> requests_;
    std::vector<SocketHandle> unanswered_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace qz7::testing
