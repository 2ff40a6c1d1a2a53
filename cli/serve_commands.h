#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/game_folder.h"
#include "server/serve_session.h"

namespace qz7::cli {

// The exit status of status, stop and restart when no serve holds the folder.
constexpr int kExitNotRunning = 3;

// `qz7ctl serve`: serves in the game folder (the event lines on err) until it ends, on the
// folder's settings with the options given on the command line (givenOptions) instead; 0 when it
// ended well, 1 otherwise. minimized: the console window is minimised first.
int runServe(GameFolder& game, const ServeOptions& commandLine,
             const std::vector<std::string>& givenOptions, bool minimized, std::ostream& err);

// `qz7ctl status [--json]`: 0 while a serve holds the folder, kExitNotRunning otherwise.
int runStatus(GameFolder& game, bool json, std::ostream& out);

// `qz7ctl log [-n N] [-f]`: the last events; with follow, every new one until ended.
void runLog(GameFolder& game, int lines, bool follow, std::ostream& out);

// `qz7ctl stop` and `qz7ctl restart`: 0 when done, kExitNotRunning when no serve holds the folder.
int runStop(GameFolder& game, std::ostream& out);
int runRestart(GameFolder& game, std::ostream& out);

// `qz7ctl notify-test URL`.
void runNotifyTest(const std::string& url, const std::optional<std::string>& format,
                   const std::string& gameFolder, std::ostream& out);

// `qz7ctl service install|remove|list`. install keeps the template and the options given
// (givenOptions) in the folder's settings, the alert addresses in its alert file, and writes the
// folder's entry; remove without a template removes the folder's entry.
void runServiceInstall(GameFolder& game, const ServeOptions& given,
                       const std::vector<std::string>& givenOptions, bool print, std::ostream& out);
void runServiceRemove(GameFolder& game, const std::string& templateName, std::ostream& out);
void runServiceList(std::ostream& out);

// Refuses (CliError), unless force, an operation that would change what the serve of the folder
// runs; with force, warns on err and goes on.
void refuseWhileServed(GameFolder& game, bool force, std::ostream& err);

}  // namespace qz7::cli
