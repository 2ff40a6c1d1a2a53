// What wakes a waiting supervisor: news (a stop or restart request, a hang, the server's end) is
// acted on when it comes, however long the supervisor would otherwise sleep before its next look.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/stop_signals.h"
#include "platform/watched_process.h"
#include "server/server_supervisor.h"
#include "server_test_support.h"
#include "supervisor_fakes.h"

namespace qz7 {
namespace {

using namespace std::chrono_literals;
using Kind = SupervisorEventKind;

// A server that runs until stopped, watched with an hour between looks; a thread living on the
// same fake clock brings one piece of news after ten minutes and wakes the supervisor. The news is
// acted on at ten minutes, not at the hour's look.
TEST(SupervisorWake, NewsIsActedOnWhenItComesNotAtTheNextLook) {
    enum class News { Stop, Restart, Hang };
    struct Case {
        News news;
        Kind acted;  // the event that shows the news was acted on
    };
    for (const Case c :
         {Case{News::Stop, Kind::Stopping}, Case{News::Restart, Kind::ScheduledRestart},
          Case{News::Hang, Kind::Hung}}) {
        SCOPED_TRACE(int(c.news));
        testing::FakeClock clock(testing::utcMoment(2026, 12, 1, 12, 0), {});
        const auto begin = clock.now();
        std::atomic<bool> stop{false}, restart{false}, hung{false};
        ClockWake supervisorWake;
        SupervisedServer server;
        server.clock = &clock;
        server.wake = &supervisorWake;
        server.start = [&](std::string&) -> std::unique_ptr<RunningProgram> {
            return std::make_unique<testing::FakeProgram>(clock, 7, std::nullopt, ProcessEnd{});
        };
        server.stopRequested = [&] { return stop.load(); };
        server.restartRequested = [&] { return restart.exchange(false); };
        server.hung = [&] { return hung.load(); };
        std::vector<std::pair<Kind, std::chrono::steady_clock::duration>> events;
        server.report = [&](const SupervisorEvent& event) {
            events.emplace_back(event.kind, clock.now() - begin);
            // Once the news was acted on, the supervisor ends at its next look.
            if (event.kind == c.acted) stop = true;
        };
        SupervisorTiming timing;
        timing.pollInterval = 1h;
        std::thread messenger([&] {
            ClockWake own;
            clock.sleepUntil(begin + 10min, own);
            (c.news == News::Stop ? stop : c.news == News::Restart ? restart : hung) = true;
            supervisorWake.wake();
        });
        EXPECT_TRUE(clock.awaitSleepers(1));
        superviseServer(server, timing);
        messenger.join();
        const auto acted = std::find_if(events.begin(), events.end(),
                                        [&](const auto& event) { return event.first == c.acted; });
        ASSERT_NE(acted, events.end());
        EXPECT_EQ(acted->second, 10min);
        EXPECT_EQ(clock.stalls(), 0);
    }
}

// A stop signal or a restart request wakes the thread that sleeps on StopSignals' wake, and a
// watched program's end wakes its waiter: none of them waits out its time.
TEST(SupervisorWake, SignalsRequestsAndAProgramsEndWakeTheSleeperAtOnce) {
    ClockWake wake;
    {
        StopSignals signals;
        StopSignals::wakeOnRequest(&wake);
        ASSERT_TRUE(StopSignals::requestRestartOf(currentProcessId()));
        EXPECT_TRUE(steadyWaitClock().sleepUntil(std::chrono::steady_clock::now() + 10min, wake));
        EXPECT_TRUE(StopSignals::takeRestartRequest());
        ASSERT_TRUE(StopSignals::requestStopOf(currentProcessId()));
        EXPECT_TRUE(steadyWaitClock().sleepUntil(std::chrono::steady_clock::now() + 10min, wake));
        EXPECT_TRUE(StopSignals::received());
        StopSignals::wakeOnRequest(nullptr);
    }
#ifndef _WIN32
    testing::TemporaryGameFolder folder;
    const std::filesystem::path launcher = folder.path() / "TeknoQZ7_Server_Launcher.exe";
    std::filesystem::copy_file(
        std::filesystem::path(QZ7_TEST_DATA_DIR) / "../../demo/TeknoQZ7_Server_Launcher.exe",
        launcher);
    struct Case {
        const char* plan;
        bool wokenByOther;  // another thread wakes the waiter while the program runs
        std::optional<int> status;
    };
    for (const Case c : {Case{"crash", false, 3}, Case{"run", true, std::nullopt}}) {
        SCOPED_TRACE(c.plan);
        ::setenv("QZ7_STAND_IN", c.plan, 1);
        std::string error;
        const std::unique_ptr<WatchedProcess> program = WatchedProcess::start(launcher, "", error);
        ASSERT_TRUE(program) << error;
        std::thread other;
        if (c.wokenByOther) other = std::thread([&] { wake.wake(); });
        const std::optional<ProcessEnd> end = program->waitOrWake(1h, wake);
        if (other.joinable()) other.join();
        EXPECT_EQ(end.has_value(), c.status.has_value());
        if (end && c.status) {
            EXPECT_EQ(end->exitStatus, *c.status);
        }
        std::filesystem::remove(folder.path() / "stand-in-starts");
    }
    ::unsetenv("QZ7_STAND_IN");
#endif
}

}  // namespace
}  // namespace qz7
