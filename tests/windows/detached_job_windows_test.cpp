// The serve the window starts leaves the program's job object where the job lets it, and says
// so where the job does not: then it ends with the program (the job is closed, its processes
// killed). The starter is put in a job of each kind before it runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "platform/game_paths.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;

struct JobCase {
    const char* name;
    DWORD limits;
    DWORD expectedStatus;  // 20 + said to be inside the starter's job (1)
    bool endsWithTheJob;
};

TEST(WindowsDetachedProgramJob, LeavesAJobThatAllowsItAndSaysSoWhereItCannot) {
    const JobCase cases[] = {
        {"breakaway allowed", JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK,
         20, false},
        {"breakaway refused", JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE, 21, true},
    };
    for (const JobCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TemporaryFolder folder;
        const fs::path pidFile = folder.path() / "started.pid";
        HANDLE job = CreateJobObjectW(nullptr, nullptr);
        ASSERT_NE(job, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = c.limits;
        ASSERT_TRUE(SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                            sizeof limits));

        std::wstring commandLine = L"\"" + fs::path(DETACHED_STARTER_EXE).wstring() +
                                   L"\" start \"" + pidFile.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION starter{};
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                   CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                                   &starter));
        ASSERT_TRUE(AssignProcessToJobObject(job, starter.hProcess));
        ResumeThread(starter.hThread);
        ASSERT_EQ(WaitForSingleObject(starter.hProcess, 60000), WAIT_OBJECT_0);
        DWORD status = 0;
        GetExitCodeProcess(starter.hProcess, &status);
        CloseHandle(starter.hThread);
        CloseHandle(starter.hProcess);
        EXPECT_EQ(status, c.expectedStatus);

        DWORD startedId = 0;
        std::ifstream(pidFile) >> startedId;
        ASSERT_NE(startedId, 0u);
        HANDLE started = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, startedId);
        ASSERT_NE(started, nullptr);
        // The program's end, as far as its job goes: the job's last handle is closed.
        CloseHandle(job);
        const DWORD waited = WaitForSingleObject(started, c.endsWithTheJob ? 30000 : 1000);
        EXPECT_EQ(waited, c.endsWithTheJob ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
        TerminateProcess(started, 0);
        WaitForSingleObject(started, 10000);
        CloseHandle(started);
    }
}

}  // namespace
}  // namespace qz7
