#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/watched_process.h"
#include "server/restart_schedule.h"
#include "server/supervisor_clock.h"

namespace qz7 {

// The timing rules of the supervisor. A crash (an end with a non-zero status or by a signal) is
// followed by a restart after a back-off that doubles with each crash of the current series,
// up to the longest delay; a run that lasts the crash window ends the series. crashLimit
// crashes within the crash window stop the supervisor instead of restarting once more. A
// scheduled restart of a healthy server is no crash: the count and the back-off start afresh.
struct SupervisorTiming {
    std::chrono::milliseconds firstRestartDelay{1000};
    std::chrono::milliseconds longestRestartDelay{60000};
    int crashLimit = 5;
    std::chrono::milliseconds crashWindow{std::chrono::minutes(10)};
    // How long a server asked to stop may take before it is ended by force.
    std::chrono::milliseconds stopGrace{10000};
    // How often the schedule and the clocks are looked at while the server runs or a restart
    // waits. The server's end, stop and restart requests and a hang need no look: they wake the
    // supervisor (SupervisedServer::wake) as they come.
    std::chrono::milliseconds pollInterval{1000};
    RestartSchedule schedule;
    // A clean end of the server (status 0) is followed by a restart instead of ending the
    // supervisor; it counts toward the crash limit and the back-off as a crash does, so a server
    // that ends at once cannot loop for ever.
    bool restartAfterCleanExit = false;
    // A due scheduled restart waits while people play (SupervisedServer::playersOnline), asking
    // every emptyCheckInterval, at most emptyWait; then it is made all the same.
    bool restartWhenEmpty = false;
    std::chrono::milliseconds emptyWait{std::chrono::minutes(60)};
    std::chrono::milliseconds emptyCheckInterval{std::chrono::seconds(30)};
    // How long before a scheduled restart the players are warned (SupervisedServer::warn).
    std::vector<std::chrono::seconds> warnBefore;
};

// The back-off before the restart that follows the n-th crash of a series (n from 1):
// firstRestartDelay doubled n-1 times, at most longestRestartDelay.
std::chrono::milliseconds restartDelay(int crashInSeries, const SupervisorTiming& timing);

enum class SupervisorEventKind {
    Started,        // processId, nextRestart
    Crashed,        // processId, end, crashesInWindow; hung when it was stopped as hung
    Hung,           // processId: it runs but counts as hung, and is stopped as a crash
    Restarting,     // delay
    ExitedCleanly,  // processId, end; crashesInWindow when it is restarted
    GaveUp,         // crashesInWindow: the crash limit was reached
    // error, crashesInWindow: the server could not be started; counted as a crash.
    StartFailed,
    Stopping,  // processId: the server was asked to end (a stop, or a scheduled restart)
    Killed,    // processId: it did not end within the grace period
    Stopped,   // processId (0 when no server was running), end
    // A scheduled restart is due, or one was asked for (requested) (processId); the template is
    // read afresh. Asked for while a restart after a crash waits (processId 0): the server starts
    // at once.
    ScheduledRestart,
    // The template could not be read or formed (error); the server stays up (until nextRestart
    // for a scheduled one).
    RestartPostponed,
    // The server was ended for the restart (processId, end) and starts again.
    StoppedForRestart,
    // The files formed for the restart could not be written (error); it starts on the old ones.
    FilesNotWritten,
    // A due scheduled restart waits while players are on (processId, players), at most until
    // nextRestart.
    RestartWaits,
};

struct SupervisorEvent {
    SupervisorEventKind kind{};
    int processId = 0;
    ProcessEnd end{};
    int crashesInWindow = 0;
    std::chrono::milliseconds delay{0};
    std::string error{};
    // The next scheduled restart, when there is a schedule.
    std::optional<std::chrono::system_clock::time_point> nextRestart{};
    // A restart a host asked for, not one of the schedule.
    bool requested = false;
    // The crash was a server stopped because it counted as hung.
    bool hung = false;
    // How many people played.
    int players = 0;
};

enum class SupervisorOutcome {
    CleanExit,  // the server ended with status 0
    Stopped,    // a stop was requested
    CrashLoop,  // the crash limit was reached
};

struct SupervisedServer {
    // Starts the server once more; nothing, with the reason in error, when it cannot start.
    std::function<std::unique_ptr<RunningProgram>(std::string& error)> start;
    // Polled while the server runs and while a restart waits.
    std::function<bool()> stopRequested;
    // Polled likewise; true once for each restart a host asked for: the server is restarted now
    // as a scheduled restart would (a restart after a crash waits no longer). May be empty.
    std::function<bool()> restartRequested;
    // Told about every event as it happens.
    std::function<void(const SupervisorEvent&)> report;
    // Before a scheduled restart, while the server still runs: reads the template afresh and
    // forms its files in memory. The reason when it cannot; the server then stays up.
    std::function<std::optional<std::string>()> prepareRestart;
    // Once the server has ended for a scheduled restart: writes the files prepareRestart formed.
    // The reason when that failed.
    std::function<std::optional<std::string>()> writePreparedFiles;
    // Polled while the server runs: true when it counts as hung (it runs but no longer answers);
    // it is then stopped and counted as a crash. May be empty.
    std::function<bool()> hung;
    // How many people play now, asked before a scheduled restart when restartWhenEmpty; nothing
    // when the server cannot tell, which lets the restart go ahead. May be empty.
    std::function<std::optional<int>()> playersOnline;
    // Told while the server runs when a warning before a scheduled restart is due, with the time
    // left until it. May be empty.
    std::function<void(std::chrono::seconds left)> warn;
    SupervisorClock* clock = &systemSupervisorClock();
    // Woken by whoever has news for the supervisor while it waits (a stop or restart request, a
    // hang, a failure): it then looks at once, not at its next look. May be null: it then hears of
    // them at its next look.
    ClockWake* wake = nullptr;
};

// Starts the server and keeps it running by the timing rules until it ends cleanly (unless
// restarted after clean ends), a stop is requested or the crash limit is reached (a start that
// fails counts as a crash); restarts it on its schedule meanwhile.
SupervisorOutcome superviseServer(const SupervisedServer& server, const SupervisorTiming& timing);

}  // namespace qz7
