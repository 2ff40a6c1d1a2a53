#include "server/server_supervisor.h"

#include <algorithm>
#include <deque>

#include "server/run_watch.h"
#include "server/scheduled_restarts.h"

namespace qz7 {

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

// Ends the server that was asked to stop: a grace period, then by force.
ProcessEnd stopServer(RunningProgram& process, const SupervisedServer& server,
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

bool restartWasRequested(const SupervisedServer& server) {
    return server.restartRequested && server.restartRequested();
}

enum class WaitEnd { Elapsed, RestartRequested, StopRequested };

// Waits for delay, or until a restart is asked for or a stop requested.
WaitEnd waitUnlessStopped(std::chrono::milliseconds delay, const SupervisedServer& server,
                          const SupervisorTiming& timing, ClockWake& wake) {
    SupervisorClock& clock = *server.clock;
    const SteadyTime until = clock.now() + delay;
    while (!server.stopRequested()) {
        const SteadyTime now = clock.now();
        if (restartWasRequested(server)) return WaitEnd::RestartRequested;
        if (now >= until) return WaitEnd::Elapsed;
        clock.sleepOrWake(std::min(std::chrono::ceil<std::chrono::milliseconds>(until - now),
                                   timing.pollInterval),
                          wake);
    }
    return WaitEnd::StopRequested;
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
    SupervisorClock& clock = *server.clock;
    ClockWake ownWake;
    ClockWake& wake = server.wake != nullptr ? *server.wake : ownWake;
    ScheduledRestarts schedule(timing.schedule, clock);
    // The ends that count toward the crash limit: crashes, failed starts, and clean ends that are
    // restarted.
    std::deque<SteadyTime> recentEnds;
    int endsInSeries = 0;
    // Counts an end at that moment; how many there were within the crash window.
    auto countEnd = [&](SteadyTime endedAt) {
        ++endsInSeries;
        recentEnds.push_back(endedAt);
        while (endedAt - recentEnds.front() > timing.crashWindow) recentEnds.pop_front();
        return static_cast<int>(recentEnds.size());
    };
    // After an end: gives up at the crash limit, else waits out the back-off. A restart a host
    // asks for meanwhile starts the server at once, as asked for: no crash, and the count and the
    // back-off start afresh. What ends supervision, or nothing when the server starts again.
    auto afterEnd = [&](int endsInWindow) -> std::optional<SupervisorOutcome> {
        if (endsInWindow >= timing.crashLimit) {
            server.report({.kind = SupervisorEventKind::GaveUp, .crashesInWindow = endsInWindow});
            return SupervisorOutcome::CrashLoop;
        }
        const std::chrono::milliseconds delay = restartDelay(endsInSeries, timing);
        server.report({.kind = SupervisorEventKind::Restarting,
                       .crashesInWindow = endsInWindow,
                       .delay = delay});
        switch (waitUnlessStopped(delay, server, timing, wake)) {
            case WaitEnd::StopRequested:
                server.report({.kind = SupervisorEventKind::Stopped});
                return SupervisorOutcome::Stopped;
            case WaitEnd::RestartRequested:
                server.report({.kind = SupervisorEventKind::ScheduledRestart, .requested = true});
                recentEnds.clear();
                endsInSeries = 0;
                return std::nullopt;
            case WaitEnd::Elapsed:
                break;
        }
        return std::nullopt;
    };
    while (true) {
        if (server.stopRequested()) {
            server.report({.kind = SupervisorEventKind::Stopped});
            return SupervisorOutcome::Stopped;
        }
        std::string error;
        std::unique_ptr<RunningProgram> process = server.start(error);
        const SteadyTime startedAt = clock.now();
        if (!process) {
            // A start that fails counts as a crash: it is tried again within the crash limit.
            const int endsInWindow = countEnd(startedAt);
            server.report({.kind = SupervisorEventKind::StartFailed,
                           .crashesInWindow = endsInWindow,
                           .error = error});
            if (std::optional<SupervisorOutcome> outcome = afterEnd(endsInWindow)) return *outcome;
            continue;
        }
        schedule.started();
        server.report({.kind = SupervisorEventKind::Started,
                       .processId = process->id(),
                       .nextRestart = schedule.next()});

        std::optional<ProcessEnd> end;
        RunWatch watch(*process, server, timing, schedule, wake);
        const RunEnd runEnd = watch.watch(end);
        if (runEnd == RunEnd::StopRequested) {
            const ProcessEnd stopped = stopServer(*process, server, timing);
            server.report(
                {.kind = SupervisorEventKind::Stopped, .processId = process->id(), .end = stopped});
            return SupervisorOutcome::Stopped;
        }
        if (runEnd == RunEnd::ScheduledRestart) {
            const ProcessEnd stopped = stopServer(*process, server, timing);
            server.report({.kind = SupervisorEventKind::StoppedForRestart,
                           .processId = process->id(),
                           .end = stopped,
                           .requested = watch.restartWasRequested()});
            if (server.writePreparedFiles) {
                if (std::optional<std::string> failure = server.writePreparedFiles())
                    server.report(
                        {.kind = SupervisorEventKind::FilesNotWritten, .error = *failure});
            }
            recentEnds.clear();
            endsInSeries = 0;
            continue;
        }
        const bool hung = runEnd == RunEnd::Hung;
        if (hung) {
            server.report({.kind = SupervisorEventKind::Hung, .processId = process->id()});
            end = stopServer(*process, server, timing);
        }
        const bool clean = !hung && end->clean();
        if (clean && !timing.restartAfterCleanExit) {
            server.report({.kind = SupervisorEventKind::ExitedCleanly,
                           .processId = process->id(),
                           .end = *end});
            return SupervisorOutcome::CleanExit;
        }

        const SteadyTime endedAt = clock.now();
        if (endedAt - startedAt >= timing.crashWindow) endsInSeries = 0;
        const int endsInWindow = countEnd(endedAt);
        server.report(
            {.kind = clean ? SupervisorEventKind::ExitedCleanly : SupervisorEventKind::Crashed,
             .processId = process->id(),
             .end = *end,
             .crashesInWindow = endsInWindow,
             .hung = hung});
        if (std::optional<SupervisorOutcome> outcome = afterEnd(endsInWindow)) return *outcome;
    }
}

}  // namespace qz7
