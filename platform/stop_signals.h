#pragma once

#include <atomic>

namespace qz7 {

// While an object of this class lives, the signals that ask a console program to stop (SIGINT
// and SIGTERM; on Windows Ctrl+C, Ctrl+Break and the closing of the console) no longer end the
// program: they are noted, so that it can stop what it runs and clean up first. One at a time.
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
};

}  // namespace qz7
