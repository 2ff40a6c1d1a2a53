#include "server/server_supervisor.h"

#include <algorithm>
#include <deque>

namespace qz7 {

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;
using SystemTime = std::chrono::system_clock::time_point;

// When the next scheduled restart is due: by the interval (steady, from the last start or the
// last attempt) and by the times of day (wall clock, so that a changed clock is followed).
class ScheduledRestarts {
  public:
    ScheduledRestarts(const RestartSchedule& schedule, SupervisorClock& clock)
        : schedule_(schedule), clock_(clock) {}

    // The server has just started: both counts begin anew.
    void started() {
        if (schedule_.every) everyDue_ = clock_.now() + *schedule_.every;
        nextTimeOfDay_ = followingTimeOfDay();
    }
    bool due() {
        return (everyDue_ && clock_.now() >= *everyDue_) ||
               (nextTimeOfDay_ && clock_.wallNow() >= *nextTimeOfDay_);
    }
    // The restart that was due could not be made: the next time of the schedule tries again.
    void postpone() {
        if (everyDue_ && clock_.now() >= *everyDue_) everyDue_ = clock_.now() + *schedule_.every;
        if (nextTimeOfDay_ && clock_.wallNow() >= *nextTimeOfDay_)
            nextTimeOfDay_ = followingTimeOfDay();
    }
    // The next restart on the wall clock, whichever rule comes first.
    std::optional<SystemTime> next() {
        std::optional<SystemTime> next = nextTimeOfDay_;
        if (everyDue_) {
            const SystemTime byInterval =
                clock_.wallNow() + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                       *everyDue_ - clock_.now());
            if (!next || byInterval < *next) next = byInterval;
        }
        return next;
    }
    // How long until the interval is due, for waiting no longer than that.
    std::chrono::milliseconds untilIntervalDue(std::chrono::milliseconds atMost) {
        if (!everyDue_) return atMost;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*everyDue_ - clock_.now());
        return std::clamp(left, std::chrono::milliseconds(0), atMost);
    }

  private:
    std::optional<SystemTime> followingTimeOfDay() {
        return nextTimeOfDay(schedule_.timesOfDay, clock_.wallNow(),
                             [this](SystemTime moment) { return clock_.utcOffset(moment); });
    }

    const RestartSchedule& schedule_;
    SupervisorClock& clock_;
    std::optional<SteadyTime> everyDue_;
    std::optional<SystemTime> nextTimeOfDay_;
};

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

// Why the server's run ended.
enum class RunEnd { Ended, StopRequested, ScheduledRestart };

// Watches the running server until it ends, a stop is requested, or a scheduled restart is due
// and its files are formed; a restart whose template cannot be formed is postponed meanwhile.
RunEnd watchRun(RunningProgram& process, const SupervisedServer& server,
                const SupervisorTiming& timing, ScheduledRestarts& schedule,
                std::optional<ProcessEnd>& end, bool& restartWasAskedFor) {
    while (!server.stopRequested()) {
        const bool requested = restartWasRequested(server);
        if (requested || schedule.due()) {
            server.report({.kind = SupervisorEventKind::ScheduledRestart,
                           .processId = process.id(),
                           .requested = requested});
            std::optional<std::string> refusal;
            if (server.prepareRestart) refusal = server.prepareRestart();
            if (!refusal) {
                restartWasAskedFor = requested;
                return RunEnd::ScheduledRestart;
            }
            if (!requested) schedule.postpone();
            server.report({.kind = SupervisorEventKind::RestartPostponed,
                           .processId = process.id(),
                           .error = *refusal,
                           .nextRestart = schedule.next(),
                           .requested = requested});
            continue;
        }
        end = process.waitFor(schedule.untilIntervalDue(timing.pollInterval));
        if (end) return RunEnd::Ended;
    }
    return RunEnd::StopRequested;
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
        bool restartWasAskedFor = false;
        const RunEnd runEnd = watchRun(*process, server, timing, schedule, end, restartWasAskedFor);
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
                           .requested = restartWasAskedFor});
            if (server.writePreparedFiles) {
                if (std::optional<std::string> failure = server.writePreparedFiles())
                    server.report(
                        {.kind = SupervisorEventKind::FilesNotWritten, .error = *failure});
            }
            recentEnds.clear();
            endsInSeries = 0;
            continue;
        }
        const bool clean = end->clean();
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
             .crashesInWindow = endsInWindow});
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
