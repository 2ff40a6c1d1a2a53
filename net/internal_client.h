#pragma once

#include <array>
#include <optional>
#include <string>

namespace qz7 {

// The four octets of an IPv4 address in dotted decimal form; nothing for any other text.
std::optional<std::array<int, 4>> parseIPv4Address(const std::string& address);

// True for an IPv4 address in 127.0.0.0/8 given in dotted form.
bool isLoopbackAddress(const std::string& address);

// True for a private (10/8, 172.16/12, 192.168/16) or provider-shared (100.64/10) IPv4
// address: a router that has one as its external address sits behind another NAT.
bool isPrivateOrSharedAddress(const std::string& address);

// The address the router is asked to forward to. The host-name look-up may give a loopback
// address (Debian maps the host name to 127.0.1.1) or the address of a VPN or virtual adapter
// the router cannot reach, so the address through which the router answered wins whenever
// there is one; the looked-up address is used only when the router did not tell.
std::string chooseInternalClient(const std::string& lookedUpAddress,
                                 const std::string& gatewayLanAddress);

}  // namespace qz7
