#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

#include "server/scheduled_restarts.h"
#include "server/server_supervisor.h"

namespace qz7 {

// Why one run of the supervised server ended.
enum class RunEnd { Ended, StopRequested, ScheduledRestart, Hung };

// Watches one run of the supervised server: its end, stop and restart requests, whether it hung,
// and its schedule, with the warnings before a scheduled restart and the wait for the players to
// leave.
class RunWatch {
  public:
    RunWatch(RunningProgram& process, const SupervisedServer& server,
             const SupervisorTiming& timing, ScheduledRestarts& schedule, ClockWake& wake)
        : process_(process), server_(server), timing_(timing), schedule_(schedule), wake_(wake) {}

    // Watches until the server ends (end is then set), a stop is requested, the server counts as
    // hung, or a restart is due (scheduled, or asked for) and its files are formed. A restart whose
    // template cannot be formed is put off meanwhile; a scheduled one waits while people play.
    RunEnd watch(std::optional<ProcessEnd>& end);

    // Whether the restart that ended the run was asked for.
    bool restartWasRequested() const { return requested_; }

  private:
    // Whether a due scheduled restart should wait for the players, asking them now and then.
    bool waitsForPlayers();
    // Warns the players when a warning before the next scheduled restart is due.
    void warnWhenDue();

    RunningProgram& process_;
    const SupervisedServer& server_;
    const SupervisorTiming& timing_;
    ScheduledRestarts& schedule_;
    ClockWake& wake_;  // what the waits for the server's end also wake on
    bool requested_ = false;
    std::optional<std::chrono::steady_clock::time_point> waitingSince_;
    std::optional<std::chrono::steady_clock::time_point> playersAsked_;
    std::optional<std::chrono::system_clock::time_point> warnedFor_;
    std::size_t warningsGiven_ = 0;
};

}  // namespace qz7
