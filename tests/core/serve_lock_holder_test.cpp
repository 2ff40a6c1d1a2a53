// A look at the serve's lock acts only on the id its present holder wrote: what an earlier serve
// left in the file names a process that may be anybody's by now.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/atomic_file.h"
#include "platform/file_lock.h"
#include "server/serve_lock.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

using namespace std::chrono_literals;

TEST(ServeLockHolder, AnIdLeftByAnEarlierServeIsNotTakenForTheHolders) {
    testing::TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / kServeLockFile;
    writeFileAtomically(file, "pid=4242\nsince=2026-12-08T01:30:00.125Z\n");
    EXPECT_FALSE(isFileContentCurrent(file));
    EXPECT_EQ(findServeHolder(folder.path()), std::nullopt);

    // Taken, not yet written: held, but by a holder without id, also after a wait.
    std::unique_ptr<FileLock> lock = FileLock::tryTake(file);
    ASSERT_TRUE(lock);
    EXPECT_TRUE(isFileLocked(file));
    EXPECT_FALSE(isFileContentCurrent(file));
    for (const auto wait : {0ms, 100ms}) {
        const std::optional<ServeHolder> holder = findServeHolder(folder.path(), wait);
        ASSERT_TRUE(holder);
        EXPECT_EQ(holder->processId, 0);
        EXPECT_EQ(holder->since, "");
    }

    // Written by the holder: its own id.
    lock->replaceContent("pid=77\nsince=2026-12-09T10:00:00.000Z\n");
    EXPECT_TRUE(isFileContentCurrent(file));
    const std::optional<ServeHolder> holder = findServeHolder(folder.path());
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->processId, 77);
    EXPECT_EQ(holder->since, "2026-12-09T10:00:00.000Z");

    // Gone: neither held nor current, whatever the file still says.
    lock.reset();
    EXPECT_FALSE(isFileLocked(file));
    EXPECT_FALSE(isFileContentCurrent(file));
    EXPECT_EQ(findServeHolder(folder.path(), 100ms), std::nullopt);
}

TEST(ServeLockHolder, AServeThatTakesTheFolderIsNamedAtOnce) {
    testing::TemporaryFolder folder;
    std::optional<ServeHolder> other;
    const auto since = std::chrono::system_clock::now();
    std::unique_ptr<FileLock> lock = takeServeLock(folder.path(), since, other);
    ASSERT_TRUE(lock);
    const std::optional<ServeHolder> holder = findServeHolder(folder.path());
    ASSERT_TRUE(holder);
    EXPECT_NE(holder->processId, 0);
}

}  // namespace
}  // namespace qz7
