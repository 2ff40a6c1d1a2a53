#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>

#include "platform/platform.h"
#include "server_test_support.h"

namespace qz7 {
namespace {

// Puts a PATH in place for its lifetime.
class PathVariable {
  public:
    explicit PathVariable(const std::filesystem::path& folder) {
        if (const char* value = std::getenv("PATH")) previous_ = value;
        ::setenv("PATH", folder.c_str(), 1);
    }
    ~PathVariable() { ::setenv("PATH", previous_.c_str(), 1); }

  private:
    std::string previous_;
};

class PosixStart : public ::testing::Test {
  protected:
    std::filesystem::path file(const std::string& name) const { return folder.path() / name; }

    testing::TemporaryGameFolder folder;  // the current directory too
};

TEST_F(PosixStart, ReturnsWithoutWaitingAndLeavesNoChildBehind) {
    // The launcher waits (a bounded time) for a file the test creates only after the start
    // returned: a start that waited for it would find the record already written.
    const std::filesystem::path release = file("release");
    testing::writeRecordingLauncher(file("launcher"), file("record"),
                                    "i=0; while [ ! -e \"" + release.string() +
                                        "\" ] && [ $i -lt 3000 ]; do "
                                        "sleep 0.01; i=$((i+1)); done\n");
    StartResult result = systemPlatform().startProgram(file("launcher"), "a");
    EXPECT_TRUE(result.started) << result.error;
    EXPECT_TRUE(testing::recordsOf(file("record")).empty());
    // The intermediate process has been reaped and the launcher belongs to init: this process
    // has no child left to wait for.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    testing::writeBytes(release, "");
    EXPECT_EQ(testing::waitForRecords(file("record"), 1).size(), 1u);
}

TEST_F(PosixStart, ProgramInheritsNoneOfThisProgramsFiles) {
    constexpr int kOpenFile = 77;
    ASSERT_EQ(::dup2(STDERR_FILENO, kOpenFile), kOpenFile);  // without close-on-exec
    // The launcher records, as its one argument, whether that file is open in it.
    testing::writeRecordingLauncher(
        file("launcher"), file("record"),
        "if [ -e /proc/$$/fd/77 ]; then set -- inherited; else set -- closed; fi\n");
    StartResult result = systemPlatform().startProgram(file("launcher"), "");
    ::close(kOpenFile);
    EXPECT_TRUE(result.started) << result.error;
    const std::vector<std::string> records = testing::waitForRecords(file("record"), 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].ends_with("\nclosed\n")) << records[0];
}

TEST_F(PosixStart, WindowsProgramRunsThroughWineFromPath) {
    // A stand-in wine that records what it was asked to run.
    std::filesystem::create_directories(file("bin"));
    testing::writeRecordingLauncher(file("bin/wine"), file("record"));
    testing::writeBytes(file("Launcher.exe"), std::string("MZ\x90\0\3\0", 6));
    PathVariable path(file("bin"));
    StartResult result = systemPlatform().startProgram(file("Launcher.exe"), "+set \"a b\"");
    EXPECT_TRUE(result.started) << result.error;
    const std::vector<std::string> records = testing::waitForRecords(file("record"), 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].ends_with("\n" + file("Launcher.exe").string() + "\n+set\na b\n"))
        << records[0];
}

TEST_F(PosixStart, WindowsProgramWithoutWineIsReported) {
    std::filesystem::create_directories(file("empty"));
    testing::writeBytes(file("Launcher.exe"), "MZ");
    std::filesystem::permissions(file("Launcher.exe"), std::filesystem::perms::owner_all);
    PathVariable path(file("empty"));
    StartResult result = systemPlatform().startProgram(file("Launcher.exe"), "");
    EXPECT_FALSE(result.started);
    EXPECT_NE(result.error.find("wine"), std::string::npos);
}

TEST_F(PosixStart, FilesThatCannotRunAreReported) {
    testing::writeBytes(file("plain"), "#!/bin/sh\n");
    StartResult notExecutable = systemPlatform().startProgram(file("plain"), "");
    EXPECT_FALSE(notExecutable.started);
    EXPECT_EQ(notExecutable.error, "нет права на запуск этого файла");

    // Executable, but no program: the exec itself fails and the start says so.
    testing::writeBytes(file("garbage"), std::string("\x7F\x01\x02\x03", 4));
    std::filesystem::permissions(file("garbage"), std::filesystem::perms::owner_all);
    StartResult notAProgram = systemPlatform().startProgram(file("garbage"), "");
    EXPECT_FALSE(notAProgram.started);
    EXPECT_EQ(notAProgram.error, "файл не является исполняемой программой");

    StartResult missing = systemPlatform().startProgram(file("missing"), "");
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.error, "файл не найден");
}

}  // namespace
}  // namespace qz7

#endif
