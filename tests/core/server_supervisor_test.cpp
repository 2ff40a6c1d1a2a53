#include "server/server_supervisor.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "server_test_support.h"

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

#ifndef _WIN32

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

TEST_F(SupervisedStandIn, ALauncherThatCannotRunIsNotRetried) {
    std::filesystem::permissions(folder.path() / kLauncher, std::filesystem::perms::owner_read);
    EXPECT_EQ(supervise("crash"), SupervisorOutcome::StartFailed);
    ASSERT_EQ(kinds(), std::vector<Kind>{Kind::StartFailed});
    EXPECT_EQ(events[0].error, "нет права на запуск этого файла");
}

#endif

}  // namespace
}  // namespace qz7
