#include "server/serve_relaunch.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/core/supervisor_fakes.h"

namespace qz7 {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

// A serve of a Windows entry ends with these statuses one after another, the n-th after running
// for runsFor[n]; statuses 1 and 4 are restarted, 0 and 2 are not.
struct Case {
    const char* name;
    std::vector<int> statuses;
    std::vector<minutes> runsFor;
    int expectedRuns;
    int expectedStatus;
};

TEST(ServeRelaunch, StartsAfreshAfterAnErrorAtMostThreeTimesAnHourAsTheUnitDoes) {
    const std::vector<Case> cases = {
        {"a clean end", {0}, {minutes(1)}, 1, 0},
        {"a usage error", {2}, {minutes(1)}, 1, 2},
        {"an internal error, then a stop", {4, 0}, {minutes(1), minutes(1)}, 2, 0},
        {"errors one after another", {4, 1, 4, 1, 4}, {minutes(1)}, 4, 1},
        {"errors more than an hour apart",
         {4, 4, 4, 4, 4, 0},
         {minutes(1), minutes(50), minutes(50), minutes(50), minutes(50), minutes(1)},
         6,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::FakeClock clock{testing::utcMoment(2026, 12, 8, 12, 0), testing::FakeTimeZone{}};
        std::vector<std::chrono::steady_clock::time_point> startedAt;
        std::ostringstream err;
        const int status = serveWithRelaunch(
            [&] {
                const std::size_t run = startedAt.size();
                startedAt.push_back(clock.now());
                clock.advance(c.runsFor[std::min(run, c.runsFor.size() - 1)]);
                return c.statuses[std::min(run, c.statuses.size() - 1)];
            },
            [](int ended) { return ended != 0 && ended != 2; }, err, clock);
        EXPECT_EQ(static_cast<int>(startedAt.size()), c.expectedRuns) << err.str();
        EXPECT_EQ(status, c.expectedStatus);
        // Each fresh start 30 s after the end before it.
        for (std::size_t run = 1; run < startedAt.size(); ++run)
            EXPECT_EQ(startedAt[run] - startedAt[run - 1],
                      c.runsFor[std::min(run - 1, c.runsFor.size() - 1)] + seconds(30));
        if (c.expectedRuns == 4) {
            EXPECT_NE(err.str().find("больше не перезапускается"), std::string::npos) << err.str();
        }
    }
}

}  // namespace
}  // namespace qz7
