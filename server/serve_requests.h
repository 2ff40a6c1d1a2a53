#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace qz7 {

// What became of a request to the serve of a game folder.
struct ServeRequestResult {
    bool served = false;  // false: no serve holds the folder, nothing was asked
    std::string message;  // for people
};

// Tells people what a request is doing while it waits.
using ServeRequestProgress = std::function<void(const std::string&)>;

// Asks the serve of the game folder to stop as Ctrl+C does and waits until it has ended: the
// stop grace its state file gives the server, and time for the removal of the ports. An
// OperationError when it could not be asked or did not end in time.
ServeRequestResult stopServe(const std::filesystem::path& gameFolder,
                             const ServeRequestProgress& progress = {});

// Asks the serve of the game folder to restart the server now, as a scheduled restart does (the
// template read afresh, the files formed, logged and alerted), and waits until the server has
// started again. An OperationError when it could not be asked, the restart was refused (the
// template could not be formed; the server then runs on), or serve ended meanwhile.
ServeRequestResult restartServedServer(const std::filesystem::path& gameFolder,
                                       const ServeRequestProgress& progress = {});

}  // namespace qz7
