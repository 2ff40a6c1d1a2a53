#include <windows.h>

#include "platform/detached_program.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/standard_handles_windows.h"
#include "platform/windows_command_line.h"
#include "platform/windows_text.h"

namespace qz7 {

struct DetachedProgram::Handle {
    HANDLE process = nullptr;
    DWORD id = 0;
    bool insideJob = false;
};

std::unique_ptr<DetachedProgram> DetachedProgram::start(const std::filesystem::path& program,
                                                        const std::vector<std::string>& arguments,
                                                        const std::filesystem::path& folder,
                                                        const std::filesystem::path& outputFile,
                                                        std::string& error) {
    OwnedHandle input(inheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING));
    OwnedHandle output(inheritableFile(outputFile, GENERIC_WRITE, CREATE_ALWAYS));
    if (!input.valid() || !output.valid()) {
        error = systemErrorText(GetLastError());
        return nullptr;
    }
    // Only the standard handles are handed down, none of this program's other handles.
    StandardHandlesStartup handles(input.get(), output.get(), output.get());
    STARTUPINFOW& startup = handles.startup();
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    // Its own console, never shown: the server it starts shares it for Ctrl+Break, and no window
    // is there to be closed by mistake.
    startup.wShowWindow = SW_HIDE;

    std::vector<std::string> words = {utf8FromPath(program)};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::wstring commandLine = wideFromUtf8(joinWindowsCommandLine(words));
    const DWORD flags = CREATE_NEW_CONSOLE | CREATE_UNICODE_ENVIRONMENT | handles.creationFlags();
    PROCESS_INFORMATION info{};
    // Out of this program's job, where the job lets a program leave it; a job that does not
    // refuses the start, which is then made inside it.
    BOOL started =
        CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       flags | CREATE_BREAKAWAY_FROM_JOB, nullptr, folder.c_str(), &startup, &info);
    const bool insideJob = !started && GetLastError() == ERROR_ACCESS_DENIED;
    if (insideJob)
        started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                                 nullptr, folder.c_str(), &startup, &info);
    if (!started) {
        error = systemErrorText(GetLastError());
        return nullptr;
    }
    CloseHandle(info.hThread);
    auto handle = std::make_unique<Handle>();
    handle->process = info.hProcess;
    handle->id = info.dwProcessId;
    handle->insideJob = insideJob;
    return std::unique_ptr<DetachedProgram>(new DetachedProgram(std::move(handle)));
}

DetachedProgram::DetachedProgram(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

// Closing the handle leaves the program running.
DetachedProgram::~DetachedProgram() { CloseHandle(handle_->process); }

int DetachedProgram::id() const { return int(handle_->id); }

bool DetachedProgram::insideProgramJob() const { return handle_->insideJob; }

std::optional<int> DetachedProgram::exitStatus() {
    if (exitStatus_) return exitStatus_;
    if (WaitForSingleObject(handle_->process, 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD status = 0;
    GetExitCodeProcess(handle_->process, &status);
    exitStatus_ = int(status);
    return exitStatus_;
}

std::filesystem::path companionProgram(std::string_view name) {
    return currentPlatform().programFile().parent_path() / (std::string(name) + ".exe");
}

}  // namespace qz7
