#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// An IPv4 address in dotted form and a port.
struct UdpEndpoint {
    std::string address;
    int port = 0;

    bool operator==(const UdpEndpoint&) const = default;
};

// One datagram as it arrived, with its sender.
struct UdpDatagram {
    std::string bytes;
    UdpEndpoint from;
};

// What waiting for a datagram gave.
enum class UdpReceive { Datagram, Timeout, Failed };

// The largest datagram a receive takes whole; a longer one arrives cut to this length.
inline constexpr std::size_t kUdpReceiveLimit = 64 * 1024;

// A UDP socket over IPv4, bound to one local address. On Windows a port unreachable reply to an
// earlier datagram does not fail the next receive (the system's connection-reset reporting is
// turned off): such a reply says nothing about the answers still to come.
class UdpSocket {
  public:
    // A socket bound to the address and port (0: a port the system picks). Nothing, with the
    // reason (Russian) in error, when the system refuses.
    static std::unique_ptr<UdpSocket> bind(const std::string& address, int port,
                                           std::string& error);

    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // The port the socket is bound to.
    int localPort() const;

    // Sends one datagram; false with the reason in error when the system refuses.
    bool send(const UdpEndpoint& to, std::string_view bytes, std::string& error);

    // Waits at most timeout for the next datagram. A datagram longer than kUdpReceiveLimit
    // arrives cut to kUdpReceiveLimit + 1 bytes, so that the reader sees it was too long.
    UdpReceive receive(std::chrono::milliseconds timeout, UdpDatagram& datagram,
                       std::string& error);

    struct Handle;

  private:
    explicit UdpSocket(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> handle_;
};

// The IPv4 addresses of this machine's interfaces that are up, loopback first; 127.0.0.1 at
// least.
std::vector<std::string> localIPv4Addresses();

}  // namespace qz7
