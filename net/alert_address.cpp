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
    const bool blank = std::any_of(
        url.begin(), url.end(), [](unsigned char c) { return std::isspace(c) || std::iscntrl(c); });
    if ((parts.scheme != "http" && parts.scheme != "https") || parts.authority.empty() || blank)
        return "адрес оповещений " + redactedAddress(url) +
               " не подходит: нужен адрес http:// или https:// с именем узла, без пробелов";
    return std::nullopt;
}

}  // namespace qz7
