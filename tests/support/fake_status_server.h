#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/udp_socket.h"

namespace qz7::testing {

// One datagram a fake server sends back, from its own port or from a second socket of its.
struct FakeReply {
    std::string bytes;
    bool fromOtherPort = false;
};

// A game server of the test's own on 127.0.0.1: a thread that answers each datagram with what the
// test's function makes of it (the request's number, from 1, and its bytes).
class FakeStatusServer {
  public:
    using Answer = std::function<std::vector<FakeReply>(int number, std::string_view request)>;

    explicit FakeStatusServer(Answer answer) : answer_(std::move(answer)) {
        std::string error;
        socket_ = UdpSocket::bind("127.0.0.1", 0, error);
        other_ = UdpSocket::bind("127.0.0.1", 0, error);
        if (socket_ && other_) thread_ = std::thread([this] { run(); });
    }
    ~FakeStatusServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    FakeStatusServer(const FakeStatusServer&) = delete;
    FakeStatusServer& operator=(const FakeStatusServer&) = delete;

    bool ready() const { return thread_.joinable(); }
    int port() const { return socket_ ? socket_->localPort() : 0; }
    UdpEndpoint endpoint() const { return {"127.0.0.1", port()}; }
    int requests() const { return requests_; }

  private:
    void run() {
        while (!stop_) {
            UdpDatagram datagram;
            std::string error;
            if (socket_->receive(std::chrono::milliseconds(20), datagram, error) !=
                UdpReceive::Datagram)
                continue;
            const int number = ++requests_;
            for (const FakeReply& reply : answer_(number, datagram.bytes))
                (reply.fromOtherPort ? other_ : socket_)->send(datagram.from, reply.bytes, error);
        }
    }

    Answer answer_;
    std::unique_ptr<UdpSocket> socket_;
    std::unique_ptr<UdpSocket> other_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

// The challenge of a "getstatus" request; empty when it has none.
inline std::string challengeOf(std::string_view request) {
    const std::string_view query = "\xff\xff\xff\xffgetstatus ";
    if (!request.starts_with(query)) return {};
    std::string challenge(request.substr(query.size()));
    while (!challenge.empty() && challenge.back() == '\n') challenge.pop_back();
    return challenge;
}

// A status answer: the information line (which gets the challenge when one is given) and player
// lines, each ended by a line end.
inline std::string statusAnswer(const std::string& info, const std::vector<std::string>& players,
                                const std::string& challenge = {}) {
    std::string answer = "\xff\xff\xff\xffstatusResponse\n" + info;
    if (!challenge.empty()) answer += "\\challenge\\" + challenge;
    answer += "\n";
    for (const std::string& player : players) answer += player + "\n";
    return answer;
}

}  // namespace qz7::testing
