#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/port_probe.h"

namespace qz7 {

// One of the server's ports that is already bound on this machine.
struct BusyPort {
    int port = 0;
    std::string_view protocol;
    PortUse use;
    std::vector<std::string> programs;  // as the system names them; may be empty
};

// The server's 70 ports that another socket on this machine already holds (TCP and UDP, IPv4
// and IPv6), in the order of the server port table; empty when all are free.
std::vector<BusyPort> findBusyServerPorts();

// The busy ports in a few words, neighbouring ports of the same protocol and holders joined:
// "UDP 27015 (IPv4; nc (pid 812)), TCP 27014-27050 (IPv4, IPv6)".
std::string describeBusyPorts(const std::vector<BusyPort>& busy);

// "Порты сервера уже заняты другой программой: <description>." The window asks after it
// whether to start anyway; qz7ctl refuses unless told to go on.
std::string busyPortsMessage(const std::vector<BusyPort>& busy);

}  // namespace qz7
