#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/system_error_text.h"
#include "platform/udp_socket.h"

namespace qz7 {

struct UdpSocket::Handle {
    int fd = -1;
    ~Handle() {
        if (fd >= 0) ::close(fd);
    }
};

namespace {

bool toAddress(const UdpEndpoint& endpoint, sockaddr_in& address) {
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(endpoint.port));
    return endpoint.port >= 0 && endpoint.port <= 65535 &&
           ::inet_pton(AF_INET, endpoint.address.c_str(), &address.sin_addr) == 1;
}

UdpEndpoint fromAddress(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return {text, ntohs(address.sin_port)};
}

}  // namespace

std::unique_ptr<UdpSocket> UdpSocket::bind(const std::string& address, int port,
                                           std::string& error) {
    sockaddr_in local{};
    if (!toAddress({address, port}, local)) {
        error = "неверный адрес " + address;
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    handle->fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (handle->fd < 0 ||
        ::bind(handle->fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        error = errnoText(errno);
        return nullptr;
    }
    return std::unique_ptr<UdpSocket>(new UdpSocket(std::move(handle)));
}

UdpSocket::UdpSocket(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
UdpSocket::~UdpSocket() = default;

int UdpSocket::localPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(handle_->fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
    return ntohs(local.sin_port);
}

bool UdpSocket::send(const UdpEndpoint& to, std::string_view bytes, std::string& error) {
    sockaddr_in address{};
    if (!toAddress(to, address)) {
        error = "неверный адрес " + to.address;
        return false;
    }
    ssize_t sent;
    do {
        sent = ::sendto(handle_->fd, bytes.data(), bytes.size(), 0,
                        reinterpret_cast<sockaddr*>(&address), sizeof address);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) {
        error = errnoText(errno);
        return false;
    }
    return true;
}

UdpReceive UdpSocket::receive(std::chrono::milliseconds timeout, UdpDatagram& datagram,
                              std::string& error) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd waiting{handle_->fd, POLLIN, 0};
        const int ready =
            ::poll(&waiting, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            error = errnoText(errno);
            return UdpReceive::Failed;
        }
        if (ready == 0) return UdpReceive::Timeout;
        datagram.bytes.resize(kUdpReceiveLimit + 1);
        sockaddr_in sender{};
        socklen_t length = sizeof sender;
        const ssize_t got = ::recvfrom(handle_->fd, datagram.bytes.data(), datagram.bytes.size(),
                                       MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender), &length);
        if (got < 0) {
            // A port unreachable reply to a connected socket's datagram, or a datagram the
            // system dropped after poll: neither ends the wait.
            if (errno == EINTR || errno == EAGAIN || errno == ECONNREFUSED) continue;
            error = errnoText(errno);
            return UdpReceive::Failed;
        }
        datagram.bytes.resize(static_cast<std::size_t>(got));
        datagram.from = fromAddress(sender);
        return UdpReceive::Datagram;
    }
}

std::vector<std::string> localIPv4Addresses() {
    std::vector<std::string> addresses{"127.0.0.1"};
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0) return addresses;
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        if ((entry->ifa_flags & IFF_UP) == 0) continue;
        const std::string address =
            fromAddress(*reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)).address;
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end())
            addresses.push_back(address);
    }
    ::freeifaddrs(interfaces);
    return addresses;
}

}  // namespace qz7
