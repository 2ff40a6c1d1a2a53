#include "net/internal_client.h"

#include <charconv>
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

bool isLoopbackAddress(const std::string& address) {
    std::string_view rest = address;
    int first = 0;
    int octet = 0;
    if (!takeOctet(rest, first)) return false;
    for (int part = 0; part < 3; ++part) {
        if (rest.empty() || rest.front() != '.') return false;
        rest.remove_prefix(1);
        if (!takeOctet(rest, octet)) return false;
    }
    return rest.empty() && first == 127;
}

std::string chooseInternalClient(const std::string& lookedUpAddress,
                                 const std::string& gatewayLanAddress) {
    if (!gatewayLanAddress.empty() && !isLoopbackAddress(gatewayLanAddress)) {
        return gatewayLanAddress;
    }
    return lookedUpAddress;
}

}  // namespace qz7
