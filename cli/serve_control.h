#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/game_folder.h"

namespace qz7::cli {

// The exit status of status and stop when no serve holds the folder.
constexpr int kExitNotRunning = 3;

// `qz7ctl status`: whether a serve holds the game folder (its lock decides), and what its state
// file says: template, the server's uptime, restarts, the last crash, the next scheduled restart.
// A state left by a serve that is gone is shown as its last known state. Returns 0 while a serve
// runs, kExitNotRunning otherwise.
int showServeStatus(GameFolder& game, bool json, std::ostream& out);

// `qz7ctl log`: the last `lines` events of the serve log (the older file too when needed); with
// follow, then every new event as it comes, across rotations, until ended.
void showServeLog(GameFolder& game, int lines, bool follow, std::ostream& out);

// `qz7ctl stop`: asks the serve of the game folder to stop as Ctrl+C does and waits until it has
// ended. Returns 0, or kExitNotRunning when none runs; a serve that does not end in time is an
// error.
int stopServe(GameFolder& game, std::ostream& out);

// The template the serve holding the folder runs, as its state file names it; nothing when no
// serve holds the folder.
std::optional<std::string> servedTemplate(GameFolder& game);

// Refuses, unless force, an operation that would change what the serve of the folder runs;
// with force, warns on err and goes on.
void refuseWhileServed(GameFolder& game, bool force, std::ostream& err);

}  // namespace qz7::cli
