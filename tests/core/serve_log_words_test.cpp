#include <gtest/gtest.h>

#include <sstream>

#include "server/serve_log.h"

namespace qz7 {
namespace {

using Kind = SupervisorEventKind;

std::string gaveUpLine(const std::vector<SupervisorEvent>& before, int crashes) {
    std::ostringstream err;
    ServeLog log(err, false, std::chrono::minutes(10));
    for (const SupervisorEvent& event : before) log.report(event);
    SupervisorEvent gaveUp;
    gaveUp.kind = Kind::GaveUp;
    gaveUp.crashesInWindow = crashes;
    log.report(gaveUp);
    const std::string text = err.str();
    return text.substr(text.rfind("сервер "));
}

// The end of restarts counts in Russian, and a clean end counted with them is not called a crash.
TEST(ServeLogWords, GivingUpCountsInRussianAndNamesCleanExitsForWhatTheyAre) {
    EXPECT_EQ(gaveUpLine({}, 3).rfind("сервер упал 3 раза за ", 0), 0u) << gaveUpLine({}, 3);
    EXPECT_EQ(gaveUpLine({}, 5).rfind("сервер упал 5 раз за ", 0), 0u);
    EXPECT_EQ(gaveUpLine({}, 21).rfind("сервер упал 21 раз за ", 0), 0u);
    SupervisorEvent counted;
    counted.kind = Kind::ExitedCleanly;
    counted.crashesInWindow = 1;
    const std::string line = gaveUpLine({counted}, 2);
    EXPECT_EQ(line.rfind("сервер упал или завершился сам 2 раза за ", 0), 0u) << line;
}

}  // namespace
}  // namespace qz7
