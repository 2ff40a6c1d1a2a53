#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/detached_program.h"

namespace qz7 {

// A serve started from the window: `qz7ctl --game-dir FOLDER serve` on the folder's settings, as a
// program of its own that runs on when the window's program ends. Its standard output and error
// go to qz7-serve.err in the game folder, so that a serve that ends early can say why.
inline constexpr const char* kServeOutputFile = "qz7-serve.err";

// qz7ctl beside this program.
std::filesystem::path servingProgram();

// Why a serve cannot start in the game folder now, in serve's own words: the qz7ctl to start is
// missing, a serve holds the folder, the server launcher is missing, the settings file is bad or
// names no template (or one that is not in the store exactly once). Nothing when it can start;
// busy ports are asked about separately (start with force).
std::optional<std::string> serveStartProblem(const std::filesystem::path& qz7ctl,
                                             const std::filesystem::path& gameFolder);

// Starts the serve of the game folder, its output in the folder's kServeOutputFile and the
// server's discarded (--quiet-server); force: although another program holds the server's ports
// (the host was asked). Nothing, with the reason in error, when it could not be started.
std::unique_ptr<DetachedProgram> startServe(const std::filesystem::path& qz7ctl,
                                            const std::filesystem::path& gameFolder, bool force,
                                            std::string& error);

// What the last serve started this way wrote: the end of qz7-serve.err (at most its last 4 KiB,
// from a line start); empty when there is nothing.
std::string serveOutput(const std::filesystem::path& gameFolder);

}  // namespace qz7
