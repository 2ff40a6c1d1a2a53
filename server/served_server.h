#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace qz7 {

// The server a serve holding the game folder runs, as a query of it needs to know.
struct ServedServer {
    std::string templateName;            // as the serve's state file names it
    std::optional<int> serverProcessId;  // none while the server is down between starts
    // The query port the serve asks its server on, as its state file records it (never the
    // command line itself, which may hold the remote-console password); none while it searches.
    std::optional<int> queryPort;
};

// The serve holding the game folder (its lock decides) and what its state file says of its
// server; nothing when no serve holds the folder. A state file that cannot be read leaves the
// process and the port unknown.
std::optional<ServedServer> findServedServer(const std::filesystem::path& gameFolder);

}  // namespace qz7
