#include "server/text_lines.h"

#include <algorithm>

namespace qz7 {

std::vector<std::string_view> recipeLineViews(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        // The nearer of the next LF and the next CR before it.
        std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        end = std::min(bytes.substr(0, end).find('\r', start), end);
        lines.push_back(bytes.substr(start, end - start));
        if (end == bytes.size()) break;
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return lines;
}

std::vector<std::string> splitRecipeLines(std::string_view bytes) {
    const std::vector<std::string_view> views = recipeLineViews(bytes);
    return {views.begin(), views.end()};
}

std::vector<std::string> splitConfigurationLines(std::string_view bytes) {
    constexpr char kEndOfInput = 26;  // Ctrl+Z
    bytes = bytes.substr(0, bytes.find(kEndOfInput));
    std::vector<std::string> lines;
    std::string line;
    bool lineOpen = false;
    for (char c : bytes) {
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            lineOpen = false;
        } else {
            // A CR belongs to the line end when an LF follows it and is dropped otherwise; in
            // both cases it never reaches the line.
            if (c != '\r') line += c;
            lineOpen = true;
        }
    }
    if (lineOpen) lines.push_back(std::move(line));
    return lines;
}

std::string joinLinesWithCrLf(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    std::string joined;
    joined.reserve(size);
    for (const std::string& line : lines) {
        joined += line;
        joined += "\r\n";
    }
    return joined;
}

}  // namespace qz7
