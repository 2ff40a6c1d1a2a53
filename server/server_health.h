#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "net/query_port_search.h"
#include "net/server_query.h"
#include "platform/thread_guard.h"
#include "server/serve_companion.h"
#include "server/serve_log.h"
#include "server/supervisor_clock.h"

namespace qz7 {

// How serve asks the running game server whether it lives and who plays.
struct HealthOptions {
    std::optional<int> queryPort;  // the host named it; else it is searched for
    std::chrono::milliseconds interval{std::chrono::seconds(30)};
    int missesForHang = 3;      // misses in a row that make a server that answered before hung
    bool restartOnHang = true;  // a hung server is restarted; else the host is only alerted
    QueryTiming timing;         // the waits of one query
};

inline constexpr std::chrono::seconds kShortestHealthInterval{10};
inline constexpr int kFewestMissesForHang = 2;

// What the server answered last, for the state file.
struct ServerAnswer {
    std::chrono::system_clock::time_point time;
    std::string map;  // letters, digits and "_" only: nothing else of the network goes on
    int players = 0;
    std::optional<int> maxPlayers;
    int port = 0;  // the query port it answered on
};

// "mp_seatown": a map name of the network with everything but letters, digits and "_" taken out.
std::string safeMapName(const std::string& map);

// How many people play on a server that answered: its count of human players where it reports
// one, else every player it lists.
int humanPlayers(const ServerStatus& status);

// Asks the running game server its status every interval, from a thread of its own, and tells
// serve what matters: the first answer of each run ("back online", logged with the map and the
// player count), a server that never answered in a run (said once; it is never called hung), and
// a server that answered before and then missed missesForHang answers in a row (hung: restarted
// through the supervisor, or only said). A clock that jumped or a machine that slept between two
// checks starts the count of misses afresh. It also answers the supervisor's questions before a
// scheduled restart: who plays, and warns them through the server's remote console. A check that
// fails in any way (a query that throws, a server process that vanished meanwhile) counts as one
// unanswered check, never more; the thread runs under the guard given.
class ServerHealth final : public ServeCompanion {
  public:
    using Ask = std::function<LocalServerQuery(const QueryPortInputs&, const QueryTiming&)>;
    using Say = std::function<RconOutcome(const UdpEndpoint&, const std::string& password,
                                          const std::string& message, const QueryTiming&)>;

    // configFile: the formed server configuration, where a rcon password may be set.
    // answered is called from the health thread with each answer.
    ServerHealth(HealthOptions options, ServeLog& log, std::filesystem::path configFile,
                 std::function<void(const ServerAnswer&)> answered, Ask ask = queryLocalServer,
                 Say say = sayThroughRcon, SupervisorClock& clock = systemSupervisorClock(),
                 ThreadGuard guard = {});
    ~ServerHealth() override;
    ServerHealth(const ServerHealth&) = delete;
    ServerHealth& operator=(const ServerHealth&) = delete;

    // A run begins: the server's process and the parameter text it was given.
    void runStarted(int processId, const std::string& commandLine) override;
    // The run has ended: no asking until the next.
    void runEnded() override;

    // True when the current run counts as hung and hung servers are restarted.
    bool hung() const { return hung_; }
    // Woken when the run comes to count as hung: the supervisor sleeping on it stops the server
    // at once. Set before the first run.
    void wakeWhenHung(ClockWake& wake) { hungWake_ = &wake; }
    // How many people play now, asked at once; nothing when the server does not answer.
    std::optional<int> playersOnline();
    // Warns the players through the remote console that the server restarts in `left`. Says once
    // why it cannot (no answer yet, no rcon password, a refused password); never shows the
    // password.
    void warn(std::chrono::seconds left);

    // One check now, as the thread makes them (tests).
    void checkNow();

  private:
    struct Run {
        int generation = 0;
        int processId = 0;
        std::string commandLine;
        bool answered = false;
        bool saidUnanswered = false;
        bool saidAmbiguous = false;
        bool hangSaid = false;
        int misses = 0;
        std::optional<UdpEndpoint> server;
        std::optional<std::chrono::steady_clock::time_point> lastSteady;
        std::optional<std::chrono::system_clock::time_point> lastWall;
    };

    void loop();
    QueryPortInputs inputsOf(const Run& run) const;
    LocalServerQuery askSafely(const Run& run);
    void take(const Run& asked, const LocalServerQuery& result);
    bool clockJumped(Run& run);
    std::optional<std::string> rconPassword(const std::string& commandLine) const;

    HealthOptions options_;
    ServeLog& log_;
    std::filesystem::path configFile_;
    std::function<void(const ServerAnswer&)> answered_;
    Ask ask_;
    Say say_;
    SupervisorClock& clock_;
    ThreadGuard guard_;

    mutable std::mutex mutex_;
    ClockWake wake_;  // before the thread, which sleeps on it
    bool ending_ = false;
    std::optional<Run> run_;
    int generation_ = 0;
    std::atomic<bool> hung_{false};
    ClockWake* hungWake_ = nullptr;
    bool warningsStopped_ = false;
    bool saidCannotWarn_ = false;
    std::thread thread_;
};

}  // namespace qz7
