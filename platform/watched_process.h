#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/wait_clock.h"

namespace qz7 {

class ProcessEndNotice;

// How a watched program ended: its exit status, or the signal that ended it (POSIX only).
struct ProcessEnd {
    int exitStatus = 0;
    int signal = 0;  // 0 when the program exited by itself

    bool clean() const { return signal == 0 && exitStatus == 0; }
};

// A started program that is watched until it ends: what a supervisor needs of it.
class RunningProgram {
  public:
    virtual ~RunningProgram() = default;
    virtual int id() const = 0;
    // Waits at most timeout for the program's end; nothing while it is still running.
    virtual std::optional<ProcessEnd> waitFor(std::chrono::milliseconds timeout) = 0;
    // Waits as waitFor does, and returns earlier, with nothing, once wake is woken: a waiter with
    // other news than the program's end (a stop request, a hang) looks at it at once. A program
    // whose end cannot wake anybody waits out the timeout before the wake is looked at.
    virtual std::optional<ProcessEnd> waitOrWake(std::chrono::milliseconds timeout,
                                                 ClockWake& wake) {
        (void)wake;
        return waitFor(timeout);
    }
    // Asks the program to end.
    virtual void requestStop() = 0;
    // Ends the program at once.
    virtual void kill() = 0;
};

// Where a watched program's standard input, output and error go.
enum class ProgramOutput {
    Inherited,  // this program's own
    Discarded,  // the null device: nothing it prints is kept, and it reads nothing
};

// A program this program started and keeps watching, as a supervisor does: unlike
// Platform::startProgram, which lets a launcher go, it stays a child whose end is waited for
// and which can be asked to stop or be ended. On POSIX it runs in a process group of its own
// (so that a Ctrl+C in the terminal reaches the supervisor alone, and stopping reaches the
// program's own children) and is killed by the kernel when this program dies; on Windows in a new
// process group and in a job object that kills it when this program's handle to the job closes,
// as it does when this program dies in any way.
class WatchedProcess final : public RunningProgram {
  public:
    // Starts program with the parameter text in the current folder, as Platform::startProgram
    // would run it, its standard handles as output says. Nothing, with the reason in error, when
    // it could not be started.
    static std::unique_ptr<WatchedProcess> start(const std::filesystem::path& program,
                                                 const std::string& parameters, std::string& error,
                                                 ProgramOutput output = ProgramOutput::Inherited);

    // A program still running when this ends is ended at once.
    ~WatchedProcess() override;
    WatchedProcess(const WatchedProcess&) = delete;
    WatchedProcess& operator=(const WatchedProcess&) = delete;

    int id() const override;

    std::optional<ProcessEnd> waitFor(std::chrono::milliseconds timeout) override;
    // Sleeps until the program ends (told by the system, not looked for), wake is woken or the
    // timeout passes.
    std::optional<ProcessEnd> waitOrWake(std::chrono::milliseconds timeout,
                                         ClockWake& wake) override;

    // Asks the program to end: SIGTERM to its process group; on Windows Ctrl+Break to its group
    // and a close message to its windows.
    void requestStop() override;

    // Ends the program at once: SIGKILL to its process group; TerminateProcess on Windows.
    void kill() override;

    struct Handle;

  private:
    explicit WatchedProcess(std::unique_ptr<Handle> handle);
    // The program's end as the system reports it: collected only when it has ended.
    std::optional<ProcessEnd> collectEnd();
    // Started at the first wait; joined before the program is collected for the last time.
    void endNotice();

    std::unique_ptr<Handle> handle_;
    std::unique_ptr<ProcessEndNotice> notice_;
    std::optional<ProcessEnd> end_;
};

// This program's own process id.
int currentProcessId();

}  // namespace qz7
