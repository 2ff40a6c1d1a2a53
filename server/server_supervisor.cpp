#include "server/server_supervisor.h"

#include <algorithm>
#include <deque>
#include <thread>

namespace qz7 {

namespace {

using Clock = std::chrono::steady_clock;

// How often a stop request is looked for while the server runs or a restart waits.
constexpr std::chrono::milliseconds kStopPollInterval{50};

// Ends the server that was asked to stop: a grace period, then by force.
ProcessEnd stopServer(WatchedProcess& process, const SupervisedServer& server,
                      const SupervisorTiming& timing) {
    server.report({.kind = SupervisorEventKind::Stopping, .processId = process.id()});
    process.requestStop();
    std::optional<ProcessEnd> end = process.waitFor(timing.stopGrace);
    if (!end) {
        server.report({.kind = SupervisorEventKind::Killed, .processId = process.id()});
        process.kill();
        end = process.waitFor(std::chrono::hours(1));
    }
    return end.value_or(ProcessEnd{});
}

// Waits for the server's end; nothing when a stop was requested first.
std::optional<ProcessEnd> waitForEnd(WatchedProcess& process, const SupervisedServer& server) {
    while (!server.stopRequested()) {
        if (std::optional<ProcessEnd> end = process.waitFor(kStopPollInterval)) return end;
    }
    return std::nullopt;
}

// Waits for delay; false when a stop was requested meanwhile.
bool waitUnlessStopped(std::chrono::milliseconds delay, const SupervisedServer& server) {
    const Clock::time_point until = Clock::now() + delay;
    while (!server.stopRequested()) {
        const Clock::time_point now = Clock::now();
        if (now >= until) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, kStopPollInterval));
    }
    return false;
}

}  // namespace

std::chrono::milliseconds restartDelay(int crashInSeries, const SupervisorTiming& timing) {
    std::chrono::milliseconds delay = timing.firstRestartDelay;
    for (int doubling = 1; doubling < crashInSeries && delay < timing.longestRestartDelay;
         ++doubling)
        delay *= 2;
    return std::min(delay, timing.longestRestartDelay);
}

SupervisorOutcome superviseServer(const SupervisedServer& server, const SupervisorTiming& timing) {
    std::deque<Clock::time_point> recentCrashes;
    int crashesInSeries = 0;
    while (true) {
        if (server.stopRequested()) {
            server.report({.kind = SupervisorEventKind::Stopped});
            return SupervisorOutcome::Stopped;
        }
        std::string error;
        std::unique_ptr<WatchedProcess> process = server.start(error);
        if (!process) {
            server.report({.kind = SupervisorEventKind::StartFailed, .error = error});
            return SupervisorOutcome::StartFailed;
        }
        const Clock::time_point startedAt = Clock::now();
        server.report({.kind = SupervisorEventKind::Started, .processId = process->id()});

        std::optional<ProcessEnd> end = waitForEnd(*process, server);
        if (!end) {
            const ProcessEnd stopped = stopServer(*process, server, timing);
            server.report(
                {.kind = SupervisorEventKind::Stopped, .processId = process->id(), .end = stopped});
            return SupervisorOutcome::Stopped;
        }
        if (end->clean()) {
            server.report({.kind = SupervisorEventKind::ExitedCleanly,
                           .processId = process->id(),
                           .end = *end});
            return SupervisorOutcome::CleanExit;
        }

        const Clock::time_point crashedAt = Clock::now();
        if (crashedAt - startedAt >= timing.crashWindow) crashesInSeries = 0;
        ++crashesInSeries;
        recentCrashes.push_back(crashedAt);
        while (crashedAt - recentCrashes.front() > timing.crashWindow) recentCrashes.pop_front();
        const int crashesInWindow = static_cast<int>(recentCrashes.size());
        server.report({.kind = SupervisorEventKind::Crashed,
                       .processId = process->id(),
                       .end = *end,
                       .crashesInWindow = crashesInWindow});
        if (crashesInWindow >= timing.crashLimit) {
            server.report(
                {.kind = SupervisorEventKind::GaveUp, .crashesInWindow = crashesInWindow});
            return SupervisorOutcome::CrashLoop;
        }

        const std::chrono::milliseconds delay = restartDelay(crashesInSeries, timing);
        server.report({.kind = SupervisorEventKind::Restarting,
                       .crashesInWindow = crashesInWindow,
                       .delay = delay});
        if (!waitUnlessStopped(delay, server)) {
            server.report({.kind = SupervisorEventKind::Stopped});
            return SupervisorOutcome::Stopped;
        }
    }
}

}  // namespace qz7
