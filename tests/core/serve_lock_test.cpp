#include "server/serve_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/watched_process.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

// A look at the lock holds it for a moment; a serve starting meanwhile waits it out instead of
// taking the folder for held. Another serve's hold is still refused, naming it.
TEST(ServeLock, LooksInATightLoopNeverMakeAStartingServeRefuseButAHolderDoes) {
    testing::TemporaryFolder folder;
    std::atomic<bool> done{false};
    std::atomic<long> looks{0};
    std::thread looker([&] {
        while (!done) {
            findServeHolder(folder.path());
            ++looks;
        }
    });
    // A failed assertion returns at once: the looker is stopped and joined on every way out.
    struct StopLooker {
        std::atomic<bool>& done;
        std::thread& looker;
        ~StopLooker() {
            done = true;
            looker.join();
        }
    } stopLooker{done, looker};
    const auto since = std::chrono::system_clock::now();
    for (int start = 0; start < 100; ++start) {
        std::optional<ServeHolder> holder;
        const std::unique_ptr<FileLock> lock = takeServeLock(folder.path(), since, holder);
        ASSERT_NE(lock, nullptr) << "start " << start << " refused after " << looks << " looks";
        if (start > 0) continue;
        std::optional<ServeHolder> second;
        EXPECT_EQ(takeServeLock(folder.path(), since, second), nullptr);
        ASSERT_TRUE(second.has_value());
        EXPECT_EQ(second->processId, currentProcessId());
    }
    EXPECT_GT(looks.load(), 100);
}

}  // namespace
}  // namespace qz7
