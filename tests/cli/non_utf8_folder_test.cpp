// A game folder whose name is not UTF-8 (an old archive unpacked on Linux keeps its Windows-1251
// name): qz7ctl serve runs its server there and sends its alerts, the service entry is printed
// and the window's own way of starting a serve works; the name reads as Windows-1251 wherever it
// is shown, and programs are handed its bytes.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "platform/detached_program.h"
#include "qz7ctl_process.h"
#include "server/serve_requests.h"
#include "server/serve_settings.h"
#include "server/serve_start.h"
#include "server/serve_status.h"
#include "tests/support/file_bytes.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/temporary_folder.h"

namespace qz7::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// "Игра" in Windows-1251.
constexpr const char* kFolderName = "\xC8\xE3\xF0\xE0";

// The stand-in server keeps running until stopped.
class StandInRuns {
  public:
    StandInRuns() { ::setenv("QZ7_STAND_IN", "run", 1); }
    ~StandInRuns() { ::unsetenv("QZ7_STAND_IN"); }
};

class NonUtf8Folder : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.listening());
        const fs::path demo = QZ7_DEMO_DIR;
        for (const char* file : {"ServerSetup_QZ7.cfg", "TeknoQZ7_Server_Launcher.exe",
                                 "admin/Manual_Mod_default.dsr", "admin/server_mod_default.cfg"}) {
            fs::create_directories((folder / file).parent_path());
            fs::copy_file(demo / file, folder / file);
        }
    }

    // The server's process id once the state file names one (at most 30 s).
    int runningServer() {
        for (int attempt = 0; attempt < 300; ++attempt) {
            const ServeStatus status = readServeStatus(folder);
            if (status.running() && status.state && (*status.state)["serverPid"].is_number())
                return (*status.state)["serverPid"].get<int>();
            std::this_thread::sleep_for(100ms);
        }
        return 0;
    }

    TemporaryFolder base;
    const fs::path folder = base.path() / kFolderName;
    LoopbackHttpServer server;
};

TEST_F(NonUtf8Folder, ServeKeepsItsServerRunningAndItsAlertsArrive) {
    const fs::path alerts = base.path() / "alerts.txt";
    writeBytes(alerts, server.address("/api/webhooks/1/non-utf8") + "\n");  // Discord's form
    fs::permissions(alerts, fs::perms::owner_read | fs::perms::owner_write);
    const StandInRuns standIn;
    ProcessResult serve;
    std::thread serving([&] {
        serve = runQz7ctl({"serve", "Турнир", "--json", "--notify-file", alerts.string()}, folder);
    });
    const int serverPid = runningServer();
    const std::vector<HttpRequest> requests = server.waitForRequests(1);
    ProcessResult status = runQz7ctl({"status", "--json"}, folder);
    const bool serverAlive = serverPid > 0 && ::kill(serverPid, 0) == 0;
    const ProcessResult stop = runQz7ctl({"stop"}, folder);
    serving.join();

    EXPECT_TRUE(serverAlive);
    EXPECT_EQ(stop.exitCode, 0) << stop.err;
    EXPECT_EQ(serve.exitCode, 0) << serve.err;
    ASSERT_FALSE(requests.empty()) << serve.err;
    const std::string content = nlohmann::json::parse(requests[0].body)["content"];
    EXPECT_NE(content.find("папка " + base.path().string() + "/Игра"), std::string::npos)
        << content;
    // Every event line is JSON, the folder read as Windows-1251 where it is named.
    std::istringstream lines(serve.err);
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(nlohmann::json::accept(line)) << line;
    EXPECT_EQ(serve.err.find("json.exception"), std::string::npos) << serve.err;
    EXPECT_EQ(status.exitCode, 0) << status.err;
    EXPECT_EQ(nlohmann::json::parse(status.out)["running"], true) << status.out;
    const ProcessResult log = runQz7ctl({"log", "-n", "100"}, folder);
    EXPECT_NE(log.out.find("остановлен"), std::string::npos) << log.out;
}

TEST_F(NonUtf8Folder, TheServiceEntryNamesTheFolderAndHandsItsBytesOn) {
    const ProcessResult printed = runQz7ctl({"service", "install", "Турнир", "--print"}, folder);
    ASSERT_EQ(printed.exitCode, 0) << printed.err;
    // For people: the name read as Windows-1251; for the program started: the folder's bytes.
    EXPECT_NE(printed.out.find("Description=QZ7: сервер в " + base.path().string() + "/Игра"),
              std::string::npos)
        << printed.out;
    EXPECT_NE(printed.out.find("\"--game-dir\" \"" + folder.string() + "\""), std::string::npos)
        << printed.out;
}

TEST_F(NonUtf8Folder, AServeStartedAsTheWindowStartsItRunsAndStops) {
    ServeOptions settings;
    settings.templateName = "Турнир";
    writeServeSettings(folder, settings);
    ASSERT_EQ(serveStartProblem(QZ7CTL_PATH, folder), std::nullopt);
    const StandInRuns standIn;
    std::string error;
    std::unique_ptr<DetachedProgram> serve = startServe(QZ7CTL_PATH, folder, false, error);
    ASSERT_TRUE(serve) << error;
    const int serverPid = runningServer();
    EXPECT_GT(serverPid, 0) << serveOutput(folder);
    const ServeRequestResult stopped = stopServe(folder);
    EXPECT_TRUE(stopped.served) << stopped.message;
    std::optional<int> ended;
    for (int attempt = 0; attempt < 300 && !ended; ++attempt) {
        std::this_thread::sleep_for(100ms);
        ended = serve->exitStatus();
    }
    EXPECT_EQ(ended, 0) << serveOutput(folder);
    EXPECT_EQ(serveOutput(folder).find("json.exception"), std::string::npos);
}

}  // namespace
}  // namespace qz7::testing
