#include "server/serve_files.h"

#include <gtest/gtest.h>

#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7::testing {
namespace {

TEST(ServeLogFile, RotatesBeforeALineWouldPassTheLimitAndKeepsThreeOldFiles) {
    TemporaryFolder folder;
    const std::filesystem::path log = folder.path() / "qz7-serve.log";
    ServeLogFile file(log, 20);  // two lines of nine bytes and their line ends fit
    for (char c = 'a'; c <= 'j'; ++c) file.append(std::string(9, c));
    EXPECT_EQ(readBytes(log), "iiiiiiiii\njjjjjjjjj\n");
    EXPECT_EQ(readBytes(olderLogFile(log, 1)), "ggggggggg\nhhhhhhhhh\n");
    EXPECT_EQ(readBytes(olderLogFile(log, 3)), "ccccccccc\nddddddddd\n");
    EXPECT_FALSE(std::filesystem::exists(olderLogFile(log, 4)));
}

TEST(ServeStateFile, CountsRestartsAndCrashesFromTheEvents) {
    TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "qz7-serve.json";
    const auto now = std::chrono::system_clock::now();
    ServeStateFile state(file, "Турнир", now);
    auto take = [&](const char* name, nlohmann::json fields) {
        state.take({now, name, std::string(name) + " ...", std::move(fields)});
    };
    take("started", {{"pid", 11}, {"nextRestart", nullptr}});
    take("crashed", {{"pid", 11}, {"crashesInWindow", 1}});
    take("started", {{"pid", 12}, {"nextRestart", "2026-12-08T04:00:00.000Z"}});
    take("stopped-for-restart", {{"pid", 12}});
    take("started", {{"pid", 13}, {"nextRestart", "2026-12-09T04:00:00.000Z"}});
    // A restart a host asked for, and one that could not be formed.
    take("stopped-for-restart", {{"pid", 13}, {"requested", true}});
    take("started", {{"pid", 14}, {"nextRestart", "2026-12-09T04:00:00.000Z"}});
    take("restart-postponed",
         {{"pid", 14}, {"requested", true}, {"nextRestart", "2026-12-09T04:00:00.000Z"}});
    const nlohmann::json written = nlohmann::json::parse(*readBytes(file));
    EXPECT_EQ(written, state.state());
    EXPECT_EQ(written["serverPid"], 14);
    EXPECT_EQ(written["restarts"], 3);
    EXPECT_EQ(written["scheduledRestarts"], 1);
    EXPECT_EQ(written["requestedRestarts"], 1);
    EXPECT_EQ(written["lastRefusedRestart"]["message"], "restart-postponed ...");
    EXPECT_EQ(written["crashesInWindow"], 0);
    EXPECT_EQ(written["lastCrash"]["message"], "crashed ...");
    EXPECT_EQ(written["lastExit"]["message"], "stopped-for-restart ...");
    EXPECT_EQ(written["nextRestart"], "2026-12-09T04:00:00.000Z");
    EXPECT_EQ(written["template"], "Турнир");
}

}  // namespace
}  // namespace qz7::testing
