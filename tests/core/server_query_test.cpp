// The status query and the remote console against servers of the test's own on 127.0.0.1.
#include "net/server_query.h"

#include <gtest/gtest.h>

#include <mutex>

#include "net/query_port_search.h"
#include "platform/watched_process.h"
#include "tests/support/fake_status_server.h"

namespace qz7 {
namespace {

using namespace std::chrono_literals;
using testing::challengeOf;
using testing::FakeReply;
using testing::FakeStatusServer;
using testing::statusAnswer;

const QueryTiming kQuick{200ms, 2};
const std::string kInfo =
    "\\sv_hostname\\^2Fake\\mapname\\mp_dome\\g_gametype\\dm\\sv_maxclients\\8";

// A port of 127.0.0.1 that nothing holds: one the system gave a socket that is closed again.
int closedPort() {
    std::string error;
    return UdpSocket::bind("127.0.0.1", 0, error)->localPort();
}

TEST(ServerQuery, AnswersAreTakenOnlyFromTheAskedPortWithOurChallenge) {
    struct Case {
        const char* what;
        FakeStatusServer::Answer answer;
        bool status;
        std::string reason;  // a part of it, when no status
        int requests;        // how many the server got: 2 when the query asked again
    };
    const std::vector<Case> cases = {
        {"echoes the challenge",
         [](int, std::string_view request) {
             return std::vector<FakeReply>{
                 {statusAnswer(kInfo, {"1 2 \"a\""}, challengeOf(request))}};
         },
         true, "", 1},
        {"echoes no challenge",
         [](int, std::string_view) { return std::vector<FakeReply>{{statusAnswer(kInfo, {})}}; },
         true, "", 1},
        {"another challenge first, then ours",
         [](int, std::string_view request) {
             return std::vector<FakeReply>{{statusAnswer(kInfo, {}, "someone-else")},
                                           {statusAnswer(kInfo, {}, challengeOf(request))}};
         },
         true, "", 1},
        {"only a wrong challenge",
         [](int, std::string_view) {
             return std::vector<FakeReply>{{statusAnswer(kInfo, {}, "someone-else")}};
         },
         false, "не ответил", 2},
        {"from another port",
         [](int, std::string_view request) {
             return std::vector<FakeReply>{{statusAnswer(kInfo, {}, challengeOf(request)), true}};
         },
         false, "не ответил", 2},
        {"only the second request",
         [](int number, std::string_view request) {
             if (number == 1) return std::vector<FakeReply>{};
             return std::vector<FakeReply>{{statusAnswer(kInfo, {}, challengeOf(request))}};
         },
         true, "", 2},
        {"never", [](int, std::string_view) { return std::vector<FakeReply>{}; }, false,
         "не ответил на запрос состояния за 0,4 с", 2},
        {"truncated",
         [](int, std::string_view) {
             return std::vector<FakeReply>{{"\xff\xff\xff\xffstatusResponse\n\\mapname\\mp_"}};
         },
         false, "обрезан", 1},
        {"malformed",
         [](int, std::string_view) {
             return std::vector<FakeReply>{{"\xff\xff\xff\xffprint\nhi"}};
         },
         false, "не ответ на запрос состояния", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeStatusServer server(c.answer);
        ASSERT_TRUE(server.ready());
        const QueryOutcome outcome = queryServerStatus(server.endpoint(), kQuick);
        EXPECT_EQ(outcome.status.has_value(), c.status) << outcome.reason;
        if (c.status) {
            EXPECT_EQ(outcome.status->map, "mp_dome");
        } else {
            EXPECT_NE(outcome.reason.find(c.reason), std::string::npos) << outcome.reason;
        }
        EXPECT_EQ(server.requests(), c.requests);
    }
}

TEST(ServerQuery, APortUnreachableReplyDoesNotBreakTheSocket) {
    // A query to a closed port gets the system's port unreachable reply; on Windows that would
    // fail the next receive unless the socket ignores it.
    FakeStatusServer server([](int, std::string_view request) {
        return std::vector<FakeReply>{{statusAnswer(kInfo, {}, challengeOf(request))}};
    });
    std::string error;
    std::unique_ptr<UdpSocket> socket = UdpSocket::bind("127.0.0.1", 0, error);
    ASSERT_TRUE(socket) << error;
    ASSERT_TRUE(socket->send({"127.0.0.1", closedPort()}, statusRequest("x"), error)) << error;
    UdpDatagram datagram;
    EXPECT_EQ(socket->receive(200ms, datagram, error), UdpReceive::Timeout) << error;
    ASSERT_TRUE(socket->send(server.endpoint(), statusRequest("y"), error)) << error;
    ASSERT_EQ(socket->receive(5s, datagram, error), UdpReceive::Datagram) << error;
    EXPECT_EQ(datagram.from, server.endpoint());

    // Several closed ports asked beside the server, as the port search does.
    const std::vector<QueryOutcome> outcomes = queryServerStatuses(
        {{"127.0.0.1", closedPort()}, server.endpoint(), {"127.0.0.1", closedPort()}}, kQuick);
    EXPECT_FALSE(outcomes[0].answered);
    EXPECT_TRUE(outcomes[1].status) << outcomes[1].reason;
    EXPECT_FALSE(outcomes[2].answered);
}

FakeStatusServer::Answer answersWithMap(std::string map) {
    return [map](int, std::string_view request) {
        return std::vector<FakeReply>{
            {statusAnswer("\\mapname\\" + map, {}, challengeOf(request))}};
    };
}

TEST(QueryPortSearch, ThePortComesFromTheFirstSourceThatNamesOne) {
    FakeStatusServer first(answersWithMap("mp_first"));
    FakeStatusServer second(answersWithMap("mp_second"));
    FakeStatusServer silent([](int, std::string_view) { return std::vector<FakeReply>{}; });
    const int free = closedPort();
    const std::vector<std::string> loopback = {"127.0.0.1"};
    const std::string secondLine = "+set net_port " + std::to_string(second.port());

    struct Case {
        const char* what;
        QueryPortInputs inputs;
        std::string map;  // empty: no status
        QueryPortSource source;
        std::string reason;  // a part of it, when no status
    };
    const std::vector<Case> cases = {
        {"explicit before the command line",
         {first.port(), secondLine, std::nullopt, {}, loopback},
         "mp_first",
         QueryPortSource::Explicit,
         ""},
        {"command line",
         {std::nullopt, secondLine, std::nullopt, {first.port()}, loopback},
         "mp_second",
         QueryPortSource::CommandLine,
         ""},
        {"table: the one port that answers",
         {std::nullopt,
          "+set dedicated 1",
          std::nullopt,
          {free, first.port(), silent.port()},
          loopback},
         "mp_first",
         QueryPortSource::PortTable,
         ""},
        {"table: two answer, nothing is guessed",
         {std::nullopt, "", std::nullopt, {first.port(), second.port()}, loopback},
         "",
         QueryPortSource::PortTable,
         "несколько портов"},
        {"table: none held",
         {std::nullopt, "", std::nullopt, {free}, loopback},
         "",
         QueryPortSource::PortTable,
         "не занят: сервер не запущен"},
        {"table: held, no answer",
         {std::nullopt, "", std::nullopt, {silent.port(), free}, loopback},
         "",
         QueryPortSource::PortTable,
         "занят, но сервер не ответил"},
        {"explicit closed port",
         {free, "", std::nullopt, {}, loopback},
         "",
         QueryPortSource::Explicit,
         "никто не держит"},
        {"explicit silent port",
         {silent.port(), "", std::nullopt, {}, loopback},
         "",
         QueryPortSource::Explicit,
         "занят, но сервер не ответил на запрос состояния за 0,4 с"},
        // This test program holds the three servers' ports: they are its process's.
        {"process: its ports, two answer",
         {std::nullopt, "", currentProcessId(), {free}, loopback},
         "",
         QueryPortSource::ServerProcess,
         "несколько портов"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LocalServerQuery query = queryLocalServer(c.inputs, kQuick);
        EXPECT_EQ(query.source, c.source);
        if (!c.map.empty()) {
            ASSERT_TRUE(query.status) << query.reason;
            EXPECT_EQ(query.status->map, c.map);
        } else {
            EXPECT_FALSE(query.status);
            EXPECT_NE(query.reason.find(c.reason), std::string::npos) << query.reason;
        }
    }
    const LocalServerQuery two = queryLocalServer(
        {std::nullopt, "", std::nullopt, {second.port(), first.port()}, loopback}, kQuick);
    EXPECT_EQ(two.answeringPorts.size(), 2u);
    EXPECT_NE(two.reason.find("--query-port"), std::string::npos);
}

TEST(QueryPortSearch, PortListsJoinNeighbours) {
    EXPECT_EQ(portListText({27003, 3074, 27000, 27001, 27002, 27016, 27016}),
              "3074, 27000-27003, 27016");
    EXPECT_EQ(portListText({}), "");
}

TEST(Rcon, TheCommandArrivesOnceAndTheAnswerIsRead) {
    std::vector<std::string> received;
    std::mutex receiving;
    FakeStatusServer server([&](int, std::string_view request) {
        std::lock_guard<std::mutex> lock(receiving);
        received.emplace_back(request);
        if (request.find("rcon secret ") == std::string_view::npos &&
            request.find("rcon \"pass word\" ") == std::string_view::npos)
            return std::vector<FakeReply>{{"\xff\xff\xff\xffprint\nBad rcon password.\n"}};
        return std::vector<FakeReply>{{"\xff\xff\xff\xffprint\nfirst part\n"},
                                      {"\xff\xff\xff\xffprint\nsecond part\n"}};
    });
    const RconOutcome said =
        sayThroughRcon(server.endpoint(), "secret", "Рестарт \"скоро\"\n", kQuick);
    EXPECT_TRUE(said.delivered) << said.reason;
    EXPECT_EQ(said.text, "first part\nsecond part\n");
    const RconOutcome blank = sendRconCommand(server.endpoint(), "pass word", "status", kQuick);
    EXPECT_TRUE(blank.delivered) << blank.reason;
    const RconOutcome wrong = sendRconCommand(server.endpoint(), "guess", "status", kQuick);
    EXPECT_FALSE(wrong.delivered);
    EXPECT_TRUE(wrong.badPassword);
    {
        std::lock_guard<std::mutex> lock(receiving);
        ASSERT_EQ(received.size(), 3u);
        EXPECT_EQ(received[0],
                  "\xff\xff\xff\xffrcon secret say \"\xd0\xe5\xf1\xf2\xe0\xf0\xf2 "
                  "'\xf1\xea\xee\xf0\xee' \"");
    }
    for (const auto& [password, command] : std::vector<std::pair<std::string, std::string>>{
             {"", "status"}, {"a\nb", "status"}, {"x", "say a\r\nquit"}, {"a\"b", "status"}}) {
        const RconOutcome refused = sendRconCommand(server.endpoint(), password, command, kQuick);
        EXPECT_FALSE(refused.delivered);
        EXPECT_FALSE(refused.reason.empty());
    }
    EXPECT_EQ(server.requests(), 3);  // the refused ones were never sent
    const RconOutcome silent = sendRconCommand({"127.0.0.1", closedPort()}, "x", "status", kQuick);
    EXPECT_FALSE(silent.delivered);
    EXPECT_NE(silent.reason.find("не ответил на команду rcon"), std::string::npos);
}

}  // namespace
}  // namespace qz7
