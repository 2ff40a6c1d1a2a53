// Windows Sockets 2 before windows.h, and the IP helper after both.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on

#include <algorithm>

#include "platform/network_session.h"
#include "platform/system_error_text.h"
#include "platform/udp_socket.h"

#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

namespace qz7 {

struct UdpSocket::Handle {
    NetworkSession session;
    SOCKET socket = INVALID_SOCKET;
    ~Handle() {
        if (socket != INVALID_SOCKET) closesocket(socket);
    }
};

namespace {

bool toAddress(const UdpEndpoint& endpoint, sockaddr_in& address) {
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(u_short(endpoint.port));
    return endpoint.port >= 0 && endpoint.port <= 65535 &&
           inet_pton(AF_INET, endpoint.address.c_str(), &address.sin_addr) == 1;
}

UdpEndpoint fromAddress(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return {text, ntohs(address.sin_port)};
}

std::string socketErrorText() { return windowsErrorText(unsigned(WSAGetLastError())); }

}  // namespace

std::unique_ptr<UdpSocket> UdpSocket::bind(const std::string& address, int port,
                                           std::string& error) {
    sockaddr_in local{};
    auto handle = std::make_unique<Handle>();
    if (!handle->session.ready()) {
        error = "сетевая библиотека Windows не запустилась";
        return nullptr;
    }
    if (!toAddress({address, port}, local)) {
        error = "неверный адрес " + address;
        return nullptr;
    }
    handle->socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (handle->socket == INVALID_SOCKET) {
        error = socketErrorText();
        return nullptr;
    }
    // Without this, a port unreachable reply to one of our datagrams fails the next receive
    // with WSAECONNRESET, and an answer waiting behind it would be lost.
    BOOL report = FALSE;
    DWORD returned = 0;
    WSAIoctl(handle->socket, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned,
             nullptr, nullptr);
    if (::bind(handle->socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        error = socketErrorText();
        return nullptr;
    }
    return std::unique_ptr<UdpSocket>(new UdpSocket(std::move(handle)));
}

UdpSocket::UdpSocket(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}
UdpSocket::~UdpSocket() = default;

int UdpSocket::localPort() const {
    sockaddr_in local{};
    int length = sizeof local;
    if (getsockname(handle_->socket, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
    return ntohs(local.sin_port);
}

bool UdpSocket::send(const UdpEndpoint& to, std::string_view bytes, std::string& error) {
    sockaddr_in address{};
    if (!toAddress(to, address)) {
        error = "неверный адрес " + to.address;
        return false;
    }
    if (sendto(handle_->socket, bytes.data(), int(bytes.size()), 0,
               reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        error = socketErrorText();
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
        WSAPOLLFD waiting{handle_->socket, POLLRDNORM, 0};
        const int ready = WSAPoll(&waiting, 1, int(std::max<long long>(0, left.count())));
        if (ready == SOCKET_ERROR) {
            error = socketErrorText();
            return UdpReceive::Failed;
        }
        if (ready == 0) return UdpReceive::Timeout;
        datagram.bytes.resize(kUdpReceiveLimit + 1);
        sockaddr_in sender{};
        int length = sizeof sender;
        const int got = recvfrom(handle_->socket, datagram.bytes.data(), int(datagram.bytes.size()),
                                 0, reinterpret_cast<sockaddr*>(&sender), &length);
        if (got == SOCKET_ERROR) {
            const int code = WSAGetLastError();
            // A reset reported all the same (a system that ignored the switch) or a datagram
            // longer than the buffer, which arrives cut: neither ends the wait for the answer.
            if (code == WSAECONNRESET || code == WSAEWOULDBLOCK) continue;
            if (code != WSAEMSGSIZE) {
                error = socketErrorText();
                return UdpReceive::Failed;
            }
            datagram.from = fromAddress(sender);
            return UdpReceive::Datagram;
        }
        datagram.bytes.resize(std::size_t(got));
        datagram.from = fromAddress(sender);
        return UdpReceive::Datagram;
    }
}

std::vector<std::string> localIPv4Addresses() {
    std::vector<std::string> addresses{"127.0.0.1"};
    ULONG size = 16 * 1024;
    std::vector<char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = GetAdaptersAddresses(
            AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
            nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) return addresses;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp) continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const sockaddr* address = unicast->Address.lpSockaddr;
            if (address == nullptr || address->sa_family != AF_INET) continue;
            const std::string text =
                fromAddress(*reinterpret_cast<const sockaddr_in*>(address)).address;
            if (std::find(addresses.begin(), addresses.end(), text) == addresses.end())
                addresses.push_back(text);
        }
    }
    return addresses;
}

}  // namespace qz7
