#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/game_folder.h"
#include "cli/serve_alerts.h"
#include "server/server_supervisor.h"

namespace qz7::cli {

struct ServeOptions {
    std::string templateName;
    bool fixedWeights = false;
    std::optional<std::string> command;  // the launcher's parameters instead of the template's
    bool forwardPorts = false;
    std::optional<std::string> igdUrl;
    bool force = false;  // start even when the server's ports are already bound here
    bool json = false;
    AlertOptions alerts;
    SupervisorTiming timing;
};

// `qz7ctl serve`: forms the server files of a template, optionally forwards the ports, starts the
// server launcher in the game folder and keeps it running (restarts after crashes with a
// back-off, stops at the crash limit). SIGINT and SIGTERM stop the server and end serve. The
// ports it forwarded are removed whenever it ends. Every step is a line on err, and the steps that
// matter to a host go out as alerts to the addresses of options.alerts. Returns the exit
// status: 0 after a clean end of the server or a stop request, 1 otherwise.
int serve(GameFolder& game, const ServeOptions& options, std::ostream& err);

// Refuses, unless force, to start the server while another program holds its ports; with
// force, warns on err and goes on.
void checkServerPortsFree(bool force, std::ostream& err);

}  // namespace qz7::cli
