#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace qz7 {

// The server a serve holding the game folder runs, as a query of it needs to know.
struct ServedServer {
    std::string templateName;            // as the serve's state file names it
    std::optional<int> serverProcessId;  // none while the server is down between starts
    std::string commandLine;             // the template's parameter text; empty when not found
};

// The serve holding the game folder (its lock decides) and what its state file and the template
// store say of its server; nothing when no serve holds the folder. A state file that cannot be
// read leaves the process and the command line unknown.
std::optional<ServedServer> findServedServer(const std::filesystem::path& gameFolder);

}  // namespace qz7
