#include "server/serve_requests.h"

#include <nlohmann/json.hpp>
#include <thread>

#include "platform/local_time.h"
#include "platform/stop_signals.h"
#include "server/operation_error.h"
#include "server/serve_files.h"
#include "server/serve_lock.h"

namespace qz7 {

namespace {

// How long a request waits beyond the grace the serve gives its server: the removal of the ports
// when stopping, the forming of the files when restarting, with room to spare.
constexpr std::chrono::seconds kWaitBeyondGrace{120};
constexpr std::chrono::milliseconds kPollInterval{100};

const char* const kNotRunning = "qz7ctl serve в этой папке не запущен";

// How long to wait for the serve's answer, by the stop grace its state file names.
std::chrono::seconds waitFor(const std::optional<nlohmann::json>& state) {
    const nlohmann::json grace =
        state ? state->value("stopGraceSeconds", nlohmann::json()) : nlohmann::json();
    return kWaitBeyondGrace +
           std::chrono::seconds(grace.is_number() ? static_cast<long long>(grace.get<double>()) + 1
                                                  : 0);
}

int numberIn(const std::optional<nlohmann::json>& state, const char* key) {
    if (!state) return 0;
    const nlohmann::json value = state->value(key, nlohmann::json());
    return value.is_number_integer() ? value.get<int>() : 0;
}

// A serve that has not written its id into the lock file is asked nothing: the id the file holds
// then is an earlier serve's, and may belong to any program by now.
void refuseUnnamed(const ServeHolder& holder, const char* asked) {
    if (holder.processId != 0) return;
    throw OperationError(std::string("Папку игры держит qz7ctl serve, который так и не записал "
                                     "свой номер процесса в ") +
                         kServeLockFile + ": просьба " + asked +
                         " никому не отправлена. Повторите её чуть позже.");
}

void tell(const ServeRequestProgress& progress, const std::string& text) {
    if (progress) progress(text);
}

}  // namespace

ServeRequestResult stopServe(const std::filesystem::path& gameFolder,
                             const ServeRequestProgress& progress) {
    const std::optional<ServeHolder> holder = findServeHolder(gameFolder, kServeNameWait);
    if (!holder) return {false, kNotRunning};
    refuseUnnamed(*holder, "остановить");
    if (!StopSignals::requestStopOf(holder->processId))
        throw OperationError("Не удалось попросить " + serveHolderText(*holder) + " остановиться");
    tell(progress, "Остановка " + serveHolderText(*holder) + "...");
    const std::chrono::seconds wait = waitFor(readServeState(gameFolder));
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (findServeHolder(gameFolder)) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw OperationError(serveHolderText(*holder) + " не завершился за " +
                                 std::to_string(wait.count()) + " с");
        std::this_thread::sleep_for(kPollInterval);
    }
    return {true, "qz7ctl serve остановлен"};
}

ServeRequestResult restartServedServer(const std::filesystem::path& gameFolder,
                                       const ServeRequestProgress& progress) {
    const std::optional<ServeHolder> holder = findServeHolder(gameFolder, kServeNameWait);
    if (!holder) return {false, kNotRunning};
    refuseUnnamed(*holder, "перезапустить сервер");
    const std::optional<nlohmann::json> before = readServeState(gameFolder);
    const int restartsBefore = numberIn(before, "restarts");
    const std::string askedAt = utcTimestamp(std::chrono::system_clock::now());
    if (!StopSignals::requestRestartOf(holder->processId))
        throw OperationError("Не удалось попросить " + serveHolderText(*holder) +
                             " перезапустить сервер");
    const bool serverRuns =
        before && before->value("serverPid", nlohmann::json()).is_number_integer();
    // A server that crashed and waits for its restart is started at once: nothing to stop.
    tell(progress, "Перезапуск сервера: " + serveHolderText(*holder) +
                       (serverRuns ? " останавливает его..." : " запускает его сейчас..."));
    const std::chrono::seconds wait = waitFor(before);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPollInterval);
        const std::optional<nlohmann::json> state = readServeState(gameFolder);
        const nlohmann::json serverPid =
            state ? state->value("serverPid", nlohmann::json()) : nlohmann::json();
        if (numberIn(state, "restarts") > restartsBefore && serverPid.is_number())
            return {true, "Сервер перезапущен (pid " + serverPid.dump() + ")"};
        const nlohmann::json refused =
            state ? state->value("lastRefusedRestart", nlohmann::json()) : nlohmann::json();
        // UTC times of one format compare as texts.
        if (refused.is_object() && refused.value("time", std::string()) >= askedAt)
            throw OperationError(refused.value("message", std::string()));
        if (!findServeHolder(gameFolder))
            throw OperationError(serveHolderText(*holder) +
                                 " завершился, не перезапустив сервер; что случилось, покажет "
                                 "qz7ctl log");
    }
    throw OperationError("Сервер не запустился снова за " + std::to_string(wait.count()) +
                         " с; что случилось, покажет qz7ctl log");
}

}  // namespace qz7
