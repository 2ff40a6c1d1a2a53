#include "cli/serve_command.h"

#include <ostream>
#include <sstream>

#include "cli/cli_error.h"
#include "cli/port_commands.h"
#include "cli/serve_log.h"
#include "cli/server_commands.h"
#include "net/busy_ports.h"
#include "net/local_address.h"
#include "net/miniupnpc_gateway.h"
#include "net/port_mapping.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/stop_signals.h"
#include "platform/windows1251.h"
#include "server/launchers.h"
#include "server/serve_lock.h"
#include "settings/template_record.h"

namespace qz7::cli {

namespace {

constexpr const char* kForceHint =
    "Сервер не запущен; чтобы запустить его всё равно, добавьте --force.";

// The ports serve forwarded, removed again through the same router when serve ends.
class ForwardedPorts {
  public:
    ForwardedPorts(const std::optional<std::string>& igdUrl, ServeLog& log)
        : gateway_(gatewayFor(igdUrl)), log_(log) {}

    // Forwards the 70 ports; a stop signal cancels the batch after the mapping in flight. False
    // when they could not all be forwarded for another reason.
    bool forward() {
        PortBatchControl control = boundedBatch();
        control.cancelRequested = &StopSignals::flag();
        const PortBatchResult result = OpenAllPorts(*gateway_, GetLocalAddress(), control);
        forwarded_ = result.routerAnswered;
        report(PortBatchAction::Forward, result, "ports-forwarded");
        return result.success() || result.status == PortBatchStatus::Cancelled;
    }

    // Removes them again when any were forwarded; false when that failed.
    bool remove() {
        if (!forwarded_) return true;
        PortBatchControl control = boundedBatch();
        const PortBatchResult result = CloseAllPorts(*gateway_, control);
        report(PortBatchAction::Remove, result, "ports-removed");
        return result.success();
    }

  private:
    static PortBatchControl boundedBatch() {
        PortBatchControl control;
        control.deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(kDefaultPortBatchSeconds);
        return control;
    }
    void report(PortBatchAction action, const PortBatchResult& result, const char* doneEvent) {
        log_.note(result.success() ? doneEvent : "ports-failed", portBatchMessage(action, result),
                  {{"mapped", result.succeeded}, {"total", result.total}});
    }

    std::unique_ptr<MiniupnpcGateway> gateway_;
    ServeLog& log_;
    bool forwarded_ = false;
};

}  // namespace

void checkServerPortsFree(bool force, std::ostream& err) {
    const std::vector<BusyPort> busy = findBusyServerPorts();
    if (busy.empty()) return;
    if (!force) throw CliError(busyPortsMessage(busy) + " " + kForceHint);
    err << busyPortsMessage(busy) << " Запуск всё равно (--force).\n";
}

int serve(GameFolder& game, const ServeOptions& options, std::ostream& err) {
    const std::vector<AlertTarget> alertTargetList = alertTargets(options.alerts);
    if (auto missing = missingLauncherError(game.path(), kServerLauncherName))
        throw CliError(*missing);
    // One serve per game folder: the lock dies with this process, however it ends.
    std::optional<ServeHolder> holder;
    const std::unique_ptr<FileLock> lock =
        takeServeLock(game.path(), std::chrono::system_clock::now(), holder);
    if (!lock)
        throw CliError("В папке игры уже работает " +
                       serveHolderText(holder.value_or(ServeHolder{})) +
                       ". Остановите его (Ctrl+C в его окне или SIGTERM).");
    const std::string parameters = launcherParameters(game, options.templateName, options.command);
    ServeLog log(err, options.json, options.timing.crashWindow);
    std::optional<ServeAlerts> alerts;
    if (!alertTargetList.empty()) {
        std::string shown;
        for (const AlertTarget& target : alertTargetList)
            shown += (shown.empty() ? "" : ", ") + redactedAddress(target.url);
        log.note("alerts", "оповещения: " + shown);
        // serve runs in the game folder.
        const AlertSource source{
            machineName(), utf8FromPath(std::filesystem::current_path()),
            utf8FromWindows1251(
                decodeTemplateRecord(game.findTemplate(options.templateName).record).Name)};
        alerts.emplace(alertTargetList, source,
                       [&log](const std::string& message) { log.note("alert-failed", message); });
        log.setObserver([&alerts](const nlohmann::json& event) { alerts->observe(event); });
    }
    {
        std::ostringstream busyWarning;
        checkServerPortsFree(options.force, busyWarning);
        if (!busyWarning.str().empty()) log.note("ports-busy", busyWarning.str());
    }
    std::ostringstream generated;
    generateServerFiles(game, options.templateName, options.fixedWeights, generated);
    log.note("files", generated.str().substr(0, generated.str().find('\n')));

    // From here on SIGINT and SIGTERM stop the server and clean up instead of ending serve.
    StopSignals stopSignals;
    ForwardedPorts ports(options.igdUrl, log);
    bool portsOk = true;
    SupervisorOutcome outcome = SupervisorOutcome::Stopped;
    if (options.forwardPorts) portsOk = ports.forward();
    if (portsOk) {
        const std::filesystem::path launcher = launcherPath(game.path(), kServerLauncherName);
        SupervisedServer server;
        server.start = [&](std::string& error) {
            return WatchedProcess::start(launcher, parameters, error);
        };
        server.stopRequested = [&] { return StopSignals::received(); };
        server.report = [&](const SupervisorEvent& event) {
            const bool stopping =
                event.kind == SupervisorEventKind::Stopping ||
                (event.kind == SupervisorEventKind::Stopped && event.processId == 0);
            if (stopping) log.note("signal", std::string("получен ") + StopSignals::receivedName());
            log.report(event);
        };
        outcome = superviseServer(server, options.timing);
    }
    const bool removed = ports.remove();

    const bool serverEndedWell =
        outcome == SupervisorOutcome::CleanExit || outcome == SupervisorOutcome::Stopped;
    return portsOk && removed && serverEndedWell ? kExitSuccess : kExitFailed;
}

}  // namespace qz7::cli
