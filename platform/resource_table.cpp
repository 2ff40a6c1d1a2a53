#include "platform/resource_table.h"

#include <algorithm>

namespace qz7 {

namespace {
bool equalIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}
}  // namespace

std::optional<std::span<const unsigned char>> findResource(std::span<const EmbeddedResource> table,
                                                           std::string_view type,
                                                           std::string_view name) {
    for (const EmbeddedResource& resource : table) {
        if (equalIgnoringCase(resource.type, type) && equalIgnoringCase(resource.name, name))
            return resource.bytes;
    }
    return std::nullopt;
}

std::optional<std::span<const unsigned char>> findResource(std::string_view type,
                                                           std::string_view name) {
    return findResource(embeddedResources(), type, name);
}

}  // namespace qz7
