#include "server/server_health.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/core/supervisor_fakes.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

using std::chrono::seconds;

ServerStatus statusWith(std::string map, int players, std::optional<std::string> humans = {}) {
    ServerStatus status;
    status.map = std::move(map);
    status.maxClients = 18;
    for (int i = 0; i < players; ++i) status.players.push_back({"игрок", 0, 50});
    if (humans) status.info.push_back({"g_humanplayers", *humans});
    return status;
}

// ServerHealth driven check by check: the server's answers are scripted, the clock is a fake one
// and the remote console records what it was told.
class Health : public ::testing::Test {
  protected:
    // The thread checks by itself every `interval` of the fake clock: by default never here.
    std::unique_ptr<ServerHealth> make(HealthOptions options = {},
                                       std::chrono::milliseconds interval = std::chrono::hours(1)) {
        options.interval = interval;
        return std::make_unique<ServerHealth>(
            options, log, folder.path() / "server_mod.cfg",
            [this](const ServerAnswer& answer) { answers.push_back(answer); },
            [this](const QueryPortInputs& inputs, const QueryTiming&) {
                asked.push_back(inputs);
                LocalServerQuery result;
                if (script.empty()) {
                    result.reason = "нет ответа";
                    return result;
                }
                result = script.front();
                script.erase(script.begin());
                return result;
            },
            [this](const UdpEndpoint& to, const std::string& password, const std::string& message,
                   const QueryTiming&) {
                said.push_back(to.address + ":" + std::to_string(to.port) + " " + password + " " +
                               message);
                RconOutcome outcome;
                outcome.badPassword = password != "верный";
                outcome.delivered = !outcome.badPassword;
                return outcome;
            },
            clock);
    }
    LocalServerQuery answer(ServerStatus status) {
        LocalServerQuery result;
        result.status = std::move(status);
        result.server = UdpEndpoint{"127.0.0.1", 27015};
        return result;
    }
    // The names of the events logged, in order.
    std::vector<std::string> logged() const {
        std::vector<std::string> names;
        for (const ServeEvent& event : events) names.push_back(event.name);
        return names;
    }

    testing::TemporaryFolder folder;
    std::ostringstream lines;
    ServeLog log{lines, false, std::chrono::minutes(10)};
    std::vector<ServeEvent> events;
    testing::FakeClock clock{testing::utcMoment(2026, 12, 8, 12, 0), testing::FakeTimeZone{}};
    std::vector<LocalServerQuery> script;
    std::vector<QueryPortInputs> asked;
    std::vector<ServerAnswer> answers;
    std::vector<std::string> said;

    void SetUp() override {
        log.addListener([this](const ServeEvent& event) { events.push_back(event); });
    }
};

TEST_F(Health, AServerThatAnsweredAndThenFallsSilentIsHungAfterTheMisses) {
    HealthOptions options;
    options.queryPort = 27015;
    options.missesForHang = 3;
    std::unique_ptr<ServerHealth> health = make(options);
    health->runStarted(812, "+set net_port 27015");
    script = {answer(statusWith("mp_seatown", 2)), {}, {}};
    for (int check = 0; check < 3; ++check) health->checkNow();
    EXPECT_FALSE(health->hung());
    health->checkNow();  // the third miss in a row
    EXPECT_TRUE(health->hung());
    EXPECT_EQ(logged(), (std::vector<std::string>{"back-online"}));
    EXPECT_EQ(events[0].message, "сервер на связи: карта mp_seatown, игроков 2 из 18");
    EXPECT_EQ(asked[0].explicitPort, 27015);
    EXPECT_EQ(asked[0].serverProcessId, 812);
    EXPECT_EQ(asked[0].commandLine, "+set net_port 27015");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].players, 2);

    // The next run starts afresh: not hung, and its first answer is said again.
    health->runStarted(813, "");
    EXPECT_FALSE(health->hung());
    script = {answer(statusWith("mp_dome", 0))};
    health->checkNow();
    EXPECT_EQ(logged(), (std::vector<std::string>{"back-online", "back-online"}));
}

TEST_F(Health, WithAlertsOnlyAHungServerIsSaidOnceAndLeftRunning) {
    HealthOptions options;
    options.missesForHang = 2;
    options.restartOnHang = false;
    std::unique_ptr<ServerHealth> health = make(options);
    health->runStarted(812, "");
    script = {answer(statusWith("mp_seatown", 1))};
    for (int check = 0; check < 5; ++check) health->checkNow();
    EXPECT_FALSE(health->hung());
    EXPECT_EQ(logged(), (std::vector<std::string>{"back-online", "not-answering"}));
    EXPECT_NE(events[1].message.find("сервер не отвечает: 2 запросов подряд без ответа"),
              std::string::npos);
}

// Silence from a server that never answered is no fault of the server: said once, never hung.
TEST_F(Health, AServerThatNeverAnsweredIsNeverHung) {
    std::unique_ptr<ServerHealth> health = make();
    health->runStarted(812, "");
    for (int check = 0; check < 10; ++check) health->checkNow();
    EXPECT_FALSE(health->hung());
    EXPECT_EQ(logged(), (std::vector<std::string>{"query-unanswered"}));
    EXPECT_NE(events[0].message.find("(нет ответа)"), std::string::npos);
}

TEST_F(Health, AClockSetOrASleepStartsTheCountOfMissesAfresh) {
    std::unique_ptr<ServerHealth> health = make();
    health->runStarted(812, "");
    script = {answer(statusWith("mp_seatown", 1))};
    health->checkNow();
    health->checkNow();
    health->checkNow();
    clock.setWall(clock.wallNow() + std::chrono::hours(2));  // the machine slept two hours
    health->checkNow();                                      // would be the third miss
    EXPECT_FALSE(health->hung());
    EXPECT_EQ(logged(), (std::vector<std::string>{"back-online", "health-reset"}));
    health->checkNow();
    health->checkNow();
    EXPECT_TRUE(health->hung());
}

TEST_F(Health, SeveralAnsweringServersAreNeitherGuessedNorCountedAsMisses) {
    std::unique_ptr<ServerHealth> health = make();
    health->runStarted(812, "");
    script = {answer(statusWith("mp_seatown", 1))};
    LocalServerQuery two;
    two.answeringPorts = {27015, 27016};
    two.reason = "ответили порты 27015-27016: укажите --query-port";
    script.insert(script.end(), 5, two);
    for (int check = 0; check < 6; ++check) health->checkNow();
    EXPECT_FALSE(health->hung());
    EXPECT_EQ(logged(), (std::vector<std::string>{"back-online", "query-ambiguous"}));
}

TEST_F(Health, PlayersAreTheHumanCountWhereTheServerGivesOneAndMapsKeepOnlySafeCharacters) {
    EXPECT_EQ(humanPlayers(statusWith("mp", 5)), 5);
    EXPECT_EQ(humanPlayers(statusWith("mp", 5, "2")), 2);
    EXPECT_EQ(humanPlayers(statusWith("mp", 5, "много")), 5);
    EXPECT_EQ(safeMapName("mp_seatown"), "mp_seatown");
    EXPECT_EQ(safeMapName("@everyone <https://x> мп_1"), "everyonehttpsx_1");

    std::unique_ptr<ServerHealth> health = make();
    EXPECT_EQ(health->playersOnline(), std::nullopt);  // no run
    health->runStarted(812, "");
    script = {answer(statusWith("mp", 4, "3")), {}};
    EXPECT_EQ(health->playersOnline(), 3);
    EXPECT_EQ(health->playersOnline(), std::nullopt);  // no answer
}

// Warnings go through the remote console of the server that answered, with the password of the
// command line or else of the formed configuration; a refused password ends them; the password
// shows nowhere.
TEST_F(Health, WarningsGoWithThePasswordAndStopWhenItIsRefused) {
    const struct {
        const char* commandLine;
        const char* config;
        std::vector<std::string> said;
        const char* logged;
    } cases[] = {
        {"+set rcon_password верный +set net_port 27015",
         "",
         {"127.0.0.1:27015 верный Сервер перезапустится через 5 мин"},
         "warned"},
        {"",
         "seta rcon_password \"\xe2\xe5\xf0\xed\xfb\xe9\"\n",  // Windows-1251, as the game's
         {"127.0.0.1:27015 верный Сервер перезапустится через 5 мин"},
         "warned"},
        {"+set rcon_password неверный",
         "",
         {"127.0.0.1:27015 неверный Сервер перезапустится через 5 мин"},
         "warn-failed"},
        {"", "", {}, "cannot-warn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        testing::writeBytes(folder.path() / "server_mod.cfg", c.config);
        events.clear();
        said.clear();
        std::unique_ptr<ServerHealth> health = make();
        health->runStarted(812, c.commandLine);
        script = {answer(statusWith("mp", 1))};
        health->checkNow();
        health->warn(seconds(300));
        health->warn(seconds(60));
        std::vector<std::string> expected = c.said;
        if (std::string(c.logged) == "warned")
            expected.push_back("127.0.0.1:27015 верный Сервер перезапустится через 1 мин");
        EXPECT_EQ(said, expected);
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events[1].name, c.logged);
        for (const ServeEvent& event : events)
            EXPECT_EQ(event.message.find("верный"), std::string::npos) << event.message;
    }
}

TEST_F(Health, AWarningBeforeAnyAnswerCannotBeGiven) {
    std::unique_ptr<ServerHealth> health = make();
    health->runStarted(812, "+set rcon_password верный");
    health->warn(seconds(90));
    EXPECT_TRUE(said.empty());
    EXPECT_EQ(logged(), (std::vector<std::string>{"cannot-warn"}));
}

// The health thread waits on serve's clock: a fake clock moved on makes its checks, one per
// interval from the run's start, and none without a run, with no waiting in real time.
TEST_F(Health, ChecksComeEveryIntervalOfTheClockFromTheRunsStart) {
    enum class Do { Start, End, Advance };
    struct Step {
        Do what;
        seconds by;
        std::size_t checksSoFar;
    };
    struct Case {
        const char* name;
        seconds interval;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        {"one check each interval",
         seconds(30),
         {{Do::Start, {}, 0},
          {Do::Advance, seconds(29), 0},
          {Do::Advance, seconds(1), 1},
          {Do::Advance, seconds(30), 2},
          {Do::Advance, seconds(15), 2},
          {Do::Advance, seconds(15), 3}}},
        {"a long step is one check: the thread waits for the next interval from its check",
         seconds(10),
         {{Do::Start, {}, 0}, {Do::Advance, seconds(35), 1}, {Do::Advance, seconds(10), 2}}},
        {"a new run waits a whole interval before its first check",
         seconds(30),
         {{Do::Start, {}, 0},
          {Do::Advance, seconds(20), 0},
          {Do::Start, {}, 0},
          {Do::Advance, seconds(20), 0},
          {Do::Advance, seconds(10), 1}}},
        {"no checks between runs",
         seconds(30),
         {{Do::Advance, seconds(90), 0},
          {Do::Start, {}, 0},
          {Do::Advance, seconds(30), 1},
          {Do::End, {}, 1},
          {Do::Advance, seconds(300), 1},
          {Do::Start, {}, 1},
          {Do::Advance, seconds(30), 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        asked.clear();
        std::unique_ptr<ServerHealth> health = make({}, c.interval);
        ASSERT_TRUE(clock.awaitSleepers(1));
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            if (step.what == Do::Start) health->runStarted(812, "");
            if (step.what == Do::End) health->runEnded();
            // Moving by nothing returns once the thread has taken in a start or an end.
            clock.advance(step.by);
            EXPECT_EQ(asked.size(), step.checksSoFar) << "after step " << i;
        }
        health.reset();
    }
    EXPECT_EQ(clock.stalls(), 0);
}

}  // namespace
}  // namespace qz7
