// Starts a program as the window starts its serve (DetachedProgram), from whatever job object it
// was put in, and tells how that went. "detached_starter start PIDFILE" starts itself as
// "detached_starter wait" (which sleeps a minute), writes that one's process id into PIDFILE and
// ends with 20, plus 1 when DetachedProgram says it runs inside this program's job, plus 2 when
// the system says it is in a job; 2 when it could not be started.
#include <windows.h>

#include <fstream>
#include <string>

#include "platform/detached_program.h"
#include "platform/windows_text.h"

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count < 2) return 2;
    const std::wstring mode = arguments[1];
    if (mode == L"wait") {
        Sleep(60000);
        return 0;
    }
    if (mode != L"start" || count < 3) return 2;
    const std::filesystem::path self = arguments[0];
    const std::filesystem::path pidFile = arguments[2];
    std::string error;
    const std::filesystem::path folder = pidFile.parent_path();
    std::unique_ptr<qz7::DetachedProgram> program =
        qz7::DetachedProgram::start(self, {"wait"}, folder, folder / "output.txt", error);
    if (!program) return 2;
    std::ofstream(pidFile) << program->id();
    BOOL inJob = FALSE;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(program->id()));
    if (process != nullptr) {
        IsProcessInJob(process, nullptr, &inJob);
        CloseHandle(process);
    }
    return 20 + (program->insideProgramJob() ? 1 : 0) + (inJob ? 2 : 0);
}
