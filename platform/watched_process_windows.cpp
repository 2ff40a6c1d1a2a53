#include <windows.h>

#include "platform/process_end_notice.h"
#include "platform/standard_handles_windows.h"
#include "platform/watched_process.h"
#include "platform/windows_text.h"

namespace qz7 {

struct WatchedProcess::Handle {
    PROCESS_INFORMATION info{};
    // The job that holds the program: closing its last handle, as Windows does when this program
    // dies, kills everything in it.
    HANDLE job = nullptr;
};

namespace {

// Asks every top-level window of the process to close, as its close button would.
BOOL CALLBACK closeWindowOfProcess(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == DWORD(processId)) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

std::unique_ptr<WatchedProcess> WatchedProcess::start(const std::filesystem::path& program,
                                                      const std::string& parameters,
                                                      std::string& error, ProgramOutput output) {
    // The program's own name first, quoted, then the parameter text as it is: the program
    // splits it itself, as it does when the shell starts it.
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    if (!parameters.empty()) commandLine += L" " + wideFromUtf8(parameters);
    // Discarded output: "NUL" for all three standard handles, the only handles handed down.
    // Otherwise none are, and a console program writes where this one does.
    OwnedHandle nothing(output == ProgramOutput::Discarded
                            ? inheritableFile(L"NUL", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING)
                            : nullptr);
    if (output == ProgramOutput::Discarded && !nothing.valid()) {
        error = systemErrorText(GetLastError());
        return nullptr;
    }
    std::optional<StandardHandlesStartup> handles;
    STARTUPINFOW plain{};
    plain.cb = sizeof plain;
    if (nothing.valid()) handles.emplace(nothing.get(), nothing.get(), nothing.get());
    STARTUPINFOW& startup = handles ? handles->startup() : plain;
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    auto handle = std::make_unique<Handle>();
    handle->job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (handle->job == nullptr ||
        !SetInformationJobObject(handle->job, JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        error = systemErrorText(GetLastError());
        if (handle->job != nullptr) CloseHandle(handle->job);
        return nullptr;
    }
    // A new process group: the console's Ctrl+C reaches the supervisor, which stops the program.
    // Suspended until it is in the job, so that nothing it starts escapes the job.
    const DWORD flags =
        CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED | (handles ? handles->creationFlags() : 0);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                        handles ? TRUE : FALSE, flags, nullptr, nullptr, &startup, &handle->info)) {
        error = systemErrorText(GetLastError());
        CloseHandle(handle->job);
        return nullptr;
    }
    if (!AssignProcessToJobObject(handle->job, handle->info.hProcess)) {
        error = systemErrorText(GetLastError());
        TerminateProcess(handle->info.hProcess, 1);
        CloseHandle(handle->info.hThread);
        CloseHandle(handle->info.hProcess);
        CloseHandle(handle->job);
        return nullptr;
    }
    ResumeThread(handle->info.hThread);
    CloseHandle(handle->info.hThread);
    handle->info.hThread = nullptr;
    return std::unique_ptr<WatchedProcess>(new WatchedProcess(std::move(handle)));
}

WatchedProcess::WatchedProcess(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

WatchedProcess::~WatchedProcess() {
    if (!end_) {
        kill();
        WaitForSingleObject(handle_->info.hProcess, INFINITE);
    }
    notice_.reset();
    CloseHandle(handle_->info.hProcess);
    CloseHandle(handle_->job);
}

int WatchedProcess::id() const { return int(handle_->info.dwProcessId); }

void WatchedProcess::endNotice() {
    if (notice_) return;
    notice_ = std::make_unique<ProcessEndNotice>(
        [process = handle_->info.hProcess] { WaitForSingleObject(process, INFINITE); });
}

std::optional<ProcessEnd> WatchedProcess::collectEnd() {
    DWORD status = 0;
    GetExitCodeProcess(handle_->info.hProcess, &status);
    return ProcessEnd{int(status), 0};
}

void WatchedProcess::requestStop() {
    if (end_) return;
    // A console program gets Ctrl+Break, sent to its own process group; a windowed one is asked
    // to close its windows.
    const DWORD id = handle_->info.dwProcessId;
    if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, id)) {
        // Only a program on this program's console can be sent the event. Without a console of
        // its own (started detached), this program borrows the server's for the moment;
        // AttachConsole refuses when it has one.
        if (AttachConsole(id)) {
            GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, id);
            FreeConsole();
        }
    }
    EnumWindows(closeWindowOfProcess, LPARAM(handle_->info.dwProcessId));
}

void WatchedProcess::kill() {
    if (!end_) TerminateProcess(handle_->info.hProcess, 1);
}

int currentProcessId() { return int(GetCurrentProcessId()); }

}  // namespace qz7
