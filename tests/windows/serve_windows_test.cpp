// Stopping a watched server on Windows and qz7ctl.exe serve's hold on it, against the real
// system calls (run under wine here), with stop_recorder.exe as the server.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/detached_program.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/service_host.h"
#include "platform/sleep_block.h"
#include "platform/watched_process.h"
#include "server/service_entry.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::readBytes;

fs::path besideTests(const char* name) {
    return currentPlatform().programFile().parent_path() / name;
}

fs::path withSuffix(fs::path file, const char* suffix) {
    file += suffix;
    return file;
}

// Waits, at most a minute, for a file another process writes.
bool waitForFile(const fs::path& file) {
    for (int attempt = 0; attempt < 1200; ++attempt) {
        if (fs::exists(file)) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

// Starts the recorder as a watched server in the mode given, asks it to stop and gives what it
// recorded.
std::string stopArrivingAt(const char* mode) {
    testing::TemporaryFolder folder;
    const fs::path server = folder.path() / "server.exe";
    fs::copy_file(besideTests("stop_recorder.exe"), server);
    std::string error;
    std::unique_ptr<WatchedProcess> process = WatchedProcess::start(server, mode, error);
    if (!process) return "not started: " + error;
    if (!waitForFile(withSuffix(server, ".ready"))) return "never ready";
    process->requestStop();
    const std::optional<ProcessEnd> end = process->waitFor(30s);
    if (!end) return "did not end";
    if (end->exitStatus != 0) return "ended with " + std::to_string(end->exitStatus);
    return readBytes(withSuffix(server, ".stop")).value_or("nothing recorded");
}

bool underWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(WindowsWatchedProcess, AStopReachesAWindowedServerAsAClose) {
    EXPECT_EQ(stopArrivingAt("window"), "WM_CLOSE");
}

TEST(WindowsWatchedProcess, AStopReachesAConsoleServerAsCtrlBreak) {
    // Wine's console answers a Ctrl+Break for a process group with an error and delivers
    // nothing (Ctrl+C alone is implemented there), so this runs on Windows itself only.
    if (underWine()) {
        GTEST_SKIP() << "wine delivers no CTRL_BREAK_EVENT";
    }
    // serve runs in a console window, which the server shares; the test program may have none.
    if (GetConsoleWindow() == nullptr) {
        ASSERT_TRUE(AllocConsole()) << GetLastError();
    }
    EXPECT_EQ(stopArrivingAt("console"), "CTRL_BREAK_EVENT");
}

// A sleep block holds the thread's execution state at "system required" until it goes; the
// previous state is what the next change gives back.
TEST(WindowsSleepBlock, KeepsTheSystemRequiredUntilLetGo) {
    std::string error;
    std::unique_ptr<SleepBlock> block = blockSystemSleep("qz7 test", error);
    ASSERT_NE(block, nullptr) << error;
    const EXECUTION_STATE held = ES_CONTINUOUS | ES_SYSTEM_REQUIRED;
    EXPECT_EQ(SetThreadExecutionState(held) & (held | ES_DISPLAY_REQUIRED), held);
    block.reset();
    EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS) & ES_SYSTEM_REQUIRED, 0u);
}

// A copy of the demo game folder whose server launcher is the recorder named.
void prepareGame(const fs::path& game, const char* recorder) {
    const fs::path demo = QZ7_DEMO_DIR;
    fs::create_directories(game / "admin");
    for (const char* file :
         {"ServerSetup_QZ7.cfg", "admin/Manual_Mod_default.dsr", "admin/server_mod_default.cfg"})
        fs::copy_file(demo / file, game / file);
    fs::copy_file(besideTests(recorder), game / "TeknoQZ7_Server_Launcher.exe");
}

// A serve whose output goes to a file, as the window starts it: the server's output lands there
// too unless --quiet-server gives the server NUL for its standard handles.
TEST(WindowsServeOutput, QuietServerKeepsWhatTheServerPrintsOutOfTheFile) {
    for (const bool quiet : {false, true}) {
        SCOPED_TRACE(quiet ? "--quiet-server" : "the server's output kept");
        testing::TemporaryFolder game;
        prepareGame(game.path(), "command_line_recorder.exe");
        std::vector<std::string> arguments = {"--game-dir", utf8FromPath(game.path()), "serve",
                                              "#1", "--allow-sleep"};
        if (quiet) arguments.push_back("--quiet-server");
        const fs::path output = game.path() / "qz7-serve.err";
        std::string error;
        std::unique_ptr<DetachedProgram> serve =
            DetachedProgram::start(fs::path(QZ7CTL_EXE), arguments, game.path(), output, error);
        ASSERT_TRUE(serve) << error;
        std::optional<int> status;
        for (int attempt = 0; attempt < 1200 && !status; ++attempt) {
            status = serve->exitStatus();
            if (!status) std::this_thread::sleep_for(50ms);
        }
        const std::string shown = readBytes(output).value_or("");
        EXPECT_EQ(status, 0) << shown;
        EXPECT_NE(shown.find("сервер завершился сам"), std::string::npos) << shown;
        for (const char* line : {"command_line_recorder: output", "command_line_recorder: error"}) {
            EXPECT_EQ(shown.find(line) == std::string::npos, quiet) << line << "\n" << shown;
        }
    }
}

// qz7ctl.exe serve in a copy of the demo game folder whose server launcher is the recorder.
class WindowsServe : public ::testing::Test {
  protected:
    void SetUp() override {
        prepareGame(game.path(), "stop_recorder.exe");
        serve = start(L"serve #1 --command console --stop-grace 3");
        ASSERT_NE(serve.hProcess, nullptr);
        ASSERT_TRUE(waitForFile(withSuffix(launcher(), ".ready")));
    }
    void TearDown() override {
        if (serve.hProcess == nullptr) return;
        TerminateProcess(serve.hProcess, 9);
        CloseHandle(serve.hProcess);
    }

    fs::path launcher() const { return game.path() / "TeknoQZ7_Server_Launcher.exe"; }

    // Starts qz7ctl.exe with the arguments in the game folder; a process group of its own, so
    // that no console event of the test's reaches it.
    PROCESS_INFORMATION start(const std::wstring& arguments) {
        const fs::path program = fs::path(QZ7CTL_EXE);
        std::wstring commandLine = L"\"" + program.wstring() + L"\" --game-dir \"" +
                                   game.path().wstring() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                            CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &info))
            return {};
        CloseHandle(info.hThread);
        return info;
    }
    // Runs qz7ctl.exe to its end (a minute at most) and gives its exit status.
    // Now and then wine fails to set up a new process before it runs anything ("failed to map
    // the shared user data"); a status that is none of qz7ctl's (0 to 3) means the program never
    // ran, and it is started once more.
    DWORD run(const std::wstring& arguments) {
        DWORD status = runOnce(arguments);
        return status <= 3 ? status : runOnce(arguments);
    }
    DWORD runOnce(const std::wstring& arguments) {
        PROCESS_INFORMATION info = start(arguments);
        if (info.hProcess == nullptr) return DWORD(-1);
        DWORD status = DWORD(-1);
        if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(info.hProcess, &status);
        CloseHandle(info.hProcess);
        return status;
    }
    // The server's process id as serve's state file has it.
    DWORD serverProcessId() const {
        const std::string state = readBytes(game.path() / "qz7-serve.json").value_or("");
        const std::size_t at = state.find("\"serverPid\": ");
        return at == std::string::npos ? 0 : DWORD(std::stoul(state.substr(at + 13)));
    }

    testing::TemporaryFolder game;
    PROCESS_INFORMATION serve{};
};

TEST_F(WindowsServe, StopEndsServeAndItsServer) {
    const DWORD serverId = serverProcessId();
    ASSERT_NE(serverId, 0u);
    HANDLE server = OpenProcess(SYNCHRONIZE, FALSE, serverId);
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(run(L"stop"), 0u);
    ASSERT_EQ(WaitForSingleObject(serve.hProcess, 30000), WAIT_OBJECT_0);
    DWORD status = 1;
    GetExitCodeProcess(serve.hProcess, &status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(WaitForSingleObject(server, 0), WAIT_OBJECT_0);
    CloseHandle(server);
    EXPECT_EQ(run(L"status"), 3u);
}

TEST_F(WindowsServe, AKilledServeTakesItsServerAlong) {
    const DWORD serverId = serverProcessId();
    ASSERT_NE(serverId, 0u);
    HANDLE server = OpenProcess(SYNCHRONIZE, FALSE, serverId);
    ASSERT_NE(server, nullptr);
    TerminateProcess(serve.hProcess, 9);
    EXPECT_EQ(WaitForSingleObject(server, 30000), WAIT_OBJECT_0);
    CloseHandle(server);
    EXPECT_EQ(run(L"status"), 3u);
}

// restart asks serve through its named event; serve stops the server and starts it anew.
TEST_F(WindowsServe, RestartStartsTheServerAnewAndLogsTheRequest) {
    const DWORD first = serverProcessId();
    ASSERT_NE(first, 0u);
    HANDLE server = OpenProcess(SYNCHRONIZE, FALSE, first);
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(run(L"restart"), 0u);
    EXPECT_EQ(WaitForSingleObject(server, 0), WAIT_OBJECT_0);
    CloseHandle(server);
    const DWORD second = serverProcessId();
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    const std::string log = readBytes(game.path() / "qz7-serve.log").value_or("");
    EXPECT_NE(log.find("перезапуск по запросу"), std::string::npos) << log;
    EXPECT_EQ(run(L"status"), 0u);
}

// The folder's logon entry leaves a running serve alone: installing it says that serve runs on,
// and removing the entry does not stop it. An entry an earlier version wrote for a template is
// removed by its template, and the serve of that template with it.
TEST_F(WindowsServe, TheFolderEntryLeavesTheServeRunningAndAnEarlierEntryTakesItsServe) {
    ASSERT_EQ(run(L"service install #1"), 0u);
    EXPECT_EQ(WaitForSingleObject(serve.hProcess, 0), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(run(L"service remove"), 0u);
    EXPECT_EQ(WaitForSingleObject(serve.hProcess, 0), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(run(L"status"), 0u);

    const std::string earlier = serviceName(fs::canonical(game.path()), "Турнир");
    ASSERT_EQ(setRunValue(earlier, "qz7ctl.exe serve -- Турнир"), std::nullopt);
    EXPECT_EQ(run(L"service remove #1"), 0u);
    ASSERT_EQ(WaitForSingleObject(serve.hProcess, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(run(L"status"), 3u);
    EXPECT_TRUE(runValuesStartingWith(earlier).empty());
}

}  // namespace
}  // namespace qz7
