#include "maps/map_resources.h"

#include "platform/resource_table.h"

namespace qz7 {

std::vector<std::string> splitResourceLines(std::span<const unsigned char> bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char byte = bytes[i];
        if (byte == '\r' || byte == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line.push_back(char(byte));
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> LoadTextResource(std::string_view name) {
    if (auto bytes = findResource("TXT", name)) return splitResourceLines(*bytes);
    return {};
}

}  // namespace qz7
