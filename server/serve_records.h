#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "server/serve_files.h"
#include "server/serve_guard.h"
#include "server/serve_lock.h"
#include "server/serve_log.h"
#include "server/supervisor_clock.h"

namespace qz7 {

// What a serve keeps in the game folder: its event log (qz7-serve.log) and its state file
// (qz7-serve.json), written after every event line. A write that fails (a full disk, a file
// taken away) leaves the server running: it is said once, in serve's event lines, and said again
// once that file is written again.
class ServeRecords {
  public:
    // Begins the state file and listens to the log's events. clock: serve's, for the pacing of
    // what is said about failed writes.
    ServeRecords(const std::filesystem::path& gameFolder, const std::string& templateName,
                 std::chrono::system_clock::time_point serveStarted,
                 std::chrono::milliseconds stopGrace, ServeLog& log, ServeGuard& guard,
                 SupervisorClock& clock);

    // The running server answered a query.
    void serverAnswered(std::chrono::system_clock::time_point time, const std::string& map,
                        int players, std::optional<int> maxPlayers);
    // The query port serve asks its server on in this run; nothing while it searches for it.
    void queryPortAsked(std::optional<int> port);
    // serve ends, for the reason given (empty when it ended as asked or as its server did).
    void ended(std::chrono::system_clock::time_point moment, const std::string& reason);

  private:
    // What is said of a file's writes.
    struct Said {
        std::string event;
        std::string message;
        nlohmann::json fields;
    };
    // One file's writes: the first failure and the recovery after it are said. On the edge of a
    // full disk writes fail and work by turns: a failure is said again only kRepeatAfter after
    // the last one said, and a recovery only after a failure said.
    class Watch {
      public:
        Watch(const char* file, const char* step) : file_(file), step_(step) {}
        // now: the moment of the write on serve's clock.
        std::optional<Said> write(const ServeGuard& guard, const std::function<void()>& write,
                                  std::chrono::steady_clock::time_point now);

      private:
        static constexpr std::chrono::minutes kRepeatAfter{10};
        const char* file_;
        const char* step_;
        bool failing_ = false;
        bool failureSaid_ = false;
        std::optional<std::chrono::steady_clock::time_point> lastSaid_;
    };

    void take(const ServeEvent& event);
    // Writes under the lock and says what there is to say after it (the log takes the lock of its
    // own first, so it is never taken with this one held).
    void write(Watch& watch, const std::function<void()>& write);

    ServeLog& log_;
    ServeGuard& guard_;
    SupervisorClock& clock_;
    std::mutex writing_;  // events come from serve's thread, answers from the health thread
    ServeStateFile state_;
    ServeLogFile logFile_;
    Watch stateWatch_{kServeStateFile, "state-write"};
    Watch logWatch_{kServeLogFile, "log-write"};
};

}  // namespace qz7
