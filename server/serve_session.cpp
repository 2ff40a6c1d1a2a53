#include "server/serve_session.h"

#include <ostream>

#include "net/local_address.h"
#include "net/miniupnpc_gateway.h"
#include "net/port_mapping.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/readable_text.h"
#include "platform/stop_signals.h"
#include "server/busy_ports_check.h"
#include "server/launchers.h"
#include "server/operation_error.h"
#include "server/serve_files.h"
#include "server/serve_lock.h"
#include "server/serve_log.h"
#include "server/template_files.h"
#include "settings/template_record.h"
#include "settings/template_store.h"

namespace qz7 {

namespace {

// How long a whole port batch of serve may take.
constexpr std::chrono::seconds kPortBatchTime{60};

// The ports serve forwarded, removed again through the same router when serve ends.
class ForwardedPorts {
  public:
    ForwardedPorts(const std::optional<std::string>& igdUrl, ServeLog& log)
        : gateway_(MiniupnpcGateway::namedOrDiscovered(igdUrl)), log_(log) {}

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
        control.deadline = std::chrono::steady_clock::now() + kPortBatchTime;
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

// The restart's side: the template, named as at the start, read afresh from the store and its
// files formed in memory while the server still runs; written once it has ended.
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
            const TemplateLookup found =
                findTemplateNamed(templateStoreFile(gameFolder_), templateName_);
            if (!found.index) return found.error;
            FormedServerFiles files =
                formTemplateFiles(gameFolder_, found.record, options_.fixedWeights);
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

// Runs f and tells err when it throws: the files are a record beside the events on standard
// error, and serving goes on without them.
template <typename Write>
void writeOrSay(Write&& write, std::ostream& err) {
    try {
        write();
    } catch (const std::exception& error) {
        err << error.what() << std::endl;
    }
}

// Whether the event says that the server's run is over.
bool endsTheRun(SupervisorEventKind kind) {
    return kind == SupervisorEventKind::Crashed || kind == SupervisorEventKind::ExitedCleanly ||
           kind == SupervisorEventKind::Stopped || kind == SupervisorEventKind::StoppedForRestart;
}

// Keeps the machine awake while serve runs, unless allowed to sleep; says once when it cannot.
std::unique_ptr<SleepBlock> keepAwake(const ServeOptions& options, ServeLog& log) {
    if (options.allowSleep || !options.blockSleep) return nullptr;
    std::string error;
    std::unique_ptr<SleepBlock> block =
        options.blockSleep("qz7ctl serve держит игровой сервер запущенным", error);
    if (block)
        log.note("sleep-blocked",
                 "сон компьютера запрещён, пока работает serve (экран может гаснуть)");
    else
        log.note("sleep-not-blocked", "сон компьютера не запрещён: " + error);
    return block;
}

}  // namespace

bool serve(const std::filesystem::path& gameFolder, const ServeOptions& options,
           std::ostream& err) {
    // Stop and restart requests are taken from the start: a request that comes before the
    // supervision begins is kept for it, never the end of serve.
    StopSignals stopSignals;
    const std::vector<AlertTarget> alertTargetList = alertTargets(options.alerts);
    if (auto missing = missingLauncherError(gameFolder, kServerLauncherName))
        throw OperationError(*missing + inGameFolderText(gameFolder));
    // One serve per game folder: the lock dies with this process, however it ends.
    const auto serveStarted = std::chrono::system_clock::now();
    std::optional<ServeHolder> holder;
    const std::unique_ptr<FileLock> lock = takeServeLock(gameFolder, serveStarted, holder);
    if (!lock)
        throw OperationError("В папке игры уже работает " +
                             serveHolderText(holder.value_or(ServeHolder{})) +
                             ". Остановите его командой qz7ctl stop.");
    const TemplateLookup found = requireTemplateIn(gameFolder, options.templateName);
    // A template named by position is followed by its name from here on.
    const std::string templateName = templateRecordName(found.record);
    std::string parameters = options.command.value_or(templateCommandLine(found.record));
    ServeLog log(err, options.json, options.timing.crashWindow);
    ServeStateFile state(gameFolder / kServeStateFile, templateName, serveStarted,
                         options.timing.stopGrace);
    ServeLogFile logFile(gameFolder / kServeLogFile);
    log.addListener([&](const ServeEvent& event) {
        writeOrSay([&] { logFile.append(eventLine(event, false)); }, err);
        writeOrSay([&] { state.take(event); }, err);
    });
    std::optional<ServeAlerts> alerts;
    if (!alertTargetList.empty()) {
        std::string shown;
        for (const AlertTarget& target : alertTargetList)
            shown += (shown.empty() ? "" : ", ") + redactedAddress(target.url);
        log.note("alerts", "оповещения: " + shown);
        const AlertSource source{machineName(), textFromPath(gameFolder), templateName};
        alerts.emplace(alertTargetList, source,
                       [&log](const std::string& message) { log.note("alert-failed", message); });
        log.addListener(
            [&alerts](const ServeEvent& event) { alerts->observe(eventObject(event)); });
    }
    if (std::optional<std::string> busy = checkServerPortsFree(options.force))
        log.note("ports-busy", *busy);
    log.note("files", writeTemplateServerFiles(gameFolder, found.record, options.fixedWeights));

    ForwardedPorts ports(options.igdUrl, log);
    bool portsOk = true;
    SupervisorOutcome outcome = SupervisorOutcome::Stopped;
    if (options.forwardPorts) portsOk = ports.forward();
    if (portsOk) {
        const std::unique_ptr<SleepBlock> awake = keepAwake(options, log);
        const std::filesystem::path launcher = launcherPath(gameFolder, kServerLauncherName);
        RestartFiles restartFiles(gameFolder, templateName, options, parameters);
        ServerHealth health(options.health, log, gamePath(gameFolder, kConfigurationPath),
                            [&](const ServerAnswer& answer) {
                                writeOrSay(
                                    [&] {
                                        state.serverAnswered(answer.time, answer.map,
                                                             answer.players, answer.maxPlayers);
                                    },
                                    err);
                            });
        SupervisedServer server;
        server.hung = [&] { return health.hung(); };
        server.playersOnline = [&] { return health.playersOnline(); };
        server.warn = [&](std::chrono::seconds left) { health.warn(left); };
        server.prepareRestart = [&] { return restartFiles.prepare(); };
        server.writePreparedFiles = [&] { return restartFiles.write(); };
        server.start = [&](std::string& error) {
            return WatchedProcess::start(
                launcher, parameters, error,
                options.quietServer ? ProgramOutput::Discarded : ProgramOutput::Inherited);
        };
        server.stopRequested = [&] { return StopSignals::received(); };
        server.restartRequested = [] { return StopSignals::takeRestartRequest(); };
        server.report = [&](const SupervisorEvent& event) {
            const bool stopping =
                StopSignals::received() &&
                (event.kind == SupervisorEventKind::Stopping ||
                 (event.kind == SupervisorEventKind::Stopped && event.processId == 0));
            if (stopping) log.note("signal", std::string("получен ") + StopSignals::receivedName());
            log.report(event);
            if (event.kind == SupervisorEventKind::Started)
                health.runStarted(event.processId, parameters);
            else if (endsTheRun(event.kind))
                health.runEnded();
        };
        outcome = superviseServer(server, options.timing);
    }
    const bool removed = ports.remove();
    writeOrSay([&] { state.ended(std::chrono::system_clock::now()); }, err);

    const bool serverEndedWell =
        outcome == SupervisorOutcome::CleanExit || outcome == SupervisorOutcome::Stopped;
    return portsOk && removed && serverEndedWell;
}

}  // namespace qz7
