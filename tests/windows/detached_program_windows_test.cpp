// A program started on its own (the serve the window starts), against the real system calls:
// qz7ctl.exe runs in the folder given, its output lands in the file and its exit status comes
// back; a console program gets a console of its own, not shown.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "platform/detached_program.h"
#include "platform/game_paths.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::optional<int> waitForEnd(DetachedProgram& program) {
    for (int attempt = 0; attempt < 1200; ++attempt) {
        if (std::optional<int> status = program.exitStatus()) return status;
        std::this_thread::sleep_for(50ms);
    }
    return std::nullopt;
}

TEST(WindowsDetachedProgram, RunsInTheFolderWithItsOutputInTheFile) {
    testing::TemporaryFolder folder;
    const fs::path game = folder.path() / pathFromUtf8("папка игры");
    fs::create_directories(game);
    const fs::path output = folder.path() / pathFromUtf8("вывод.txt");
    testing::writeBytes(output, "old content that goes");
    std::string error;
    std::unique_ptr<DetachedProgram> program =
        DetachedProgram::start(fs::path(QZ7CTL_EXE), {"status"}, game, output, error);
    ASSERT_TRUE(program) << error;
    EXPECT_GT(program->id(), 0);
    EXPECT_EQ(waitForEnd(*program), 3);  // no serve in that folder
    const std::string shown = testing::readBytes(output).value_or("");
    EXPECT_EQ(shown.rfind("qz7ctl serve: не запущен", 0), 0u) << shown;
}

TEST(WindowsDetachedProgram, AProgramThatCannotRunIsReported) {
    testing::TemporaryFolder folder;
    std::string error;
    EXPECT_FALSE(DetachedProgram::start(folder.path() / "missing.exe", {}, folder.path(),
                                        folder.path() / "output.txt", error));
    EXPECT_FALSE(error.empty());
}

TEST(WindowsDetachedProgram, ACompanionIsFoundBesideThisProgram) {
    EXPECT_EQ(companionProgram("qz7ctl").filename(), fs::path("qz7ctl.exe"));
}

}  // namespace
}  // namespace qz7
