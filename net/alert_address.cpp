#include "net/alert_address.h"

#include <algorithm>
#include <cctype>

namespace qz7 {

namespace {

struct AddressParts {
    std::string scheme;     // lower case, without "://"; empty when there is none
    std::string authority;  // host and port, without user information
    std::string rest;       // path, query and fragment
};

AddressParts splitAddress(const std::string& url) {
    AddressParts parts;
    const std::size_t schemeEnd = url.find("://");
    std::size_t authorityStart = 0;
    if (schemeEnd != std::string::npos) {
        parts.scheme = url.substr(0, schemeEnd);
        std::transform(parts.scheme.begin(), parts.scheme.end(), parts.scheme.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        authorityStart = schemeEnd + 3;
    }
    const std::size_t authorityEnd = url.find_first_of("/?#", authorityStart);
    std::string authority = url.substr(authorityStart, authorityEnd - authorityStart);
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);
    parts.authority = authority;
    if (authorityEnd != std::string::npos) parts.rest = url.substr(authorityEnd);
    return parts;
}

// Why the port the authority names is none (a port is 1 to 65535); nothing without a port.
std::optional<std::string> portProblem(const std::string& authority) {
    // An IPv6 host is in brackets; its port follows the closing one.
    const std::size_t hostEnd = authority.starts_with("[") ? authority.find(']') : 0;
    const std::size_t colon =
        authority.find(':', hostEnd == std::string::npos ? authority.size() : hostEnd);
    if (colon == std::string::npos) return std::nullopt;
    const std::string port = authority.substr(colon + 1);
    const bool digits =
        !port.empty() && port.size() <= 5 &&
        std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    if (!digits || std::stoi(port) < 1 || std::stoi(port) > 65535)
        return "порт «" + port + "» не от 1 до 65535";
    return std::nullopt;
}

bool hasBlankOrControl(const std::string& url) {
    return std::any_of(url.begin(), url.end(), [](unsigned char c) {
        return std::isspace(c) || std::iscntrl(c) || c == 0x7F;
    });
}

}  // namespace

std::string redactedAddress(const std::string& url) {
    const AddressParts parts = splitAddress(url);
    if (parts.scheme.empty()) return "***";
    return parts.scheme + "://" + parts.authority + "/***";
}

AlertFormat defaultAlertFormat(const std::string& url) {
    const AddressParts parts = splitAddress(url);
    const std::string path = parts.rest.substr(0, parts.rest.find_first_of("?#"));
    return path.find("/api/webhooks/") != std::string::npos ? AlertFormat::Discord
                                                            : AlertFormat::Json;
}

std::optional<std::string> alertAddressProblem(const std::string& url) {
    const AddressParts parts = splitAddress(url);
    if ((parts.scheme != "http" && parts.scheme != "https") || parts.authority.empty() ||
        hasBlankOrControl(url))
        return "адрес оповещений " + redactedAddress(url) +
               " не подходит: нужен адрес http:// или https:// с именем узла, без пробелов";
    if (std::optional<std::string> port = portProblem(parts.authority))
        return "адрес оповещений " + redactedAddress(url) + " не подходит: " + *port;
    return std::nullopt;
}

std::optional<std::string> httpAddressProblem(const std::string& url) {
    const AddressParts parts = splitAddress(url);
    if (parts.scheme != "http" || parts.authority.empty() || hasBlankOrControl(url))
        return "нужен адрес http://узел[:порт]/путь без пробелов";
    return portProblem(parts.authority);
}

}  // namespace qz7
