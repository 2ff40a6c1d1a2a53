// Starts a program as the window starts its serve (DetachedProgram), from whatever job object it
// was put in, and tells how that went. "detached_starter start PIDFILE" starts itself as
// "detached_starter wait" (which sleeps a minute), writes that one's process id into PIDFILE and
// ends with 20, plus 1 when DetachedProgram says it runs inside this program's job; 2 when it
// could not be started. (Whether it really is in the job shows when the job is closed.)
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
    return 20 + (program->insideProgramJob() ? 1 : 0);
}
