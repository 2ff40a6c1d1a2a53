#include "cli/serve_command.h"

#include <ostream>
#include <sstream>

#include "cli/cli_error.h"
#include "cli/port_commands.h"
#include "cli/serve_files.h"
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
#include "settings/template_lookup.h"
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

// The scheduled restart's side: the template, named as at the start, read afresh from the store
// and its files formed in memory while the server still runs; written once it has ended.
class RestartFiles {
  public:
    RestartFiles(const std::filesystem::path& gameFolder, std::string templateName,
                 const ServeOptions& options, std::string& parameters)
        : gameFolder_(gameFolder),
          templateName_(std::move(templateName)),
          options_(options),
          parameters_(parameters) {}

    std::optional<std::string> prepare() {
        prepared_.reset();
        try {
            GameFolder game(gameFolder_);
            const TemplateLookup found = findTemplateNamed(game.templateStorePath(), templateName_);
            if (!found.index) return found.error;
            FormedServerFiles files = formTemplateFiles(game, found.record, options_.fixedWeights);
            if (files.result.outcome != ServerFilesOutcome::Written) return files.result.message;
            prepared_ = {std::move(files),
                         options_.command.value_or(templateCommandLine(found.record))};
        } catch (const std::exception& error) {
            return std::string(error.what());
        }
        return std::nullopt;
    }

    // The launcher's parameters change only with files written.
    std::optional<std::string> write() {
        if (!prepared_) return std::nullopt;
        try {
            writeFormedServerFiles(gameFolder_, prepared_->files);
        } catch (const std::exception& error) {
            return std::string(error.what());
        }
        parameters_ = prepared_->parameters;
        return std::nullopt;
    }

  private:
    struct Prepared {
        FormedServerFiles files;
        std::string parameters;
    };
    std::filesystem::path gameFolder_;
    std::string templateName_;
    const ServeOptions& options_;
    std::string& parameters_;
    std::optional<Prepared> prepared_;
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
    const auto serveStarted = std::chrono::system_clock::now();
    std::optional<ServeHolder> holder;
    const std::unique_ptr<FileLock> lock = takeServeLock(game.path(), serveStarted, holder);
    if (!lock)
        throw CliError("В папке игры уже работает " +
                       serveHolderText(holder.value_or(ServeHolder{})) +
                       ". Остановите его командой qz7ctl stop.");
    // A template named by position is followed by its name from here on.
    const std::string templateName =
        templateRecordName(game.findTemplate(options.templateName).record);
    std::string parameters = launcherParameters(game, options.templateName, options.command);
    ServeLog log(err, options.json, options.timing.crashWindow);
    ServeStateFile state(game.path() / kServeStateFile, templateName, serveStarted,
                         options.timing.stopGrace);
    ServeLogFile logFile(game.path() / kServeLogFile);
    // The files are a record beside the events on standard error: one that cannot be written is
    // said there, and serving goes on.
    log.addListener([&](const ServeEvent& event) {
        try {
            logFile.append(eventLine(event, false));
        } catch (const std::exception& error) {
            err << error.what() << std::endl;
        }
        try {
            state.take(event);
        } catch (const std::exception& error) {
            err << error.what() << std::endl;
        }
    });
    std::optional<ServeAlerts> alerts;
    if (!alertTargetList.empty()) {
        std::string shown;
        for (const AlertTarget& target : alertTargetList)
            shown += (shown.empty() ? "" : ", ") + redactedAddress(target.url);
        log.note("alerts", "оповещения: " + shown);
        // serve runs in the game folder.
        const AlertSource source{machineName(), utf8FromPath(std::filesystem::current_path()),
                                 templateName};
        alerts.emplace(alertTargetList, source,
                       [&log](const std::string& message) { log.note("alert-failed", message); });
        log.addListener(
            [&alerts](const ServeEvent& event) { alerts->observe(eventObject(event)); });
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
        RestartFiles restartFiles(game.path(), templateName, options, parameters);
        SupervisedServer server;
        server.prepareRestart = [&] { return restartFiles.prepare(); };
        server.writePreparedFiles = [&] { return restartFiles.write(); };
        server.start = [&](std::string& error) {
            return WatchedProcess::start(launcher, parameters, error);
        };
        server.stopRequested = [&] { return StopSignals::received(); };
        server.report = [&](const SupervisorEvent& event) {
            const bool stopping =
                StopSignals::received() &&
                (event.kind == SupervisorEventKind::Stopping ||
                 (event.kind == SupervisorEventKind::Stopped && event.processId == 0));
            if (stopping) log.note("signal", std::string("получен ") + StopSignals::receivedName());
            log.report(event);
        };
        outcome = superviseServer(server, options.timing);
    }
    const bool removed = ports.remove();
    try {
        state.ended(std::chrono::system_clock::now());
    } catch (const std::exception& error) {
        err << error.what() << std::endl;
    }

    const bool serverEndedWell =
        outcome == SupervisorOutcome::CleanExit || outcome == SupervisorOutcome::Stopped;
    return portsOk && removed && serverEndedWell ? kExitSuccess : kExitFailed;
}

}  // namespace qz7::cli
