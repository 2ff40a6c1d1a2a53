#include "server/serve_session.h"

#include <ostream>

#include "net/console_variables.h"
#include "net/local_address.h"
#include "net/miniupnpc_gateway.h"
#include "net/port_mapping.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/readable_text.h"
#include "platform/stop_signals.h"
#include "server/bounded_output.h"
#include "server/busy_ports_check.h"
#include "server/launchers.h"
#include "server/operation_error.h"
#include "server/serve_companion.h"
#include "server/serve_files.h"
#include "server/serve_lock.h"
#include "server/serve_log.h"
#include "server/serve_records.h"
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
    ForwardedPorts(std::unique_ptr<PortMappingGateway> gateway, ServeLog& log)
        : gateway_(std::move(gateway)), log_(log) {}

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

    // Removes them again when any were forwarded; false when that failed (said, and alerted).
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

    std::unique_ptr<PortMappingGateway> gateway_;
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

// What no failure text may show: the alert addresses and the remote-console password.
void hideSecrets(ServeGuard& guard, const std::vector<AlertTarget>& targets,
                 const std::string& parameters) {
    for (const AlertTarget& target : targets) guard.hide(target.url, redactedAddress(target.url));
    if (std::optional<std::string> password = commandLineVariable(parameters, "rcon_password"))
        guard.hide(*password, "***");
}

// The query port serve knows before it asks: the host's, else the net_port of the parameters.
std::optional<int> knownQueryPort(const HealthOptions& health, const std::string& parameters) {
    return health.queryPort ? health.queryPort : commandLineGamePort(parameters);
}

// Why serve ended, for the state file.
std::string endReason(SupervisorOutcome outcome, bool portsForwarded, bool portsRemoved,
                      const ServeGuard& guard) {
    if (guard.failed()) return "внутренняя ошибка: " + guard.failure();
    if (!portsForwarded) return "порты не проброшены";
    if (!portsRemoved) return "порты не убраны с роутера";
    switch (outcome) {
        case SupervisorOutcome::CleanExit:
            return "сервер завершился сам";
        case SupervisorOutcome::Stopped:
            return "остановлен по запросу";
        case SupervisorOutcome::CrashLoop:
            return "сервер падал слишком часто";
    }
    return {};
}

// The server as the supervisor sees it: its start and the questions it asks, each under the
// guard, so that nothing it calls ends supervision but by the guard's failure, which stops the
// server as a stop request does.
SupervisedServer supervisedServer(const std::filesystem::path& gameFolder,
                                  const ServeOptions& options, const std::string& parameters,
                                  ServeGuard& guard, ServeLog& log, ServerHealth& health,
                                  ServeRecords& records, RestartFiles& restartFiles,
                                  ClockWake& wake) {
    SupervisedServer server;
    server.clock = options.clock;
    server.wake = &wake;
    server.hung = [&] { return health.hung(); };
    server.playersOnline = [&] {
        std::optional<int> players;
        guard.run("проверка сервера", [&] { players = health.playersOnline(); });
        return players;
    };
    server.warn = [&](std::chrono::seconds left) {
        guard.run("проверка сервера", [&] { health.warn(left); });
    };
    server.prepareRestart = [&] { return restartFiles.prepare(); };
    server.writePreparedFiles = [&] { return restartFiles.write(); };
    server.start = [&, launcher = launcherPath(gameFolder, kServerLauncherName)](
                       std::string& error) -> std::unique_ptr<RunningProgram> {
        try {
            guard.step("server-start");
            const ProgramOutput output =
                options.quietServer ? ProgramOutput::Discarded : ProgramOutput::Inherited;
            if (options.startServer)
                return options.startServer(launcher, parameters, output, error);
            return WatchedProcess::start(launcher, parameters, error, output);
        } catch (const std::exception& failure) {
            error = failure.what();
            return nullptr;
        }
    };
    server.stopRequested = [&] { return StopSignals::received() || guard.failed(); };
    server.restartRequested = [] { return StopSignals::takeRestartRequest(); };
    server.report = [&](const SupervisorEvent& event) {
        guard.run("serve", [&] {
            const bool stopping =
                StopSignals::received() &&
                (event.kind == SupervisorEventKind::Stopping ||
                 (event.kind == SupervisorEventKind::Stopped && event.processId == 0));
            if (stopping) log.note("signal", std::string("получен ") + StopSignals::receivedName());
            if (event.kind == SupervisorEventKind::Started)
                records.queryPortAsked(knownQueryPort(options.health, parameters));
            log.report(event);
        });
    };
    return server;
}

std::unique_ptr<PortMappingGateway> portGateway(const ServeOptions& options) {
    if (options.portGateway) return options.portGateway(options.igdUrl);
    return MiniupnpcGateway::namedOrDiscovered(options.igdUrl);
}

}  // namespace

ServeEnd serve(const std::filesystem::path& gameFolder, const ServeOptions& options,
               std::ostream& err) {
    // Stop and restart requests are taken from the start: a request that comes before the
    // supervision begins is kept for it, never the end of serve. They, a hang and a failure wake
    // the supervisor, which otherwise sleeps until the server ends or the schedule is due.
    ClockWake supervisorWake;
    StopSignals stopSignals;
    StopSignals::wakeOnRequest(&supervisorWake);
    struct ForgetWake {
        ~ForgetWake() { StopSignals::wakeOnRequest(nullptr); }
    } forgetWake;
    const std::vector<AlertTarget> alertTargetList = alertTargets(options.alerts);
    if (auto missing = missingLauncherError(gameFolder, kServerLauncherName))
        throw OperationError(*missing + inGameFolderText(gameFolder));
    // One serve per game folder: the lock dies with this process, however it ends.
    const auto serveStarted = options.clock->wallNow();
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
    // The start's checks come before the state file: a refused start leaves the state of the
    // last serve as it was, and says why.
    const std::optional<std::string> busy = checkServerPortsFree(options.force);
    const std::string files =
        writeTemplateServerFiles(gameFolder, found.record, options.fixedWeights);

    ServeGuard guard(options.failPoint);
    hideSecrets(guard, alertTargetList, parameters);
    ServeLog log(err, options.json, options.timing.crashWindow);
    log.guardListeners(guard.forPart("журнал serve"));
    if (options.boundedOutput) log.afterLine(BoundedOutput(serveOutputBound()));
    ServeRecords records(gameFolder, templateName, serveStarted, options.timing.stopGrace, log,
                         guard, *options.clock);
    guard.onFailure([&log, &supervisorWake](const std::string& failure) {
        log.note("internal-error", "serve завершается из-за внутренней ошибки: " + failure,
                 {{"error", failure}});
        supervisorWake.wake();
    });
    // What rides along the server's runs.
    ServeCompanions companions(log, guard, parameters);
    if (!alertTargetList.empty()) {
        std::string shown;
        for (const AlertTarget& target : alertTargetList)
            shown += (shown.empty() ? "" : ", ") + redactedAddress(target.url);
        log.note("alerts", "оповещения: " + shown);
        companions.add(
            "оповещения",
            std::make_unique<ServeAlerts>(
                alertTargetList, AlertSource{machineName(), textFromPath(gameFolder), templateName},
                [&log](const std::string& failure) { log.note("alert-failed", failure); },
                guard.forPart("оповещения"), *options.clock));
    }
    auto health = std::make_unique<ServerHealth>(
        options.health, log, gamePath(gameFolder, kConfigurationPath),
        [&records](const ServerAnswer& answer) {
            if (answer.port > 0) records.queryPortAsked(answer.port);
            records.serverAnswered(answer.time, answer.map, answer.players, answer.maxPlayers);
        },
        [&guard, ask = options.askServer ? options.askServer : queryLocalServer](
            const QueryPortInputs& inputs, const QueryTiming& timing) {
            guard.step("health-check");
            return ask(inputs, timing);
        },
        options.sayToServer ? options.sayToServer : sayThroughRcon, *options.clock,
        guard.forPart("проверка сервера"));
    ServerHealth& healthChecks = *health;
    healthChecks.wakeWhenHung(supervisorWake);
    companions.add("проверка сервера", std::move(health));

    std::optional<ForwardedPorts> ports;
    bool portsForwarded = true;
    SupervisorOutcome outcome = SupervisorOutcome::Stopped;
    guard.run("serve", [&] {
        if (busy) log.note("ports-busy", *busy);
        log.note("files", files);
        if (options.forwardPorts) {
            ports.emplace(portGateway(options), log);
            portsForwarded = ports->forward();
        }
        if (!portsForwarded) return;
        const std::unique_ptr<SleepBlock> awake = keepAwake(options, log);
        RestartFiles restartFiles(gameFolder, templateName, options, parameters);
        outcome =
            superviseServer(supervisedServer(gameFolder, options, parameters, guard, log,
                                             healthChecks, records, restartFiles, supervisorWake),
                            options.timing);
    });
    bool portsRemoved = true;
    guard.run("serve", [&] { portsRemoved = !ports || ports->remove(); });
    records.ended(options.clock->wallNow(),
                  endReason(outcome, portsForwarded, portsRemoved, guard));
    if (guard.failed()) return ServeEnd::InternalError;
    const bool serverEndedWell =
        outcome == SupervisorOutcome::CleanExit || outcome == SupervisorOutcome::Stopped;
    return portsForwarded && portsRemoved && serverEndedWell ? ServeEnd::Done : ServeEnd::Failed;
}

}  // namespace qz7
