#include "server/server_supervisor.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "server_test_support.h"
#include "supervisor_fakes.h"

namespace qz7 {
namespace {

using std::chrono::milliseconds;
using Kind = SupervisorEventKind;

TEST(RestartDelay, DoublesFromTheFirstDelayUpToTheLongest) {
    const SupervisorTiming timing;  // 1 s doubling up to 60 s
    const int seconds[] = {1, 2, 4, 8, 16, 32, 60, 60, 60};
    for (int crash = 1; crash <= 9; ++crash)
        EXPECT_EQ(restartDelay(crash, timing), std::chrono::seconds(seconds[crash - 1]))
            << "crash " << crash;
}

// The supervisor on a fake clock with fake servers: days of schedule pass at once.
class ScheduledSupervisor : public ::testing::Test {
  protected:
    // How one start of the server goes: it ends after runsFor with end, or runs until stopped.
    struct Run {
        std::optional<milliseconds> runsFor;
        ProcessEnd end{};
    };

    ScheduledSupervisor() { timing.pollInterval = std::chrono::seconds(1); }

    // Supervises until the fake clock has run for stopAfter.
    SupervisorOutcome supervise(milliseconds stopAfter) {
        const auto begin = clock.now();
        SupervisedServer server;
        server.clock = &clock;
        server.start = [&](std::string&) -> std::unique_ptr<RunningProgram> {
            const Run run = runs[std::min<std::size_t>(starts, runs.size() - 1)];
            ++starts;
            return std::make_unique<testing::FakeProgram>(clock, 100 + starts, run.runsFor,
                                                          run.end);
        };
        server.stopRequested = [&] { return clock.now() - begin >= stopAfter; };
        server.restartRequested = [&] {
            if (restartRequestsAt.empty() || clock.now() - begin < restartRequestsAt.front())
                return false;
            restartRequestsAt.erase(restartRequestsAt.begin());
            return true;
        };
        server.report = [&](const SupervisorEvent& event) {
            events.push_back(event);
            moments.push_back(clock.wallNow());
        };
        server.prepareRestart = [&] { return prepare(); };
        if (hungAt) server.hung = [&] { return clock.now() - begin >= *hungAt && starts == 1; };
        if (players)
            server.playersOnline = [&] {
                playersAskedAt.push_back(clock.now() - begin);
                return players(clock.now() - begin);
            };
        server.warn = [&](std::chrono::seconds left) {
            warnings.push_back({clock.now() - begin, left});
        };
        server.writePreparedFiles = [&]() -> std::optional<std::string> {
            ++written;
            return std::nullopt;
        };
        return superviseServer(server, timing);
    }
    std::vector<Kind> kinds() const {
        std::vector<Kind> result;
        for (const SupervisorEvent& event : events) result.push_back(event.kind);
        return result;
    }
    std::vector<std::chrono::system_clock::time_point> momentsOf(Kind kind) const {
        std::vector<std::chrono::system_clock::time_point> result;
        for (std::size_t i = 0; i < events.size(); ++i)
            if (events[i].kind == kind) result.push_back(moments[i]);
        return result;
    }

    // 23:50 local time on 28 March 2026, three hours east of UTC; at 02:00 local the clocks go
    // forward an hour.
    testing::FakeClock clock{
        testing::utcMoment(2026, 3, 28, 20, 50),
        testing::FakeTimeZone{std::chrono::hours(3),
                              {{testing::utcMoment(2026, 3, 28, 23, 0), std::chrono::hours(4)}}}};
    SupervisorTiming timing;
    std::vector<Run> runs{Run{}};
    std::function<std::optional<std::string>()> prepare = [] { return std::nullopt; };
    // When a host asks for a restart, from the start of supervision.
    std::vector<milliseconds> restartRequestsAt;
    // When the first server counts as hung.
    std::optional<milliseconds> hungAt;
    // How many play, by the time since the start; when they were asked.
    std::function<std::optional<int>(std::chrono::steady_clock::duration)> players;
    std::vector<std::chrono::steady_clock::duration> playersAskedAt;
    // The warnings given: when, and the time left they named.
    std::vector<std::pair<std::chrono::steady_clock::duration, std::chrono::seconds>> warnings;
    int starts = 0;
    int written = 0;
    std::vector<SupervisorEvent> events;
    std::vector<std::chrono::system_clock::time_point> moments;
};

TEST_F(ScheduledSupervisor, EveryTenSecondsRestartsAHealthyServerWithFreshFilesAndNoCrash) {
    timing.schedule.every = std::chrono::seconds(10);
    EXPECT_EQ(supervise(std::chrono::seconds(35)), SupervisorOutcome::Stopped);
    const std::vector<Kind> restart{Kind::ScheduledRestart, Kind::Stopping, Kind::StoppedForRestart,
                                    Kind::Started};
    std::vector<Kind> expected{Kind::Started};
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), restart.begin(), restart.end());
    expected.insert(expected.end(), {Kind::Stopping, Kind::Stopped});
    EXPECT_EQ(kinds(), expected);
    EXPECT_EQ(written, 3);
    // Counted from each start: 10, 20 and 30 s after the first.
    const auto started = momentsOf(Kind::Started);
    ASSERT_EQ(started.size(), 4u);
    for (std::size_t i = 1; i < started.size(); ++i)
        EXPECT_EQ(started[i] - started[0], std::chrono::seconds(10 * i));
    EXPECT_EQ(events[0].nextRestart, started[0] + std::chrono::seconds(10));
}

TEST_F(ScheduledSupervisor, ATemplateThatCannotBeFormedKeepsTheServerUpUntilTheNextTime) {
    timing.schedule.every = std::chrono::seconds(10);
    int attempts = 0;
    prepare = [&]() -> std::optional<std::string> {
        if (++attempts == 1) return "Нет шаблона с именем «Турнир»";
        return std::nullopt;
    };
    EXPECT_EQ(supervise(std::chrono::seconds(25)), SupervisorOutcome::Stopped);
    EXPECT_EQ(kinds(),
              (std::vector<Kind>{Kind::Started, Kind::ScheduledRestart, Kind::RestartPostponed,
                                 Kind::ScheduledRestart, Kind::Stopping, Kind::StoppedForRestart,
                                 Kind::Started, Kind::Stopping, Kind::Stopped}));
    EXPECT_EQ(events[2].processId, events[0].processId);
    EXPECT_EQ(events[2].error, "Нет шаблона с именем «Турнир»");
    EXPECT_EQ(events[2].nextRestart, moments[0] + std::chrono::seconds(20));
    EXPECT_EQ(momentsOf(Kind::Started)[1] - moments[0], std::chrono::seconds(20));
    EXPECT_EQ(written, 1);
}

TEST_F(ScheduledSupervisor, ARequestedRestartIsMadeAtOnceAndARefusedOneKeepsTheServerAndSchedule) {
    timing.schedule.every = std::chrono::seconds(60);
    timing.firstRestartDelay = std::chrono::seconds(10);
    runs = {Run{}, Run{std::chrono::seconds(1), {3, 0}}, Run{}};
    restartRequestsAt = {std::chrono::seconds(5), std::chrono::seconds(7), std::chrono::seconds(8)};
    int attempts = 0;
    prepare = [&]() -> std::optional<std::string> {
        if (++attempts == 1) return std::nullopt;
        return "Нет шаблона с именем «Турнир»";
    };
    EXPECT_EQ(supervise(std::chrono::seconds(30)), SupervisorOutcome::Stopped);
    // At 5 s a restart; the second server crashes at 6 s; the request at 7 s ends the back-off
    // at once, as asked for; the one at 8 s cannot be formed and leaves the third server up.
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::Started, Kind::ScheduledRestart, Kind::Stopping,
                                          Kind::StoppedForRestart, Kind::Started, Kind::Crashed,
                                          Kind::Restarting, Kind::ScheduledRestart, Kind::Started,
                                          Kind::ScheduledRestart, Kind::RestartPostponed,
                                          Kind::Stopping, Kind::Stopped}));
    for (const std::size_t i : {1u, 3u, 7u, 9u, 10u}) EXPECT_TRUE(events[i].requested) << i;
    const auto started = momentsOf(Kind::Started);
    EXPECT_EQ(started[1] - started[0], std::chrono::seconds(5));
    EXPECT_EQ(started[2] - started[0], std::chrono::seconds(7));
    // The refused request puts off no scheduled restart: the next is due a minute after the start.
    EXPECT_EQ(events[10].nextRestart, started[2] + std::chrono::seconds(60));
    EXPECT_EQ(written, 1);
}

TEST_F(ScheduledSupervisor, AHungServerIsStoppedAndCountedAsACrash) {
    hungAt = std::chrono::seconds(5);
    timing.crashLimit = 2;
    EXPECT_EQ(supervise(std::chrono::seconds(30)), SupervisorOutcome::Stopped);
    EXPECT_EQ(kinds(),
              (std::vector<Kind>{Kind::Started, Kind::Hung, Kind::Stopping, Kind::Crashed,
                                 Kind::Restarting, Kind::Started, Kind::Stopping, Kind::Stopped}));
    EXPECT_TRUE(events[3].hung);
    EXPECT_EQ(events[3].crashesInWindow, 1);
    EXPECT_EQ(events[3].end.signal, 15);
    EXPECT_FALSE(events[3].end.clean());
}

// A due scheduled restart waits while people play: put off while they do, made once none does,
// made all the same when the wait is over, and made at once when the server cannot tell.
TEST_F(ScheduledSupervisor, ARestartWhenEmptyWaitsForThePlayersUpToTheWait) {
    using std::chrono::seconds;
    timing.schedule.every = seconds(60);
    timing.restartWhenEmpty = true;
    timing.emptyWait = seconds(100);
    timing.emptyCheckInterval = seconds(30);
    const struct {
        const char* what;
        std::function<std::optional<int>(std::chrono::steady_clock::duration)> players;
        std::chrono::steady_clock::duration restartAt;
        int waits;
    } cases[] = {
        {"players leave", [](auto at) { return at < seconds(120) ? 3 : 0; }, seconds(120), 1},
        {"players stay", [](auto) { return 2; }, seconds(160), 1},
        {"no answer", [](auto) { return std::nullopt; }, seconds(60), 0},
        {"empty", [](auto) { return 0; }, seconds(60), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        events.clear();
        moments.clear();
        playersAskedAt.clear();
        starts = 0;
        players = c.players;
        const auto begin = clock.wallNow();
        supervise(seconds(170));
        EXPECT_EQ(momentsOf(Kind::ScheduledRestart).front() - begin, c.restartAt);
        const std::vector<std::chrono::system_clock::time_point> waits =
            momentsOf(Kind::RestartWaits);
        ASSERT_EQ(waits.size(), std::size_t(c.waits));
        if (c.waits == 0) continue;
        EXPECT_EQ(waits[0] - begin, seconds(60));
        const auto wait = std::find_if(events.begin(), events.end(), [](const auto& event) {
            return event.kind == Kind::RestartWaits;
        });
        EXPECT_EQ(wait->players, c.players(seconds(60)).value_or(-1));
        EXPECT_EQ(wait->nextRestart, waits[0] + seconds(100));
        // Asked at the due time and every 30 s after.
        EXPECT_EQ(playersAskedAt[1] - playersAskedAt[0], seconds(30));
    }
}

// Warnings before a scheduled restart: each of its times once, and of those already past at the
// start only the last, naming the time really left.
TEST_F(ScheduledSupervisor, PlayersAreWarnedBeforeAScheduledRestart) {
    using std::chrono::minutes;
    using std::chrono::seconds;
    timing.warnBefore = {seconds(60), seconds(300)};
    timing.schedule.every = minutes(10);
    supervise(minutes(11));
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0],
              (std::pair<std::chrono::steady_clock::duration, seconds>{minutes(5), seconds(300)}));
    EXPECT_EQ(warnings[1],
              (std::pair<std::chrono::steady_clock::duration, seconds>{minutes(9), seconds(60)}));

    // 23:50 local: a restart at 23:53 is three minutes away.
    warnings.clear();
    clock.setWall(testing::utcMoment(2026, 3, 28, 20, 50));
    timing.schedule = {};
    timing.schedule.timesOfDay = {minutes(23 * 60 + 53)};
    supervise(minutes(2));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].second, seconds(180));
}

TEST_F(ScheduledSupervisor, TimesOfDayFollowTheLocalClockPastMidnightAndItsChanges) {
    // 00:00, then 02:30, which the clock skips on 29 March: it comes at 03:00 local.
    timing.schedule.timesOfDay = {std::chrono::minutes(0), std::chrono::minutes(150)};
    EXPECT_EQ(supervise(std::chrono::hours(3)), SupervisorOutcome::Stopped);
    EXPECT_EQ(momentsOf(Kind::ScheduledRestart),
              (std::vector{testing::utcMoment(2026, 3, 28, 21, 0),
                           testing::utcMoment(2026, 3, 28, 23, 0)}));
    EXPECT_EQ(events[0].nextRestart, testing::utcMoment(2026, 3, 28, 21, 0));
}

TEST_F(ScheduledSupervisor, AScheduledRestartStartsTheCrashCountAndTheBackOffAfresh) {
    timing.crashLimit = 3;
    timing.schedule.every = std::chrono::seconds(20);
    const Run crash{milliseconds(1000), {3, 0}};
    runs = {crash, crash, Run{}, crash, crash, Run{}};
    EXPECT_EQ(supervise(std::chrono::minutes(1)), SupervisorOutcome::Stopped);
    std::vector<int> counted;
    std::vector<milliseconds> delays;
    for (const SupervisorEvent& event : events) {
        if (event.kind == Kind::Crashed) counted.push_back(event.crashesInWindow);
        if (event.kind == Kind::Restarting) delays.push_back(event.delay);
    }
    EXPECT_EQ(counted, (std::vector{1, 2, 1, 2}));
    EXPECT_EQ(delays, (std::vector<milliseconds>{milliseconds(1000), milliseconds(2000),
                                                 milliseconds(1000), milliseconds(2000)}));
    EXPECT_EQ(starts, 7);
}

// A restart asked for while a crash's back-off runs starts the server at once, as asked for: no
// crash, and the count and the back-off start afresh.
TEST_F(ScheduledSupervisor, ARestartAskedForDuringTheBackOffStartsTheServerAtOnce) {
    timing.firstRestartDelay = timing.longestRestartDelay = std::chrono::seconds(30);
    const Run crash{milliseconds(1000), {3, 0}};
    runs = {crash, crash, Run{}};
    restartRequestsAt = {std::chrono::seconds(5)};
    EXPECT_EQ(supervise(std::chrono::minutes(2)), SupervisorOutcome::Stopped);
    EXPECT_EQ(kinds(),
              (std::vector<Kind>{Kind::Started, Kind::Crashed, Kind::Restarting,
                                 Kind::ScheduledRestart, Kind::Started, Kind::Crashed,
                                 Kind::Restarting, Kind::Started, Kind::Stopping, Kind::Stopped}));
    EXPECT_TRUE(events[3].requested);
    EXPECT_EQ(events[3].processId, 0);
    // Started at 5 s, not after the 30 s back-off; its crash is the first of a new series.
    EXPECT_EQ(momentsOf(Kind::Started)[1] - momentsOf(Kind::Started)[0], std::chrono::seconds(5));
    EXPECT_EQ(events[5].crashesInWindow, 1);
}

TEST_F(ScheduledSupervisor, CleanEndsThatAreRestartedCountTowardTheCrashLimit) {
    timing.crashLimit = 3;
    timing.restartAfterCleanExit = true;
    runs = {Run{milliseconds(10), {0, 0}}};
    EXPECT_EQ(supervise(std::chrono::hours(1)), SupervisorOutcome::CrashLoop);
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::Started, Kind::ExitedCleanly, Kind::Restarting,
                                          Kind::Started, Kind::ExitedCleanly, Kind::Restarting,
                                          Kind::Started, Kind::ExitedCleanly, Kind::GaveUp}));
    EXPECT_EQ(events[4].crashesInWindow, 2);
}

#ifndef _WIN32

const std::filesystem::path kDemoFolder = std::filesystem::path(QZ7_TEST_DATA_DIR) / "../../demo";

// The demo folder's stand-in server launcher (a POSIX shell script), run for real under the
// supervisor with short timing; QZ7_STAND_IN tells it, start by start, how to behave.
class SupervisedStandIn : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::copy_file(
            std::filesystem::path(QZ7_TEST_DATA_DIR) / "../../demo" / kLauncher,
            folder.path() / kLauncher);
        timing.firstRestartDelay = milliseconds(100);
        timing.longestRestartDelay = milliseconds(150);
        timing.crashLimit = 5;
        timing.crashWindow = std::chrono::minutes(10);
        timing.stopGrace = milliseconds(300);
    }
    void TearDown() override { ::unsetenv("QZ7_STAND_IN"); }

    // Runs the stand-in under the supervisor. A stop is requested once an event of kind
    // stopOn has been reported (after a Started event, once the stand-in is set up).
    SupervisorOutcome supervise(const std::string& plan, std::optional<Kind> stopOn = {}) {
        ::setenv("QZ7_STAND_IN", plan.c_str(), 1);
        bool stop = false;
        SupervisedServer server;
        server.start = [&](std::string& error) {
            return WatchedProcess::start(folder.path() / kLauncher, "", error);
        };
        server.stopRequested = [&] {
            return stop && (stopOn != Kind::Started ||
                            std::filesystem::exists(folder.path() / "stand-in-ready"));
        };
        server.report = [&](const SupervisorEvent& event) {
            events.push_back(event);
            moments.push_back(std::chrono::steady_clock::now());
            if (stopOn && event.kind == *stopOn) stop = true;
        };
        return superviseServer(server, timing);
    }
    std::vector<Kind> kinds() const {
        std::vector<Kind> result;
        for (const SupervisorEvent& event : events) result.push_back(event.kind);
        return result;
    }
    int starts() const {
        return std::stoi(testing::readBytes(folder.path() / "stand-in-starts").value_or("0"));
    }
    // The stand-in's process, found by its id, is gone.
    static bool gone(int processId) { return ::kill(processId, 0) != 0 && errno == ESRCH; }

    static constexpr const char* kLauncher = "TeknoQZ7_Server_Launcher.exe";
    testing::TemporaryGameFolder folder;  // the current directory too
    SupervisorTiming timing;
    std::vector<SupervisorEvent> events;
    std::vector<std::chrono::steady_clock::time_point> moments;
};

TEST_F(SupervisedStandIn, CrashesAreRestartedAfterTheBackOffUntilACleanExit) {
    EXPECT_EQ(supervise("crash killed clean"), SupervisorOutcome::CleanExit);
    ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::Started, Kind::Crashed, Kind::Restarting,
                                          Kind::Started, Kind::Crashed, Kind::Restarting,
                                          Kind::Started, Kind::ExitedCleanly}));
    EXPECT_EQ(events[1].end.exitStatus, 3);
    EXPECT_EQ(events[1].crashesInWindow, 1);
    EXPECT_EQ(events[4].end.signal, SIGKILL);
    EXPECT_EQ(events[4].crashesInWindow, 2);
    // 100 ms, then doubled but held at the longest delay of 150 ms; each really waited.
    EXPECT_EQ(events[2].delay, milliseconds(100));
    EXPECT_EQ(events[5].delay, milliseconds(150));
    EXPECT_GE(moments[3] - moments[2], milliseconds(100));
    EXPECT_GE(moments[6] - moments[5], milliseconds(150));
    EXPECT_EQ(starts(), 3);
}

TEST_F(SupervisedStandIn, TheCrashLimitEndsTheRestarts) {
    timing.firstRestartDelay = timing.longestRestartDelay = milliseconds(10);
    timing.crashLimit = 3;
    EXPECT_EQ(supervise("crash"), SupervisorOutcome::CrashLoop);
    EXPECT_EQ(starts(), 3);
    ASSERT_EQ(events.back().kind, Kind::GaveUp);
    EXPECT_EQ(events.back().crashesInWindow, 3);
}

TEST_F(SupervisedStandIn, CrashesOlderThanTheWindowNeitherCountNorLengthenTheBackOff) {
    // Every run outlasts a 1 ms window: no crash has company, each back-off is the first.
    timing.crashWindow = milliseconds(1);
    timing.crashLimit = 2;
    EXPECT_EQ(supervise("crash crash crash clean"), SupervisorOutcome::CleanExit);
    for (const SupervisorEvent& event : events) {
        if (event.kind == Kind::Crashed) {
            EXPECT_EQ(event.crashesInWindow, 1);
        } else if (event.kind == Kind::Restarting) {
            EXPECT_EQ(event.delay, milliseconds(100));
        }
    }
    EXPECT_EQ(starts(), 4);
}

TEST_F(SupervisedStandIn, AStopEndsTheServerGentlyOrByForce) {
    struct Case {
        const char* plan;
        std::vector<Kind> expected;
        int signal;
    };
    const Case cases[] = {
        {"run", {Kind::Started, Kind::Stopping, Kind::Stopped}, SIGTERM},
        {"stubborn", {Kind::Started, Kind::Stopping, Kind::Killed, Kind::Stopped}, SIGKILL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plan);
        events.clear();
        std::filesystem::remove(folder.path() / "stand-in-starts");
        std::filesystem::remove(folder.path() / "stand-in-ready");
        EXPECT_EQ(supervise(c.plan, Kind::Started), SupervisorOutcome::Stopped);
        ASSERT_EQ(kinds(), c.expected);
        EXPECT_EQ(events.back().end.signal, c.signal);
        EXPECT_TRUE(gone(events.front().processId));
    }
}

TEST_F(SupervisedStandIn, AStopDuringTheBackOffStartsNothingMore) {
    timing.firstRestartDelay = timing.longestRestartDelay = std::chrono::seconds(30);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(supervise("crash", Kind::Restarting), SupervisorOutcome::Stopped);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
    EXPECT_EQ(kinds(),
              (std::vector<Kind>{Kind::Started, Kind::Crashed, Kind::Restarting, Kind::Stopped}));
    EXPECT_EQ(starts(), 1);
}

// A start that fails counts as a crash: tried again after the back-off, within the crash limit.
TEST_F(SupervisedStandIn, ALauncherThatCannotRunIsRetriedWithinTheCrashLimit) {
    std::filesystem::permissions(folder.path() / kLauncher, std::filesystem::perms::owner_read);
    timing.crashLimit = 2;
    EXPECT_EQ(supervise("crash"), SupervisorOutcome::CrashLoop);
    ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::StartFailed, Kind::Restarting, Kind::StartFailed,
                                          Kind::GaveUp}));
    EXPECT_EQ(events[0].error, "нет права на запуск этого файла");
    EXPECT_EQ(events[0].crashesInWindow, 1);
    EXPECT_EQ(events[2].crashesInWindow, 2);
}

#endif

}  // namespace
}  // namespace qz7
