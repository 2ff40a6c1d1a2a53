#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>

#include "server/supervisor_clock.h"

namespace qz7 {

// How a serve started by a Windows entry is started afresh after it ended with an error: the Task
// Scheduler restarts no task that ends so, and the Run key nothing at all, so serve does what the
// systemd unit has systemd do (Restart=on-failure, RestartSec=30, StartLimitBurst=3 in an hour).
struct RelaunchRule {
    std::chrono::seconds delay{30};
    int startsPerWindow = 3;  // fresh starts after an error within the window, at most
    std::chrono::seconds window{std::chrono::hours(1)};
};

// Runs serveOnce, which serves and gives its exit status, and runs it again after rule.delay
// whenever that status is one that restarts, until it ends with another status, a stop signal
// comes during the wait, or the window already holds startsPerWindow fresh starts. Each fresh
// start and the end of them are said on err. The last status.
int serveWithRelaunch(const std::function<int()>& serveOnce,
                      const std::function<bool(int status)>& restarts, std::ostream& err,
                      SupervisorClock& clock = systemSupervisorClock(), RelaunchRule rule = {});

}  // namespace qz7
