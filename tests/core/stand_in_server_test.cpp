// The compiled stand-in server, started as a process of its own, asked as a host asks it: its
// status, its silence, its remote console, and the port search that finds it by its process.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "net/query_port_search.h"
#include "net/server_query.h"
#include "platform/watched_process.h"
#include "platform/windows1251.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const QueryTiming kQuick{300ms, 2};

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// A stand-in server in a game folder of its own, with the players file given (nothing: none).
class StandIn {
  public:
    StandIn(const std::string& parameters, std::optional<std::string> players) {
        fs::create_directories(folder_.path() / "admin");
        writeFile(folder_.path() / "admin" / "server_mod.cfg",
                  windows1251FromUtf8("sv_hostname \"^1Сервер ^7QZ7\"\r\nsv_maxclients 12\r\n"
                                      "seta rcon_password \"from cfg\"\r\n"));
        writeFile(folder_.path() / "admin" / "Manual_Mod.dsr", "gameOpt gametype \"ctf\"\r\n");
        writeFile(folder_.path() / "admin" / "Manual_MapRot.dspl",
                  "mp_dome,Manual_Mod,100\r\nmp_seatown,Manual_Mod,100\r\n");
        if (players) writeFile(folder_.path() / "stand-in-players", *players);
        testing::CurrentDirectory inFolder(folder_.path());
        std::string error;
        process_ = WatchedProcess::start(QZ7_STAND_IN_SERVER, parameters, error);
        EXPECT_TRUE(process_) << error;
        for (int attempt = 0; process_ && attempt < 600 && port_ == 0; ++attempt) {
            std::this_thread::sleep_for(50ms);
            port_ = std::atoi(
                testing::readBytes(folder_.path() / "stand-in-ready").value_or("0").c_str());
        }
        EXPECT_NE(port_, 0) << "the stand-in never got ready";
    }

    UdpEndpoint endpoint() const { return {"127.0.0.1", port_}; }
    const fs::path& folder() const { return folder_.path(); }
    RunningProgram& process() { return *process_; }

  private:
    testing::TemporaryFolder folder_;
    std::unique_ptr<WatchedProcess> process_;
    int port_ = 0;
};

TEST(StandInServer, AnswersWithItsFilesPlayersAndColourCodes) {
    struct Case {
        const char* what;
        std::optional<std::string> players;
        std::size_t count;
        std::string firstName;
    };
    std::string many;
    for (int i = 0; i < 200; ++i)
        many += std::to_string(i) + " " + std::to_string(i + 20) + " ^" + std::to_string(i % 10) +
                "Боец" + std::to_string(i) + "\n";
    const std::vector<Case> cases = {
        {"its own two", std::nullopt, 2, "Мясник"},
        {"none", "", 0, ""},
        {"Cyrillic and colours", windows1251FromUtf8("7 35 ^3Ёжик^7 в ^1тумане\r\n"), 1,
         "Ёжик в тумане"},
        {"two hundred", windows1251FromUtf8(many), 200, "Боец0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StandIn server("+set net_port 0", c.players);
        const QueryOutcome outcome = queryServerStatus(server.endpoint(), kQuick);
        ASSERT_TRUE(outcome.status) << outcome.reason;
        EXPECT_EQ(outcome.status->hostName, "Сервер QZ7");
        EXPECT_EQ(outcome.status->map, "mp_dome");
        EXPECT_EQ(outcome.status->gameType, "ctf");
        EXPECT_EQ(outcome.status->maxClients, 12);
        ASSERT_EQ(outcome.status->players.size(), c.count);
        if (c.count > 0) {
            EXPECT_EQ(outcome.status->players[0].name, c.firstName);
        }
    }
}

TEST(StandInServer, ASilentServerIsNotAnsweringWhileItRuns) {
    StandIn server("+set net_port 0 +set sv_hostname \"^2Тихий\"", std::nullopt);
    writeFile(server.folder() / "stand-in-silent", "");
    const QueryOutcome silent = queryServerStatus(server.endpoint(), kQuick);
    EXPECT_FALSE(silent.answered);
    EXPECT_NE(silent.reason.find("не ответил"), std::string::npos) << silent.reason;
    EXPECT_FALSE(server.process().waitFor(0ms)) << "the stand-in ended";
    fs::remove(server.folder() / "stand-in-silent");
    const QueryOutcome back = queryServerStatus(server.endpoint(), kQuick);
    ASSERT_TRUE(back.status) << back.reason;
    EXPECT_EQ(back.status->hostName, "Тихий");
}

TEST(StandInServer, RemoteSayReachesItsConsoleLogWithThePassword) {
    {
        StandIn server("+set net_port 0", std::nullopt);  // the password of its configuration
        EXPECT_TRUE(
            sayThroughRcon(server.endpoint(), "from cfg", "Перезапуск через 5 минут", kQuick)
                .delivered);
        const RconOutcome wrong = sayThroughRcon(server.endpoint(), "guess", "не дойдёт", kQuick);
        EXPECT_TRUE(wrong.badPassword) << wrong.reason;
        EXPECT_EQ(testing::readBytes(server.folder() / "stand-in-console.log"),
                  "say: Перезапуск через 5 минут\n");
    }
    StandIn server("+set net_port 0 +set rcon_password line", std::nullopt);
    EXPECT_TRUE(sendRconCommand(server.endpoint(), "from cfg", "say x", kQuick).badPassword);
    EXPECT_TRUE(sayThroughRcon(server.endpoint(), "line", "ok", kQuick).delivered);
}

TEST(StandInServer, TheSearchFindsItByItsProcessAndTwoAreNotGuessed) {
    StandIn first("+set net_port 0", std::nullopt);
    StandIn second("+set net_port 0", "");
    // Asked once before, as a running server is: wine names a socket's owner only once the
    // process has used it.
    ASSERT_TRUE(queryServerStatus(first.endpoint(), kQuick).status);
    QueryPortInputs inputs;
    inputs.serverProcessId = first.process().id();
    inputs.addresses = {"127.0.0.1"};
    inputs.tablePorts = {second.endpoint().port};
    const LocalServerQuery found = queryLocalServer(inputs, kQuick);
    ASSERT_TRUE(found.status) << found.reason;
    EXPECT_EQ(found.source, QueryPortSource::ServerProcess);
    EXPECT_EQ(found.server, first.endpoint());
    EXPECT_EQ(found.status->players.size(), 2u);

    inputs.serverProcessId.reset();
    inputs.tablePorts = {first.endpoint().port, second.endpoint().port};
    const LocalServerQuery two = queryLocalServer(inputs, kQuick);
    EXPECT_FALSE(two.status);
    EXPECT_EQ(two.answeringPorts.size(), 2u) << two.reason;
}

TEST(StandInServer, EndsCleanlyWhenAskedToStop) {
    StandIn server("+set net_port 0", std::nullopt);
    server.process().requestStop();
    const std::optional<ProcessEnd> end = server.process().waitFor(30s);
    ASSERT_TRUE(end) << "the stand-in did not end";
    EXPECT_TRUE(end->clean()) << end->exitStatus << " " << end->signal;
}

}  // namespace
}  // namespace qz7
