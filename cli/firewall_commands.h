#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

namespace qz7::cli {

// `qz7ctl firewall open|close|status`: adds or removes the allow rules for the server's ports in
// Windows' firewall, asking for administrator rights through the system's prompt unless
// mayPrompt is false, or says whether our rules are there and which block rules stop the server
// launcher of the game folder. Where the system has no such firewall it says so and fails: it
// did nothing.
void runFirewallCommand(const std::string& action, bool mayPrompt,
                        const std::filesystem::path& gameFolder, std::ostream& out);

}  // namespace qz7::cli
