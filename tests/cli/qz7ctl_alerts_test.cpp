// Alerts of qz7ctl serve and notify-test, received by an HTTP server of the test on 127.0.0.1.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "qz7ctl_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/temporary_folder.h"

namespace qz7::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSecret = "SeCrEt-ToKeN-42";

// A copy of the demo folder's store, base files and stand-in server launcher.
void copyDemoGame(const fs::path& folder) {
    const fs::path demo = QZ7_DEMO_DIR;
    for (const char* file : {"ServerSetup_QZ7.cfg", "TeknoQZ7_Server_Launcher.exe",
                             "admin/Manual_Mod_default.dsr", "admin/server_mod_default.cfg"})
        fs::copy_file(demo / file, folder / file, fs::copy_options::overwrite_existing);
}

// Every file under the folder but the one allowed to hold the secret, whose content holds it.
std::vector<fs::path> filesHolding(const fs::path& folder, const std::string& text,
                                   const fs::path& allowed) {
    std::vector<fs::path> found;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path() != allowed &&
            readBytes(entry.path()).value_or("").find(text) != std::string::npos)
            found.push_back(entry.path());
    return found;
}

class Qz7ctlAlerts : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.listening());
        copyDemoGame(folder);
    }
    // A notify file with these addresses, private unless told otherwise.
    fs::path notifyFile(const std::vector<std::string>& urls, fs::perms perms) {
        const fs::path file = folder / "alerts.txt";
        std::string text = "# адреса оповещений\n\n";
        for (const std::string& url : urls) text += url + "\n";
        writeBytes(file, text);
        fs::permissions(file, perms);
        return file;
    }

    TemporaryGameFolder game;
    const fs::path folder = game.path();
    LoopbackHttpServer server;
};

// serve's events arrive joined by the interval; a refusing address is logged once and does not
// end serve; the secret part of the addresses is in none of serve's output, events or files.
TEST_F(Qz7ctlAlerts, ServeSendsItsEventsAndKeepsTheAddressSecret) {
    const std::string webhook = server.address(std::string("/api/webhooks/1/") + kSecret);
    const std::string refusing = refusingAddress(std::string("/hook/") + kSecret);
    const fs::path file =
        notifyFile({webhook, refusing}, fs::perms::owner_read | fs::perms::owner_write);

    ::setenv("QZ7_STAND_IN", "crash clean", 1);
    const ProcessResult json = runQz7ctl(
        {"serve", "Турнир", "--json", "--restart-delay", "0.05", "--notify-file", file.string()},
        folder);
    ::unsetenv("QZ7_STAND_IN");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    std::vector<std::string> events;
    std::istringstream lines(json.err);
    for (std::string line; std::getline(lines, line);)
        events.push_back(nlohmann::json::parse(line)["event"]);
    EXPECT_EQ(std::count(events.begin(), events.end(), "alert-failed"), 2) << json.err;
    EXPECT_NE(json.err.find(server.address("/***")), std::string::npos) << json.err;
    EXPECT_NE(json.err.find("не доставлено: соединение отклонено"), std::string::npos);

    const std::vector<HttpRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string first = nlohmann::json::parse(requests[0].body)["content"];
    const std::string second = nlohmann::json::parse(requests[1].body)["content"];
    EXPECT_NE(first.find(", папка " + fs::canonical(folder).string() +
                         ", шаблон «Турнир»: сервер запущен"),
              std::string::npos)
        << first;
    EXPECT_NE(second.find("сервер упал: код выхода 3"), std::string::npos) << second;
    EXPECT_NE(second.find("шаблон «Турнир»: сервер завершился сам"), std::string::npos) << second;
    EXPECT_GE(requests[1].arrived - requests[0].arrived, std::chrono::seconds(5));

    EXPECT_EQ(json.err.find(kSecret), std::string::npos) << json.err;
    EXPECT_EQ(filesHolding(folder, kSecret, file), std::vector<fs::path>{});
    const ProcessResult log = runQz7ctl({"log", "-n", "100"}, folder);
    EXPECT_NE(log.out.find("/*** не доставлен"), std::string::npos) << log.out;
    EXPECT_EQ(log.out.find(kSecret), std::string::npos) << log.out;
    const ProcessResult status = runQz7ctl({"status", "--json"}, folder);
    EXPECT_EQ(status.out.find(kSecret), std::string::npos) << status.out;
}

TEST_F(Qz7ctlAlerts, NotifyFileReadableByOthersIsRefused) {
    const fs::path file = notifyFile({server.address(std::string("/hook/") + kSecret)},
                                     fs::perms::owner_read | fs::perms::owner_write |
                                         fs::perms::group_read | fs::perms::others_read);
    const ProcessResult result =
        runQz7ctl({"serve", "Турнир", "--notify-file", file.string()}, folder);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("права 0644"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("chmod 600"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find(kSecret), std::string::npos) << result.err;
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(fs::exists(folder / "admin" / "Manual_MapRot.dspl"));
}

TEST_F(Qz7ctlAlerts, NotifyTestSaysWhetherTheMessageArrived) {
    const ProcessResult sent =
        runQz7ctl({"notify-test", server.address(std::string("/hook/") + kSecret)}, folder);
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_EQ(sent.out, "Оповещение доставлено на " + server.address("/***") + "\n");
    const std::vector<HttpRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const nlohmann::json body = nlohmann::json::parse(requests[0].body);
    EXPECT_EQ(body["event"], "test");
    EXPECT_FALSE(body["machine"].get<std::string>().empty());

    const ProcessResult refused =
        runQz7ctl({"notify-test", refusingAddress(std::string("/hook/") + kSecret)}, folder);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("не доставлено: соединение отклонено"), std::string::npos);
    EXPECT_EQ(refused.err.find(kSecret), std::string::npos) << refused.err;

    server.setStatus(404);
    const ProcessResult missing =
        runQz7ctl({"notify-test", server.address(std::string("/hook/") + kSecret)}, folder);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("не доставлено: сервер ответил 404"), std::string::npos);

    const ProcessResult bad = runQz7ctl({"notify-test", std::string("ftp://x/") + kSecret}, folder);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err.find(kSecret), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace qz7::testing
