#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// The game server's console variables (sv_hostname, net_port, rcon_password, ...) as its command
// line and its configuration files set them. The server reads its command line as console lines
// separated by "+" (outside double quotes), and a configuration file as lines separated by line
// ends and ";"; a line is split into words at blanks, a double-quoted part is one word and "//"
// starts a comment. "set NAME VALUE" (also seta, sets, setu) sets a variable to the rest of the
// line; "NAME VALUE" sets it to its next word. Names are compared without regard to case, and the
// last setting wins.

// The words of one console line.
std::vector<std::string> consoleWords(std::string_view line);

// The variable's value as the command line (the launcher's parameter text) sets it; nothing when
// it does not.
std::optional<std::string> commandLineVariable(std::string_view commandLine, std::string_view name);

// The same for the bytes of a configuration file.
std::optional<std::string> configVariable(std::string_view configuration, std::string_view name);

// The game port the command line sets with net_port: nothing when it sets none or a value that
// is no port number (1 to 65535).
std::optional<int> commandLineGamePort(std::string_view commandLine);

}  // namespace qz7
