#pragma once

#include <chrono>
#include <optional>

#include "server/restart_schedule.h"
#include "server/supervisor_clock.h"

namespace qz7 {

// When the next scheduled restart of a running server is due: by the interval (steady, from the
// last start or the last attempt) and by the times of day (wall clock, so that a changed clock is
// followed).
class ScheduledRestarts {
  public:
    ScheduledRestarts(const RestartSchedule& schedule, SupervisorClock& clock)
        : schedule_(schedule), clock_(clock) {}

    // The server has just started: both counts begin anew.
    void started();
    bool due();
    // The restart that was due could not be made: the next time of the schedule tries again.
    void postpone();
    // The next restart on the wall clock, whichever rule comes first.
    std::optional<std::chrono::system_clock::time_point> next();
    // How long until the interval is due, for waiting no longer than that.
    std::chrono::milliseconds untilIntervalDue(std::chrono::milliseconds atMost);

  private:
    std::optional<std::chrono::system_clock::time_point> followingTimeOfDay();

    const RestartSchedule& schedule_;
    SupervisorClock& clock_;
    std::optional<std::chrono::steady_clock::time_point> everyDue_;
    std::optional<std::chrono::system_clock::time_point> nextTimeOfDay_;
};

}  // namespace qz7
