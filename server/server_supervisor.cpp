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

// Waits for delay, or until a restart is asked for; false when a stop was requested meanwhile.
bool waitUnlessStopped(std::chrono::milliseconds delay, const SupervisedServer& server,
                       const SupervisorTiming& timing) {
    SupervisorClock& clock = *server.clock;
    const SteadyTime until = clock.now() + delay;
    while (!server.stopRequested()) {
        const SteadyTime now = clock.now();
        if (now >= until || restartWasRequested(server)) return true;
        clock.sleepFor(std::min(std::chrono::ceil<std::chrono::milliseconds>(until - now),
                                timing.pollInterval));
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
    SupervisorClock& clock = *server.clock;
    ScheduledRestarts schedule(timing.schedule, clock);
    // The ends that count toward the crash limit: crashes, and clean ends that are restarted.
    std::deque<SteadyTime> recentEnds;
    int endsInSeries = 0;
    while (true) {
        if (server.stopRequested()) {
            server.report({.kind = SupervisorEventKind::Stopped});
            return SupervisorOutcome::Stopped;
        }
        std::string error;
        std::unique_ptr<RunningProgram> process = server.start(error);
        if (!process) {
            server.report({.kind = SupervisorEventKind::StartFailed, .error = error});
            return SupervisorOutcome::StartFailed;
        }
        const SteadyTime startedAt = clock.now();
        schedule.started();
        server.report({.kind = SupervisorEventKind::Started,
                       .processId = process->id(),
                       .nextRestart = schedule.next()});

        std::optional<ProcessEnd> end;
        RunWatch watch(*process, server, timing, schedule);
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
        ++endsInSeries;
        recentEnds.push_back(endedAt);
        while (endedAt - recentEnds.front() > timing.crashWindow) recentEnds.pop_front();
        const int endsInWindow = static_cast<int>(recentEnds.size());
        server.report(
            {.kind = clean ? SupervisorEventKind::ExitedCleanly : SupervisorEventKind::Crashed,
             .processId = process->id(),
             .end = *end,
             .crashesInWindow = endsInWindow,
             .hung = hung});
        if (endsInWindow >= timing.crashLimit) {
            server.report({.kind = SupervisorEventKind::GaveUp, .crashesInWindow = endsInWindow});
            return SupervisorOutcome::CrashLoop;
        }

        const std::chrono::milliseconds delay = restartDelay(endsInSeries, timing);
        server.report({.kind = SupervisorEventKind::Restarting,
                       .crashesInWindow = endsInWindow,
                       .delay = delay});
        if (!waitUnlessStopped(delay, server, timing)) {
            server.report({.kind = SupervisorEventKind::Stopped});
            return SupervisorOutcome::Stopped;
        }
    }
}

}  // namespace qz7
