#include "net/internal_client.h"

#include <array>
#include <charconv>
#include <optional>
#include <string_view>

namespace qz7 {

namespace {

// Reads one decimal octet (0-255) at the front of text and drops it; false on anything else.
bool takeOctet(std::string_view& text, int& octet) {
    const char* end = text.data() + text.size();
    auto [next, error] = std::from_chars(text.data(), end, octet);
    if (error != std::errc() || next == text.data() || next - text.data() > 3) return false;
    if (octet < 0 || octet > 255) return false;
    text.remove_prefix(static_cast<std::size_t>(next - text.data()));
    return true;
}

}  // namespace

std::optional<std::array<int, 4>> parseIPv4Address(const std::string& address) {
    std::string_view rest = address;
    std::array<int, 4> octets{};
    for (std::size_t part = 0; part < octets.size(); ++part) {
        if (part > 0) {
            if (rest.empty() || rest.front() != '.') return std::nullopt;
            rest.remove_prefix(1);
        }
        if (!takeOctet(rest, octets[part])) return std::nullopt;
    }
    if (!rest.empty()) return std::nullopt;
    return octets;
}

bool isLoopbackAddress(const std::string& address) {
    const auto octets = parseIPv4Address(address);
    return octets && (*octets)[0] == 127;
}

bool isPrivateOrSharedAddress(const std::string& address) {
    const auto octets = parseIPv4Address(address);
    if (!octets) return false;
    const int first = (*octets)[0];
    const int second = (*octets)[1];
    return first == 10 || (first == 172 && second >= 16 && second <= 31) ||
           (first == 192 && second == 168) || (first == 100 && second >= 64 && second <= 127);
}

std::string chooseInternalClient(const std::string& lookedUpAddress,
                                 const std::string& gatewayLanAddress) {
    if (!gatewayLanAddress.empty() && !isLoopbackAddress(gatewayLanAddress)) {
        return gatewayLanAddress;
    }
    return lookedUpAddress;
}

}  // namespace qz7
