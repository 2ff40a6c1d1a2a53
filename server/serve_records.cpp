#include "server/serve_records.h"

#include <exception>
#include <utility>

#include "server/serve_lock.h"

namespace qz7 {

ServeRecords::ServeRecords(const std::filesystem::path& gameFolder, const std::string& templateName,
                           std::chrono::system_clock::time_point serveStarted,
                           std::chrono::milliseconds stopGrace, ServeLog& log, ServeGuard& guard,
                           SupervisorClock& clock)
    : log_(log),
      guard_(guard),
      clock_(clock),
      state_(gameFolder / kServeStateFile, templateName, serveStarted, stopGrace),
      logFile_(gameFolder / kServeLogFile) {
    write(stateWatch_, [&] { state_.begin(); });
    log_.addListener([this](const ServeEvent& event) { take(event); });
}

std::optional<ServeRecords::Said> ServeRecords::Watch::write(
    const ServeGuard& guard, const std::function<void()>& write,
    std::chrono::steady_clock::time_point now) {
    try {
        guard.step(step_);
        write();
    } catch (const std::exception& error) {
        if (std::exchange(failing_, true)) return std::nullopt;
        if (lastSaid_ && now - *lastSaid_ < kRepeatAfter) return std::nullopt;
        lastSaid_ = now;
        failureSaid_ = true;
        return Said{"write-failed",
                    std::string("не удалось записать ") + file_ + ": " + error.what() +
                        "; сервер работает дальше, а пока запись не наладится, это не "
                        "повторяется",
                    {{"file", file_}, {"error", error.what()}}};
    }
    failing_ = false;
    if (!std::exchange(failureSaid_, false)) return std::nullopt;
    return Said{"write-restored", std::string(file_) + " снова записывается", {{"file", file_}}};
}

void ServeRecords::write(Watch& watch, const std::function<void()>& write) {
    std::optional<Said> said;
    {
        std::lock_guard lock(writing_);
        said = watch.write(guard_, write, clock_.now());
    }
    if (said) log_.note(said->event, said->message, said->fields);
}

void ServeRecords::take(const ServeEvent& event) {
    write(logWatch_, [&] { logFile_.append(eventLine(event, false)); });
    write(stateWatch_, [&] { state_.take(event); });
}

void ServeRecords::serverAnswered(std::chrono::system_clock::time_point time,
                                  const std::string& map, int players,
                                  std::optional<int> maxPlayers) {
    write(stateWatch_, [&] { state_.serverAnswered(time, map, players, maxPlayers); });
}

void ServeRecords::queryPortAsked(std::optional<int> port) {
    write(stateWatch_, [&] { state_.queryPortAsked(port); });
}

void ServeRecords::ended(std::chrono::system_clock::time_point moment, const std::string& reason) {
    write(stateWatch_, [&] { state_.ended(moment, reason); });
}

}  // namespace qz7
