#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/watched_process.h"

namespace qz7 {

// The timing rules of the supervisor. A crash (an end with a non-zero status or by a signal) is
// followed by a restart after a back-off that doubles with each crash of the current series,
// up to the longest delay; a run that lasts the crash window ends the series. crashLimit
// crashes within the crash window stop the supervisor instead of restarting once more.
struct SupervisorTiming {
    std::chrono::milliseconds firstRestartDelay{1000};
    std::chrono::milliseconds longestRestartDelay{60000};
    int crashLimit = 5;
    std::chrono::milliseconds crashWindow{std::chrono::minutes(10)};
    // How long a server asked to stop may take before it is ended by force.
    std::chrono::milliseconds stopGrace{10000};
};

// The back-off before the restart that follows the n-th crash of a series (n from 1):
// firstRestartDelay doubled n-1 times, at most longestRestartDelay.
std::chrono::milliseconds restartDelay(int crashInSeries, const SupervisorTiming& timing);

enum class SupervisorEventKind {
    Started,        // processId
    Crashed,        // processId, end, crashesInWindow
    Restarting,     // delay
    ExitedCleanly,  // processId
    GaveUp,         // crashesInWindow: the crash limit was reached
    StartFailed,    // error
    Stopping,       // processId: a stop was requested, the server was asked to end
    Killed,         // processId: it did not end within the grace period
    Stopped,        // processId (0 when no server was running), end
};

struct SupervisorEvent {
    SupervisorEventKind kind{};
    int processId = 0;
    ProcessEnd end{};
    int crashesInWindow = 0;
    std::chrono::milliseconds delay{0};
    std::string error{};
};

enum class SupervisorOutcome {
    CleanExit,    // the server ended with status 0
    Stopped,      // a stop was requested
    CrashLoop,    // the crash limit was reached
    StartFailed,  // the server could not be started at all
};

struct SupervisedServer {
    // Starts the server once more; nothing, with the reason in error, when it cannot start.
    std::function<std::unique_ptr<WatchedProcess>(std::string& error)> start;
    // Polled while the server runs and while a restart waits.
    std::function<bool()> stopRequested;
    // Told about every event as it happens.
    std::function<void(const SupervisorEvent&)> report;
};

// Starts the server and keeps it running by the timing rules until it ends cleanly, a stop is
// requested, the crash limit is reached or it cannot be started.
SupervisorOutcome superviseServer(const SupervisedServer& server, const SupervisorTiming& timing);

}  // namespace qz7
