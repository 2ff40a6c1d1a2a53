#include "server/server_health.h"

#include <charconv>

#include "net/console_variables.h"
#include "platform/atomic_file.h"
#include "platform/windows1251.h"

namespace qz7 {

namespace {

// A difference between the wall clock and the steady clock over one interval beyond this is a
// clock that was set, or a machine that slept.
constexpr std::chrono::seconds kClockJump{5};

// "5 мин", "1 мин 30 с", "45 с".
std::string timeLeftText(std::chrono::seconds left) {
    const long long minutes = left.count() / 60;
    const long long seconds = left.count() % 60;
    if (minutes == 0) return std::to_string(seconds) + " с";
    return std::to_string(minutes) + " мин" + (seconds ? " " + std::to_string(seconds) + " с" : "");
}

// A text for the remote console: without what would end the console command or its quotes.
std::string consoleText(std::string text) {
    std::erase_if(text, [](char c) { return c == ';' || c == '"' || c == '\r' || c == '\n'; });
    return text;
}

}  // namespace

std::string safeMapName(const std::string& map) {
    std::string safe;
    for (char c : map)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
            safe += c;
    return safe;
}

int humanPlayers(const ServerStatus& status) {
    if (const std::optional<std::string> humans = status.value("g_humanplayers")) {
        int count = 0;
        const auto [end, error] =
            std::from_chars(humans->data(), humans->data() + humans->size(), count);
        if (error == std::errc() && end == humans->data() + humans->size() && count >= 0)
            return count;
    }
    return static_cast<int>(status.players.size());
}

ServerHealth::ServerHealth(HealthOptions options, ServeLog& log, std::filesystem::path configFile,
                           std::function<void(const ServerAnswer&)> answered, Ask ask, Say say,
                           SupervisorClock& clock, ThreadGuard guard)
    : options_(std::move(options)),
      log_(log),
      configFile_(std::move(configFile)),
      answered_(std::move(answered)),
      ask_(std::move(ask)),
      say_(std::move(say)),
      clock_(clock),
      guard_(std::move(guard)),
      thread_([this] { loop(); }) {}

ServerHealth::~ServerHealth() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.wake();
    thread_.join();
}

void ServerHealth::runStarted(int processId, const std::string& commandLine) {
    {
        std::lock_guard lock(mutex_);
        run_.emplace();
        run_->generation = ++generation_;
        run_->processId = processId;
        run_->commandLine = commandLine;
        hung_ = false;
    }
    wake_.wake();
}

void ServerHealth::runEnded() {
    std::lock_guard lock(mutex_);
    run_.reset();
    hung_ = false;
}

void ServerHealth::loop() {
    std::unique_lock lock(mutex_);
    while (!ending_) {
        // A run's first check comes an interval after its start: the server needs that to load.
        // The wait is the clock's, so that a test's clock drives it; a new run or the end wakes it.
        const int generation = generation_;
        lock.unlock();
        // A wake (a new run, the end) never checks, even one given before this sleep began for
        // the run it already saw: only the interval's end does.
        const bool woken = clock_.sleepUntil(clock_.now() + options_.interval, wake_);
        lock.lock();
        if (woken || ending_ || generation_ != generation || !run_) continue;
        lock.unlock();
        // Each check under the guard: what it did not expect ends serve in order.
        runGuarded(guard_, [this] { checkNow(); });
        lock.lock();
    }
}

QueryPortInputs ServerHealth::inputsOf(const Run& run) const {
    QueryPortInputs inputs;
    inputs.explicitPort = options_.queryPort;
    inputs.commandLine = run.commandLine;
    inputs.serverProcessId = run.processId;
    return inputs;
}

void ServerHealth::checkNow() {
    std::optional<Run> asked;
    {
        std::lock_guard lock(mutex_);
        if (!run_) return;
        if (clockJumped(*run_)) {
            run_->misses = 0;
            log_.note("health-reset",
                      "часы компьютера переведены или он спал: пропущенные ответы сервера "
                      "считаются заново");
        }
        asked = run_;
    }
    take(*asked, askSafely(*asked));
}

LocalServerQuery ServerHealth::askSafely(const Run& run) {
    // Whatever goes wrong in a check (the server's process gone while its ports are looked up,
    // a socket refused) is one unanswered check.
    try {
        return ask_(inputsOf(run), options_.timing);
    } catch (const std::exception& error) {
        LocalServerQuery failed;
        failed.reason = std::string("запрос не удался: ") + error.what();
        return failed;
    }
}

bool ServerHealth::clockJumped(Run& run) {
    const auto steady = clock_.now();
    const auto wall = clock_.wallNow();
    const bool jumped =
        run.lastSteady &&
        (std::chrono::abs((wall - *run.lastWall) - (steady - *run.lastSteady)) > kClockJump ||
         steady - *run.lastSteady > 2 * options_.interval + options_.timing.longest() + kClockJump);
    run.lastSteady = steady;
    run.lastWall = wall;
    return jumped;
}

void ServerHealth::take(const Run& asked, const LocalServerQuery& result) {
    std::unique_lock lock(mutex_);
    // The run ended or another began while the server was asked.
    if (!run_ || run_->generation != asked.generation) return;
    Run& run = *run_;
    if (result.status) {
        run.misses = 0;
        run.server = result.server;
        const ServerStatus& status = *result.status;
        const ServerAnswer answer{clock_.wallNow(), safeMapName(status.map), humanPlayers(status),
                                  status.maxClients, result.server ? result.server->port : 0};
        const bool first = !run.answered;
        run.answered = true;
        lock.unlock();
        // The answer is kept (the state file) before it is said, so that whoever reads the line
        // finds the state file already telling the same.
        if (answered_) answered_(answer);
        if (first) {
            std::string players = std::to_string(answer.players);
            if (answer.maxPlayers) players += " из " + std::to_string(*answer.maxPlayers);
            log_.note("back-online",
                      "сервер на связи: карта " + (answer.map.empty() ? "?" : answer.map) +
                          ", игроков " + players,
                      {{"map", answer.map},
                       {"players", answer.players},
                       {"maxPlayers", answer.maxPlayers ? nlohmann::json(*answer.maxPlayers)
                                                        : nlohmann::json(nullptr)}});
        }
        return;
    }
    // Several servers answered: none is guessed, nor is a miss counted.
    if (result.answeringPorts.size() > 1) {
        if (!run.saidAmbiguous) {
            run.saidAmbiguous = true;
            lock.unlock();
            log_.note("query-ambiguous", result.reason);
        }
        return;
    }
    ++run.misses;
    if (!run.answered) {
        if (run.misses >= options_.missesForHang && !run.saidUnanswered) {
            run.saidUnanswered = true;
            lock.unlock();
            log_.note("query-unanswered",
                      "сервер не отвечает на запрос состояния (" + result.reason +
                          "); пока он ни разу не ответил, зависшим он не считается");
        }
        return;
    }
    if (run.misses < options_.missesForHang || run.hangSaid) return;
    run.hangSaid = true;
    if (options_.restartOnHang) {
        hung_ = true;
        if (hungWake_ != nullptr) hungWake_->wake();
        return;
    }
    const int processId = run.processId;
    const int misses = run.misses;
    lock.unlock();
    log_.note("not-answering",
              "сервер не отвечает: " + std::to_string(misses) +
                  " запросов подряд без ответа (pid " + std::to_string(processId) +
                  "); он работает дальше",
              {{"pid", processId}, {"misses", misses}});
}

std::optional<int> ServerHealth::playersOnline() {
    std::optional<Run> asked;
    {
        std::lock_guard lock(mutex_);
        if (!run_) return std::nullopt;
        asked = run_;
    }
    const LocalServerQuery result = askSafely(*asked);
    if (!result.status) return std::nullopt;
    return humanPlayers(*result.status);
}

std::optional<std::string> ServerHealth::rconPassword(const std::string& commandLine) const {
    if (std::optional<std::string> password = commandLineVariable(commandLine, "rcon_password"))
        return password;
    try {
        // The configuration is the game's Windows-1251 text.
        const std::optional<std::string> password =
            configVariable(readWholeFile(configFile_), "rcon_password");
        if (password) return utf8FromWindows1251(*password);
    } catch (const FileError&) {
    }
    return std::nullopt;
}

void ServerHealth::warn(std::chrono::seconds left) {
    std::optional<Run> run;
    {
        std::lock_guard lock(mutex_);
        if (warningsStopped_ || !run_) return;
        run = run_;
    }
    auto cannot = [this](const std::string& why) {
        if (saidCannotWarn_) return;
        saidCannotWarn_ = true;
        log_.note("cannot-warn", "игроков не предупредить о перезапуске: " + why);
    };
    if (!run->server) return cannot("сервер ещё не ответил на запрос состояния");
    const std::optional<std::string> password = rconPassword(run->commandLine);
    if (!password || password->empty())
        return cannot(
            "пароль rcon не задан (+set rcon_password в строке запуска или "
            "set rcon_password в admin/server_mod.cfg)");
    const std::string message = consoleText("Сервер перезапустится через " + timeLeftText(left));
    const RconOutcome outcome = say_(*run->server, *password, message, options_.timing);
    if (outcome.badPassword) {
        {
            std::lock_guard lock(mutex_);
            warningsStopped_ = true;
        }
        log_.note("warn-failed", "сервер отверг пароль rcon: предупреждения больше не посылаются");
        return;
    }
    if (!outcome.delivered) {
        log_.note("warn-failed", "предупреждение игрокам не доставлено: " + outcome.reason);
        return;
    }
    log_.note("warned", "игрокам сказано: «" + message + "»", {{"secondsLeft", left.count()}});
}

}  // namespace qz7
