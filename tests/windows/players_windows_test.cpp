// qz7ctl.exe players against the stand-in server under qz7ctl.exe serve, on Windows (run under
// wine here): the server's own UDP ports, its answer read, its silence, and its end on serve's
// stop.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <thread>

#include "platform/port_probe.h"
#include "platform/udp_socket.h"
#include "platform/watched_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::readBytes;

TEST(WindowsPortProbe, TheUdpPortsOfThisProcessAreFound) {
    std::string error;
    std::unique_ptr<UdpSocket> socket = UdpSocket::bind("127.0.0.1", 0, error);
    ASSERT_TRUE(socket) << error;
    // Wine names a socket's owner only once the process has used it, as a server does at once.
    ASSERT_TRUE(socket->send({"127.0.0.1", socket->localPort()}, "x", error)) << error;
    UdpDatagram datagram;
    ASSERT_EQ(socket->receive(std::chrono::seconds(5), datagram, error), UdpReceive::Datagram);
    const std::vector<int> ports = udpPortsOfProcessTree(currentProcessId());
    EXPECT_NE(std::find(ports.begin(), ports.end(), socket->localPort()), ports.end());
    EXPECT_TRUE(udpPortsOfProcessTree(0).empty());
}

// What a run of qz7ctl.exe gave: its exit status and its standard output.
struct CommandRun {
    DWORD status = DWORD(-1);
    std::string out;
};

class WindowsPlayers : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path demo = QZ7_DEMO_DIR;
        fs::create_directories(game.path() / "admin");
        for (const char* file : {"ServerSetup_QZ7.cfg", "admin/Manual_Mod_default.dsr",
                                 "admin/server_mod_default.cfg"})
            fs::copy_file(demo / file, game.path() / file);
        fs::copy_file(QZ7_STAND_IN_SERVER_EXE, game.path() / "TeknoQZ7_Server_Launcher.exe");
        serve = start(L"serve #1 --stop-grace 5", nullptr);
        ASSERT_NE(serve.hProcess, nullptr);
        for (int attempt = 0; attempt < 1200 && port == 0; ++attempt) {
            std::this_thread::sleep_for(50ms);
            port = std::atoi(readBytes(game.path() / "stand-in-ready").value_or("0").c_str());
        }
        ASSERT_NE(port, 0) << "the stand-in server never got ready";
    }
    void TearDown() override {
        if (serve.hProcess == nullptr) return;
        TerminateProcess(serve.hProcess, 9);
        CloseHandle(serve.hProcess);
    }

    PROCESS_INFORMATION start(const std::wstring& arguments, HANDLE out) {
        const fs::path program = fs::path(QZ7CTL_EXE);
        std::wstring commandLine = L"\"" + program.wstring() + L"\" --game-dir \"" +
                                   game.path().wstring() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (out != nullptr) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = out;
            startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
            startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        }
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, out != nullptr,
                            CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &info))
            return {};
        CloseHandle(info.hThread);
        return info;
    }

    // Runs qz7ctl.exe to its end (a minute at most) with its output in a file. Wine now and then
    // fails to set a new process up (a status that is none of qz7ctl's): it is started once more.
    CommandRun run(const std::wstring& arguments) {
        CommandRun result = runOnce(arguments);
        return result.status <= 3 ? result : runOnce(arguments);
    }
    CommandRun runOnce(const std::wstring& arguments) {
        const fs::path output = game.path() / "players-output.txt";
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE file = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return {};
        PROCESS_INFORMATION info = start(arguments, file);
        CloseHandle(file);
        CommandRun result;
        if (info.hProcess == nullptr) return result;
        if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(info.hProcess, &result.status);
        CloseHandle(info.hProcess);
        result.out = readBytes(output).value_or("");
        return result;
    }

    testing::TemporaryFolder game;
    PROCESS_INFORMATION serve{};
    int port = 0;
};

TEST_F(WindowsPlayers, TheServedStandInIsFoundAnsweringThenSilentThenStopped) {
    CommandRun players = run(L"players --json");
    ASSERT_EQ(players.status, 0u) << players.out;
    EXPECT_NE(players.out.find("\"hostName\": \"~Турнир_QZ7~\""), std::string::npos) << players.out;
    EXPECT_NE(players.out.find("\"port\": " + std::to_string(port)), std::string::npos);
    EXPECT_NE(players.out.find("\"name\": \"Мясник\""), std::string::npos);

    players = run(L"players --query-port " + std::to_wstring(port));
    EXPECT_EQ(players.status, 0u);
    EXPECT_NE(players.out.find("Режим: коммандный бой (war)"), std::string::npos) << players.out;

    CloseHandle(CreateFileW((game.path() / "stand-in-silent").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    players = run(L"players --json --query-port " + std::to_wstring(port));
    EXPECT_EQ(players.status, 1u);
    EXPECT_NE(players.out.find("не ответил"), std::string::npos) << players.out;

    // serve's stop reaches the stand-in (a close message where no Ctrl+Break arrives).
    EXPECT_EQ(run(L"stop").status, 0u);
    ASSERT_EQ(WaitForSingleObject(serve.hProcess, 30000), WAIT_OBJECT_0);
    DWORD status = 1;
    GetExitCodeProcess(serve.hProcess, &status);
    EXPECT_EQ(status, 0u);
    const std::string log = readBytes(game.path() / "qz7-serve.log").value_or("");
    EXPECT_NE(log.find("код выхода 0"), std::string::npos) << log;
}

}  // namespace
}  // namespace qz7
