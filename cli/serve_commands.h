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
// The exit status of a serve that ended on an internal error (an exception nobody expected),
// after it stopped the server, removed the ports and ended its state.
constexpr int kExitInternalError = 4;

// How the serve command itself runs.
struct ServeRunOptions {
    bool minimized = false;  // the console window is minimised first (Windows entries)
    // Started afresh 30 s after an end with an error, at most 3 times an hour (Windows entries,
    // where nothing else restarts it).
    bool restartOnFailure = false;
};

// `qz7ctl serve`: serves in the game folder (the event lines on err) until it ends, on the
// folder's settings with the options given on the command line (givenOptions) instead; 0 when it
// ended well, kExitInternalError after an internal error, 1 otherwise.
int runServe(GameFolder& game, const ServeOptions& commandLine,
             const std::vector<std::string>& givenOptions, const ServeRunOptions& run,
             std::ostream& err);

// The exit status of a serve that ended so.
int serveExitStatus(ServeEnd end);

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
