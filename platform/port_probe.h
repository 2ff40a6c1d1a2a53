#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// Whether a local port is already bound by some socket on this machine, per address family.
struct PortUse {
    bool ipv4 = false;
    bool ipv6 = false;

    bool any() const { return ipv4 || ipv6; }
};

// Tries to bind the port on every address of the family, as a server would, and reports the
// families where the system refuses because another socket holds it. protocol is "TCP" or
// "UDP". A family the system does not offer counts as free.
PortUse probePortUse(int port, std::string_view protocol);

// The programs the system names as holding the port, as "name (pid N)"; empty where it does
// not say (another user's process, or no such table on this system).
std::vector<std::string> programsHoldingPort(int port, std::string_view protocol);

// The local UDP ports (IPv4 and IPv6) that the process or one of its descendants holds, in
// ascending order without repeats; empty when the system does not tell (another user's process,
// a process that is gone).
std::vector<int> udpPortsOfProcessTree(int processId);

}  // namespace qz7
