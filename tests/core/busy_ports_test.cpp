// Holds ports with POSIX sockets; the Windows probe has no test of its own here.
#ifndef _WIN32

#include "net/busy_ports.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace qz7 {
namespace {

// A socket of this test bound to one loopback address, as another program would hold a port.
class LoopbackSocket {
  public:
    LoopbackSocket(int family, int type, int port) : fd(::socket(family, type, 0)) {
        if (family == AF_INET6) {
            sockaddr_in6 address{};
            address.sin6_family = AF_INET6;
            address.sin6_addr = in6addr_loopback;
            address.sin6_port = htons(static_cast<uint16_t>(port));
            bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        } else {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<uint16_t>(port));
            bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        }
        if (bound && type == SOCK_STREAM) bound = ::listen(fd, 1) == 0;
    }
    ~LoopbackSocket() { ::close(fd); }

    int fd;
    bool bound = false;
};

const BusyPort* findPort(const std::vector<BusyPort>& busy, int port, std::string_view protocol) {
    auto found = std::find_if(busy.begin(), busy.end(), [&](const BusyPort& entry) {
        return entry.port == port && entry.protocol == protocol;
    });
    return found == busy.end() ? nullptr : &*found;
}

TEST(BusyPorts, PortsBoundOnLoopbackAreFoundWithTheirFamilyAndProgram) {
    const std::string thisProgram = "(pid " + std::to_string(::getpid()) + ")";
    {
        LoopbackSocket udp(AF_INET, SOCK_DGRAM, 27015);
        LoopbackSocket tcp(AF_INET, SOCK_STREAM, 3074);
        LoopbackSocket tcp6(AF_INET6, SOCK_STREAM, 27044);
        ASSERT_TRUE(udp.bound && tcp.bound) << "another program holds the test's ports";
        const std::vector<BusyPort> busy = findBusyServerPorts();

        struct Expected {
            int port;
            std::string_view protocol;
            bool ipv4, ipv6;
        };
        std::vector<Expected> expected = {{27015, "UDP", true, false}, {3074, "TCP", true, false}};
        if (tcp6.bound) expected.push_back({27044, "TCP", false, true});
        for (const Expected& e : expected) {
            SCOPED_TRACE(std::string(e.protocol) + " " + std::to_string(e.port));
            const BusyPort* entry = findPort(busy, e.port, e.protocol);
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(entry->use.ipv4, e.ipv4);
            EXPECT_EQ(entry->use.ipv6, e.ipv6);
            ASSERT_EQ(entry->programs.size(), 1u);
            EXPECT_TRUE(entry->programs[0].ends_with(thisProgram)) << entry->programs[0];
        }
        // The same number on the other protocol is free.
        EXPECT_EQ(findPort(busy, 3074, "UDP"), nullptr);
    }
    const std::vector<BusyPort> afterwards = findBusyServerPorts();
    EXPECT_EQ(findPort(afterwards, 27015, "UDP"), nullptr);
    EXPECT_EQ(findPort(afterwards, 3074, "TCP"), nullptr);
}

TEST(BusyPorts, NeighboursWithTheSameHoldersAreJoinedIntoRanges) {
    const PortUse v4{true, false};
    const PortUse both{true, true};
    const std::vector<BusyPort> busy = {
        {3074, "TCP", both, {"srv (pid 7)"}},
        {27014, "TCP", v4, {}},
        {27015, "TCP", v4, {}},
        {27016, "TCP", v4, {}},
        {27018, "TCP", v4, {}},
        {27000, "UDP", v4, {"a (pid 1)", "b (pid 2)"}},
        {27001, "UDP", v4, {"a (pid 1)", "b (pid 2)"}},
    };
    EXPECT_EQ(busyPortsMessage(busy),
              "Порты сервера уже заняты другой программой: TCP 3074 (IPv4, IPv6; srv (pid 7)), "
              "TCP 27014-27016 (IPv4), TCP 27018 (IPv4), UDP 27000-27001 (IPv4; a (pid 1), "
              "b (pid 2)).");
}

}  // namespace
}  // namespace qz7

#endif
