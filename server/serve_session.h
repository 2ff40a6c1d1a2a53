#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "net/port_mapping_gateway.h"
#include "platform/sleep_block.h"
#include "server/serve_alerts.h"
#include "server/serve_guard.h"
#include "server/server_health.h"
#include "server/server_supervisor.h"

namespace qz7 {

struct ServeOptions {
    std::string templateName;  // a name or "#N"
    bool fixedWeights = false;
    std::optional<std::string> command;  // the launcher's parameters instead of the template's
    bool forwardPorts = false;
    std::optional<std::string> igdUrl;
    bool force = false;  // start even when the server's ports are already bound here
    bool json = false;   // event lines as JSON objects
    // The server's input, output and error from and to the null device instead of serve's own,
    // so that a serve that runs for weeks with its output in a file does not fill the disk.
    bool quietServer = false;
    bool allowSleep = false;
    AlertOptions alerts;
    SupervisorTiming timing;
    // How the running server is asked whether it lives and who plays.
    HealthOptions health;
    // How the machine is kept awake while the server runs (a test puts its own).
    SleepBlocker blockSleep = blockSystemSleep;
    // serve's standard error is the file the window gave it (qz7-serve.err): it is kept under
    // serveOutputBound(), its older half cut whenever it would grow past that.
    bool boundedOutput = false;
    // The router's port mapping for --ports; empty: UPnP (a test puts its own).
    std::function<std::unique_ptr<PortMappingGateway>(const std::optional<std::string>& igdUrl)>
        portGateway;
    // A test makes a step fail once through it; empty otherwise.
    ServeFailPoint failPoint;
    // Starts the server's launcher; empty: as a watched process of the system (tests give a
    // scripted server that lives on their clock).
    std::function<std::unique_ptr<RunningProgram>(const std::filesystem::path& launcher,
                                                  const std::string& parameters,
                                                  ProgramOutput output, std::string& error)>
        startServer;
    // How the running server is asked its status (the health checks, who plays) and how its
    // players are told through its remote console; empty: over the network (tests give a scripted
    // server that answers, or falls silent, by their clock).
    ServerHealth::Ask askServer;
    ServerHealth::Say sayToServer;
    // Every wait of serve goes through this clock: the supervisor's back-offs, schedule, empty
    // server wait and warnings, the health checks and the pacing of alerts (tests drive a fake).
    SupervisorClock* clock = &systemSupervisorClock();
};

// How a serve ended.
enum class ServeEnd {
    Done,           // the server ended cleanly or a stop was asked for, and the ports were removed
    Failed,         // the crash limit, or ports that could not be forwarded or removed
    InternalError,  // an exception nobody expected: said, alerted, and the serve ended in order
};

// Serves a template in the game folder, as `qz7ctl serve` does: takes the folder (one serve per
// folder), forms the server files, optionally forwards the ports, keeps the machine awake unless
// allowed to sleep, starts the server launcher in the game folder and keeps it running (restarts
// after crashes with a back-off, stops at the crash limit, restarts on its schedule and when a
// host asks). It asks the server now and then how it is: a server that answered and then falls
// silent is restarted as after a crash (or the host is told), a scheduled restart can wait for
// the players to leave and warn them first. Ctrl+C, SIGTERM and a stop request stop the server and
// end serving; the ports it forwarded are removed whenever it ends. Every step is an event line on
// err, in the event log and the state file of the folder, and the steps that matter to a host go
// out as alerts. What rides along (health checks, alerts) are companions, and everything runs under
// one guard: an exception nobody expected is said and alerted, and ends the serve in order (the
// server stopped as by a stop request, the ports removed, the state ended with the reason). A
// write of its files that fails, a failed alert or health check never ends it. Throws
// OperationError (or FileError) when serving cannot begin: the launcher is missing, the folder is
// held, the template or an alert address is refused, the ports are busy, the files cannot be
// formed; the state file of the last serve is then left as it was.
ServeEnd serve(const std::filesystem::path& gameFolder, const ServeOptions& options,
               std::ostream& err);

}  // namespace qz7
