#include "server/restart_schedule.h"

#include <gtest/gtest.h>

#include "supervisor_fakes.h"

namespace qz7 {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using testing::FakeTimeZone;
using testing::utcMoment;

TEST(RestartSchedule, TimesOfDayAndIntervalsAreReadOrRefused) {
    std::string error;
    EXPECT_EQ(parseTimesOfDay("16:30,04:00,04:00", error),
              (std::vector<minutes>{hours(4), hours(16) + minutes(30)}));
    EXPECT_EQ(parseTimesOfDay("00:00", error), std::vector<minutes>{minutes(0)});
    for (const char* wrong : {"", "4:00", "24:00", "12:60", "04:00,", "04-00", "04:00 ", "+4:00"}) {
        EXPECT_FALSE(parseTimesOfDay(wrong, error)) << wrong;
        EXPECT_NE(error.find("ЧЧ:ММ"), std::string::npos) << wrong;
    }
    EXPECT_EQ(parseRestartInterval("90s", error), std::chrono::seconds(90));
    EXPECT_EQ(parseRestartInterval("30m", error), std::chrono::seconds(1800));
    EXPECT_EQ(parseRestartInterval("6h", error), std::chrono::seconds(21600));
    EXPECT_EQ(parseRestartInterval("10s", error), std::chrono::seconds(10));
    for (const char* wrong : {"9s", "0m", "", "s", "10", "10d", "-5m", "1.5h", "99999999h"})
        EXPECT_FALSE(parseRestartInterval(wrong, error)) << wrong;
    parseRestartInterval("9s", error);
    EXPECT_EQ(error, "промежуток «9s» короче 10 с");
}

// Tests of serve's timing may go below the host's shortest interval, and only where no host
// serves players: with nothing but loopback addresses.
TEST(RestartSchedule, OnlyATestOnLoopbackAloneGoesBelowTheShortestInterval) {
    using std::chrono::seconds;
    const std::vector<std::string> loopback{"127.0.0.1"};
    const std::vector<std::string> host{"127.0.0.1", "192.0.2.7"};
    const struct {
        const char* asked;
        std::vector<std::string> addresses;
        seconds shortest;
    } cases[] = {
        {"1", loopback, kShortestTestInterval},
        {"1", {"127.0.0.1", "127.0.1.1"}, kShortestTestInterval},
        {"1", host, kShortestRestartInterval},
        {"1", {"127.0.0.1", "10.0.0.2"}, kShortestRestartInterval},
        {"", loopback, kShortestRestartInterval},
        {"0", loopback, kShortestRestartInterval},
        {"yes", loopback, kShortestRestartInterval},
        {"", host, kShortestRestartInterval},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shortestRestartInterval(c.asked, c.addresses), c.shortest)
            << c.asked << " with " << c.addresses.size() << " addresses";
    EXPECT_LT(kShortestTestInterval, kShortestRestartInterval);
}

// A zone three hours east of UTC whose clocks go forward an hour at 02:00 local on 29 March and
// back an hour at 03:00 local on 25 October 2026.
FakeTimeZone summerTimeZone() {
    return FakeTimeZone{
        hours(3),
        {{utcMoment(2026, 3, 28, 23, 0), hours(4)}, {utcMoment(2026, 10, 24, 23, 0), hours(3)}}};
}

TEST(RestartSchedule, TheNextTimeOfDayCrossesMidnightAndClockChanges) {
    const FakeTimeZone zone = summerTimeZone();
    struct Case {
        const char* what;
        std::vector<minutes> times;
        std::chrono::system_clock::time_point after;
        std::chrono::system_clock::time_point expected;
    };
    const Case cases[] = {
        // 23:50 local on 8 December: 00:30 comes the next day.
        {"past midnight",
         {minutes(30)},
         utcMoment(2026, 12, 8, 20, 50),
         utcMoment(2026, 12, 8, 21, 30)},
        {"the earliest of several",
         {hours(4), hours(1)},
         utcMoment(2026, 12, 8, 20, 50),
         utcMoment(2026, 12, 8, 22, 0)},
        // Exactly at the time: the next one is a day later.
        {"not now again", {hours(4)}, utcMoment(2026, 12, 8, 1, 0), utcMoment(2026, 12, 9, 1, 0)},
        // 02:30 does not exist on 29 March: it comes when the clock shows 03:00 after the gap.
        {"skipped time",
         {hours(2) + minutes(30)},
         utcMoment(2026, 3, 28, 20, 0),
         utcMoment(2026, 3, 28, 23, 0)},
        // 02:30 comes twice on 25 October: the first time (summer time) only...
        {"repeated time",
         {hours(2) + minutes(30)},
         utcMoment(2026, 10, 24, 20, 0),
         utcMoment(2026, 10, 24, 22, 30)},
        // ...and after it has come, the next one is on 26 October.
        {"repeated time once",
         {hours(2) + minutes(30)},
         utcMoment(2026, 10, 24, 22, 30),
         utcMoment(2026, 10, 25, 23, 30)},
        // Started during the repeated hour, after the clock went back past 02:30.
        {"started in the repeat",
         {hours(2) + minutes(30)},
         utcMoment(2026, 10, 24, 23, 10),
         utcMoment(2026, 10, 25, 23, 30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(nextTimeOfDay(c.times, c.after, zone), c.expected);
    }
    EXPECT_EQ(nextTimeOfDay({}, utcMoment(2026, 12, 8, 0, 0), zone), std::nullopt);
}

}  // namespace
}  // namespace qz7
