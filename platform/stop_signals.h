#pragma once

#include <atomic>

#include "platform/wait_clock.h"

namespace qz7 {

// While an object of this class lives, the signals that ask a console program to stop (SIGINT
// and SIGTERM; on Windows Ctrl+C, Ctrl+Break, the closing of the console, and the stop event
// that requestStopOf sets, since a program without a console gets no Ctrl+C) no longer end the
// program: they are noted, so that it can stop what it runs and clean up first. One at a time.
// On Windows the closing of the console is held up (a few seconds at most, as Windows allows)
// until the object goes, so that what it runs is stopped first.
class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // True once a stop signal has arrived.
    static bool received();
    // The same as a flag that other code can watch (set from the signal handler).
    static const std::atomic<bool>& flag();
    // The name of the signal that arrived ("SIGTERM", "Ctrl+C", ...); empty before that.
    static const char* receivedName();

    // Asks the program with this process id, which holds a StopSignals, to stop as Ctrl+C would:
    // SIGTERM; on Windows its stop event. False when there is no such program to ask.
    static bool requestStopOf(int processId);

    // Restart requests: while the object lives, SIGUSR1 (on Windows the restart event that
    // requestRestartOf sets) is noted as a request to restart what the program runs.
    // True once for each request that arrived since the last call.
    static bool takeRestartRequest();
    // Asks the program with this process id, which holds a StopSignals, to restart what it runs.
    // False when there is no such program to ask.
    static bool requestRestartOf(int processId);

    // While set (nullptr: none), every stop signal and restart request also wakes this wake, from
    // a thread of the program's own (never from a signal handler), so that a program that sleeps
    // on it hears of them at once instead of looking now and then.
    static void wakeOnRequest(ClockWake* wake);
};

}  // namespace qz7
