#include "net/console_variables.h"

#include <algorithm>
#include <cctype>

namespace qz7 {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Splits text at each separator that is not inside double quotes.
std::vector<std::string_view> consoleLines(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> lines;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        // A line end ends a quoted part too.
        if (text[i] == '\r' || text[i] == '\n') quoted = false;
        if (!quoted && separators.find(text[i]) != std::string_view::npos) {
            lines.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    lines.push_back(text.substr(start));
    return lines;
}

// The value the console line gives the variable, if it sets it.
std::optional<std::string> settingOf(std::string_view line, std::string_view name) {
    const std::vector<std::string> words = consoleWords(line);
    if (words.size() >= 2 && sameName(words[0], name)) return words[1];
    const bool setCommand =
        words.size() >= 3 && (sameName(words[0], "set") || sameName(words[0], "seta") ||
                              sameName(words[0], "sets") || sameName(words[0], "setu"));
    if (!setCommand || !sameName(words[1], name)) return std::nullopt;
    std::string value = words[2];
    for (std::size_t i = 3; i < words.size(); ++i) value += " " + words[i];
    return value;
}

std::optional<std::string> lastSetting(const std::vector<std::string_view>& lines,
                                       std::string_view name) {
    std::optional<std::string> value;
    for (std::string_view line : lines)
        if (std::optional<std::string> set = settingOf(line, name)) value = std::move(set);
    return value;
}

}  // namespace

std::vector<std::string> consoleWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size() || line.substr(i, 2) == "//") break;
        std::string word;
        if (line[i] == '"') {
            const std::size_t end = line.find('"', i + 1);
            word = line.substr(i + 1, end == std::string_view::npos ? end : end - i - 1);
            i = end == std::string_view::npos ? line.size() : end + 1;
        } else {
            while (i < line.size() && !isBlank(line[i]) && line[i] != '"' &&
                   line.substr(i, 2) != "//")
                word += line[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::optional<std::string> commandLineVariable(std::string_view commandLine,
                                               std::string_view name) {
    return lastSetting(consoleLines(commandLine, "+\r\n"), name);
}

std::optional<std::string> configVariable(std::string_view configuration, std::string_view name) {
    return lastSetting(consoleLines(configuration, ";\r\n"), name);
}

std::optional<int> commandLineGamePort(std::string_view commandLine) {
    const std::optional<std::string> text = commandLineVariable(commandLine, "net_port");
    if (!text || text->empty() || text->size() > 5 ||
        !std::all_of(text->begin(), text->end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int port = std::stoi(*text);
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

}  // namespace qz7
