#ifndef _WIN32

#include "platform/detached_program.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void writeScript(const fs::path& file, const std::string& body) {
    std::ofstream(file) << "#!/bin/sh\n" << body;
    fs::permissions(file, fs::perms::owner_all);
}

// Waits, at most 30 s, until the file holds a whole last line.
std::string waitForLine(const fs::path& file) {
    for (int attempt = 0; attempt < 600; ++attempt) {
        const std::string text = testing::readBytes(file).value_or("");
        if (!text.empty() && text.back() == '\n') return text;
        std::this_thread::sleep_for(50ms);
    }
    return testing::readBytes(file).value_or("(nothing)");
}

std::optional<int> waitForEnd(DetachedProgram& program) {
    for (int attempt = 0; attempt < 600; ++attempt) {
        if (std::optional<int> status = program.exitStatus()) return status;
        std::this_thread::sleep_for(50ms);
    }
    return std::nullopt;
}

// The session a process belongs to, from /proc.
pid_t sessionOf(pid_t process) {
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // "pid (name) state ppid pgrp session ...": the name may hold blanks, so count after ")".
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string state;
    pid_t parent = 0, group = 0, session = 0;
    fields >> state >> parent >> group >> session;
    return session;
}

TEST(DetachedProgram, RunsInTheFolderWithEmptyInputAndItsOutputInTheFile) {
    testing::TemporaryFolder folder;
    const fs::path script = folder.path() / "program";
    writeScript(script,
                "pwd\n"
                "printf '%s|' \"$@\"; echo\n"
                "if read line; then echo \"input: $line\"; else echo 'no input'; fi\n"
                "echo 'on standard error' >&2\n"
                "exit 3\n");
    fs::create_directory(folder.path() / "папка игры");
    const fs::path output = folder.path() / "output.txt";
    std::ofstream(output) << "old content that goes\n";
    std::string error;
    std::unique_ptr<DetachedProgram> program = DetachedProgram::start(
        script, {"--game-dir", "a b", "-- x"}, folder.path() / "папка игры", output, error);
    ASSERT_TRUE(program) << error;
    EXPECT_GT(program->id(), 0);
    EXPECT_EQ(waitForEnd(*program), 3);
    EXPECT_EQ(testing::readBytes(output), (folder.path() / "папка игры").string() +
                                              "\n--game-dir|a b|-- x|\nno input\non standard "
                                              "error\n");
}

// The program outlives the one that started it, in a session of its own: neither that program's
// end nor a hang-up of its terminal reaches it.
TEST(DetachedProgram, OutlivesTheProgramThatStartedIt) {
    testing::TemporaryFolder folder;
    const fs::path script = folder.path() / "program";
    writeScript(script, "echo $$; exec sleep 60\n");
    const fs::path output = folder.path() / "output.txt";
    const pid_t starter = ::fork();
    ASSERT_GE(starter, 0);
    if (starter == 0) {
        std::string error;
        std::unique_ptr<DetachedProgram> program =
            DetachedProgram::start(script, {}, folder.path(), output, error);
        ::_exit(program ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(starter, &status, 0), starter);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const pid_t program = std::stoi(waitForLine(output));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(::kill(program, 0), 0) << "ended with the program that started it";
    EXPECT_EQ(sessionOf(program), program);
    EXPECT_NE(sessionOf(program), sessionOf(::getpid()));
    ::kill(program, SIGKILL);
}

TEST(DetachedProgram, AProgramThatCannotRunIsReported) {
    testing::TemporaryFolder folder;
    std::string error;
    EXPECT_FALSE(DetachedProgram::start(folder.path() / "missing", {}, folder.path(),
                                        folder.path() / "output.txt", error));
    EXPECT_FALSE(error.empty());
    const fs::path notExecutable = folder.path() / "plain.txt";
    std::ofstream(notExecutable) << "text";
    error.clear();
    EXPECT_FALSE(DetachedProgram::start(notExecutable, {}, folder.path(),
                                        folder.path() / "output.txt", error));
    EXPECT_FALSE(error.empty());
    // A folder it cannot start in.
    writeScript(folder.path() / "program", "exit 0\n");
    error.clear();
    EXPECT_FALSE(DetachedProgram::start(folder.path() / "program", {}, folder.path() / "none",
                                        folder.path() / "output.txt", error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace qz7

#endif
