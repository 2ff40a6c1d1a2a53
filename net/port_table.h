#pragma once

#include <array>
#include <string_view>

namespace qz7 {

// One forwarding the dedicated server needs: the same port number outside and inside.
struct ServerPort {
    int port;
    std::string_view protocol;  // "TCP" or "UDP"
};

inline constexpr int kServerPortCount = 70;
inline constexpr std::string_view kPortMappingDescription = "QZ7";

// The server's ports in the order they are forwarded and removed: TCP and UDP 3074,
// TCP 27014 to 27050, UDP 27000 to 27030.
const std::array<ServerPort, kServerPortCount>& serverPortTable();

}  // namespace qz7
