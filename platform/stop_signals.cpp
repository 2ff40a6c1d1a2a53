#include "platform/stop_signals.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace qz7 {

namespace {

// The number of the signal or console event that arrived, plus one; 0 before any.
std::atomic<int> receivedSignal{0};
std::atomic<bool> receivedFlag{false};

#ifdef _WIN32

BOOL WINAPI noteConsoleEvent(DWORD event) {
    receivedSignal.store(int(event) + 1);
    receivedFlag.store(true);
    // Handled: the program is not ended, except that Windows ends it soon after a close event.
    return TRUE;
}

#else

struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

void noteSignal(int signal) {
    receivedSignal.store(signal + 1);
    receivedFlag.store(true);
}

#endif

}  // namespace

StopSignals::StopSignals() {
    receivedSignal.store(0);
    receivedFlag.store(false);
#ifdef _WIN32
    SetConsoleCtrlHandler(noteConsoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
#endif
}

StopSignals::~StopSignals() {
#ifdef _WIN32
    SetConsoleCtrlHandler(noteConsoleEvent, FALSE);
#else
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
#endif
}

bool StopSignals::received() { return receivedFlag.load(); }

const std::atomic<bool>& StopSignals::flag() { return receivedFlag; }

const char* StopSignals::receivedName() {
    switch (receivedSignal.load() - 1) {
        case -1:
            return "";
#ifdef _WIN32
        case CTRL_C_EVENT:
            return "Ctrl+C";
        case CTRL_BREAK_EVENT:
            return "Ctrl+Break";
        case CTRL_CLOSE_EVENT:
            return "закрытие консоли";
        default:
            return "сигнал завершения";
#else
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        default:
            return "сигнал";
#endif
    }
}

}  // namespace qz7
