#include "platform/stop_signals.h"

#include <atomic>
#include <mutex>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <string>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#endif

namespace qz7 {

namespace {

// The number of the signal or console event that arrived, plus one; 0 before any.
std::atomic<int> receivedSignal{0};
std::atomic<bool> receivedFlag{false};
std::atomic<bool> restartRequested{false};

std::mutex wakeMutex;
ClockWake* requestWake = nullptr;

// Tells the sleeper of StopSignals::wakeOnRequest that a request came.
void wakeSleeper() {
    std::lock_guard lock(wakeMutex);
    if (requestWake != nullptr) requestWake->wake();
}

#ifdef _WIN32

// Not a console event: the stop event was set (qz7ctl stop).
constexpr int kStopEventSet = 1000;
// How long the closing of the console is held up; Windows ends the program after 5 s.
constexpr DWORD kCloseHoldUpMilliseconds = 4500;

HANDLE stopEvent = nullptr;
HANDLE stopEventWait = nullptr;
HANDLE restartEvent = nullptr;
HANDLE restartEventWait = nullptr;
// Set when the StopSignals object goes: the program has stopped what it ran.
HANDLE cleanedUp = nullptr;

std::wstring stopEventName(DWORD processId) {
    return L"Local\\qz7-serve-stop-" + std::to_wstring(processId);
}

std::wstring restartEventName(DWORD processId) {
    return L"Local\\qz7-serve-restart-" + std::to_wstring(processId);
}

// Sets a named event of another process; false when it has none.
bool setEventNamed(const std::wstring& name) {
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    if (event == nullptr) return false;
    const bool set = SetEvent(event) != 0;
    CloseHandle(event);
    return set;
}

void note(int signal) {
    int none = 0;
    receivedSignal.compare_exchange_strong(none, signal + 1);
    receivedFlag.store(true);
    wakeSleeper();
}

BOOL WINAPI noteConsoleEvent(DWORD event) {
    note(int(event));
    // Windows ends the program as soon as this returns from a close, log-off or shut-down event.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(cleanedUp, kCloseHoldUpMilliseconds);
    return TRUE;
}

VOID CALLBACK noteStopEvent(PVOID, BOOLEAN) { note(kStopEventSet); }

VOID CALLBACK noteRestartEvent(PVOID, BOOLEAN) {
    restartRequested.store(true);
    wakeSleeper();
}

#else

struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

struct sigaction previousUser1 {};

// A signal handler may not take a lock: it writes a byte to this pipe, and a thread that reads it
// wakes the sleeper. The pipe's closing ends that thread.
int signalPipe[2] = {-1, -1};
std::thread signalReader;

void tellReader() {
    const int savedErrno = errno;
    const char byte = 's';
    if (signalPipe[1] >= 0) [[maybe_unused]]
        auto ignored = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

void readSignals() {
    char byte = 0;
    while (true) {
        const ssize_t got = ::read(signalPipe[0], &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        wakeSleeper();
    }
}

void noteSignal(int signal) {
    receivedSignal.store(signal + 1);
    receivedFlag.store(true);
    tellReader();
}

void noteRestartSignal(int) {
    restartRequested.store(true);
    tellReader();
}

#endif

}  // namespace

StopSignals::StopSignals() {
    receivedSignal.store(0);
    receivedFlag.store(false);
    restartRequested.store(false);
#ifdef _WIN32
    cleanedUp = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, stopEventName(GetCurrentProcessId()).c_str());
    if (stopEvent != nullptr)
        RegisterWaitForSingleObject(&stopEventWait, stopEvent, noteStopEvent, nullptr, INFINITE,
                                    WT_EXECUTEONLYONCE);
    // Auto-reset: each request sets it once and wakes the wait once.
    restartEvent =
        CreateEventW(nullptr, FALSE, FALSE, restartEventName(GetCurrentProcessId()).c_str());
    if (restartEvent != nullptr)
        RegisterWaitForSingleObject(&restartEventWait, restartEvent, noteRestartEvent, nullptr,
                                    INFINITE, WT_EXECUTEDEFAULT);
    SetConsoleCtrlHandler(noteConsoleEvent, TRUE);
#else
    // Without the pipe the handlers only set their flags: a sleeper then hears of a request at
    // its next look.
    if (::pipe2(signalPipe, O_CLOEXEC) == 0) {
        ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
        signalReader = std::thread(readSignals);
    } else {
        signalPipe[0] = signalPipe[1] = -1;
    }
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
    struct sigaction restart {};
    restart.sa_handler = noteRestartSignal;
    sigemptyset(&restart.sa_mask);
    sigaction(SIGUSR1, &restart, &previousUser1);
#endif
}

StopSignals::~StopSignals() {
#ifdef _WIN32
    // A close event that waits is let go; the program then ends as Windows wants.
    SetEvent(cleanedUp);
    SetConsoleCtrlHandler(noteConsoleEvent, FALSE);
    if (stopEventWait != nullptr) UnregisterWaitEx(stopEventWait, INVALID_HANDLE_VALUE);
    if (stopEvent != nullptr) CloseHandle(stopEvent);
    stopEventWait = stopEvent = nullptr;
    if (restartEventWait != nullptr) UnregisterWaitEx(restartEventWait, INVALID_HANDLE_VALUE);
    if (restartEvent != nullptr) CloseHandle(restartEvent);
    restartEventWait = restartEvent = nullptr;
#else
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    sigaction(SIGUSR1, &previousUser1, nullptr);
    const int writeEnd = std::exchange(signalPipe[1], -1);
    if (writeEnd >= 0) ::close(writeEnd);
    if (signalReader.joinable()) signalReader.join();
    if (signalPipe[0] >= 0) ::close(std::exchange(signalPipe[0], -1));
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
        case kStopEventSet:
            return "запрос qz7ctl stop";
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

bool StopSignals::requestStopOf(int processId) {
#ifdef _WIN32
    return setEventNamed(stopEventName(DWORD(processId)));
#else
    return ::kill(processId, SIGTERM) == 0;
#endif
}

bool StopSignals::takeRestartRequest() { return restartRequested.exchange(false); }

void StopSignals::wakeOnRequest(ClockWake* wake) {
    std::lock_guard lock(wakeMutex);
    requestWake = wake;
}

bool StopSignals::requestRestartOf(int processId) {
#ifdef _WIN32
    return setEventNamed(restartEventName(DWORD(processId)));
#else
    return ::kill(processId, SIGUSR1) == 0;
#endif
}

}  // namespace qz7
