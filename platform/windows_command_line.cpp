#include "platform/windows_command_line.h"

namespace qz7 {

std::vector<std::string> splitWindowsCommandLine(std::string_view text) {
    std::vector<std::string> arguments;
    std::size_t pos = 0;
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (true) {
        while (pos < text.size() && isBlank(text[pos])) ++pos;
        if (pos >= text.size()) break;

        std::string argument;
        bool quoted = false;
        while (pos < text.size() && (quoted || !isBlank(text[pos]))) {
            std::size_t backslashes = 0;
            while (pos < text.size() && text[pos] == '\\') {
                ++backslashes;
                ++pos;
            }
            if (pos < text.size() && text[pos] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                    ++pos;
                } else if (quoted && pos + 1 < text.size() && text[pos + 1] == '"') {
                    argument += '"';
                    pos += 2;
                } else {
                    quoted = !quoted;
                    ++pos;
                }
            } else {
                argument.append(backslashes, '\\');
                if (pos < text.size() && (quoted || !isBlank(text[pos]))) argument += text[pos++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::string joinWindowsCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line += ' ';
        if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
            line += argument;
            continue;
        }
        line += '"';
        std::size_t backslashes = 0;
        for (char c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

}  // namespace qz7
