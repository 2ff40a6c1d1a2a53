#pragma once

#include <string>

namespace qz7 {

// True for an IPv4 address in 127.0.0.0/8 given in dotted form.
bool isLoopbackAddress(const std::string& address);

// The address the router is asked to forward to. The host-name look-up may give a loopback
// address (Debian maps the host name to 127.0.1.1) or the address of a VPN or virtual adapter
// the router cannot reach, so the address through which the router answered wins whenever
// there is one; the looked-up address is used only when the router did not tell.
std::string chooseInternalClient(const std::string& lookedUpAddress,
                                 const std::string& gatewayLanAddress);

}  // namespace qz7
