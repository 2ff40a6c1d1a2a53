#include "server/text_lines.h"

#include <algorithm>

namespace qz7 {

namespace {

// Lines ending at CR LF, at a lone CR or at a lone LF; a last line without a line end is a line
// too.
std::vector<std::string_view> lineViews(std::string_view bytes) {
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

}  // namespace

std::vector<std::string_view> recipeLineViews(std::string_view bytes) {
    return lineViews(bytes.substr(0, bytes.find('\0')));
}

std::vector<std::string> splitRecipeLines(std::string_view bytes) {
    const std::vector<std::string_view> views = recipeLineViews(bytes);
    return {views.begin(), views.end()};
}

std::vector<std::string> splitConfigurationLines(std::string_view bytes) {
    constexpr char kEndOfInput = 26;  // Ctrl+Z
    const std::vector<std::string_view> views = lineViews(bytes.substr(0, bytes.find(kEndOfInput)));
    return {views.begin(), views.end()};
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
