// Whole-file rewrites: a temporary file beside the target, moved over it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qz7 {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
  protected:
    // The names in the folder, so that a stray temporary file shows.
    std::vector<std::string> names() {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

    testing::TemporaryFolder folder;
};

TEST_F(AtomicFile, CreatesAndReplacesWithExactlyTheBytes) {
    const fs::path target = folder.path() / "ServerSetup_QZ7.cfg";
    const std::string first(
        "\x05"
        "Alpha\r\n\0\x1A\xFF",
        11);
    writeFileAtomically(target, first);
    EXPECT_EQ(testing::readBytes(target), first);

    const std::string second(
        "\x02"
        "Be",
        3);
    writeFileAtomically(target, second);
    EXPECT_EQ(testing::readBytes(target), second);
    EXPECT_EQ(names(), std::vector<std::string>{"ServerSetup_QZ7.cfg"});

    writeFileAtomically(target, "");
    EXPECT_EQ(fs::file_size(target), 0u);
}

// A reader that has the file open (a window or qz7ctl status polling a state file) never makes a
// replace or a rename of it fail; on Windows it shares the file's deletion.
TEST_F(AtomicFile, AReaderNeverStandsInTheWayOfAReplaceOrARename) {
    const fs::path file = folder.path() / "qz7-serve.json";
    writeFileAtomically(file, std::string(100, 'a'));
    std::string read;
    int blocks = 0;
    readFileInBlocks(
        file,
        [&](std::string_view block) {
            read += block;
            if (++blocks == 1) {
                writeFileAtomically(file, "new");
                ASSERT_FALSE(renameFile(file, folder.path() / "qz7-serve.json.1"));
                writeFileAtomically(file, "newer");
            }
        },
        10);
    EXPECT_EQ(read, std::string(100, 'a'));
    EXPECT_EQ(testing::readBytes(file), "newer");
    EXPECT_EQ(testing::readBytes(folder.path() / "qz7-serve.json.1"), "new");
}

TEST_F(AtomicFile, FolderInTheWayIsAnErrorAndLeavesNoTemporary) {
    const fs::path target = folder.path() / "server_mod.cfg";
    fs::create_directory(target);
    try {
        writeFileAtomically(target, "bytes");
        ADD_FAILURE() << "a folder was replaced";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.code()) << "the failed call's error number is carried";
        EXPECT_EQ(error.file(), target);
    }
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(names(), std::vector<std::string>{"server_mod.cfg"});
}

// A write-protected target is an error on every system, although a rename could replace it.
TEST_F(AtomicFile, ProtectedTargetIsAnErrorAndKeepsItsBytes) {
    const fs::path target = folder.path() / "ServerSetup_QZ7.cfg";
    writeFileAtomically(target, "kept");
    fs::permissions(target,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_THROW(writeFileAtomically(target, "lost"), FileError);
    EXPECT_EQ(testing::readBytes(target), "kept");
    EXPECT_EQ(names(), std::vector<std::string>{"ServerSetup_QZ7.cfg"});

    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    writeFileAtomically(target, "replaced");
    EXPECT_EQ(testing::readBytes(target), "replaced");
}

// A killed writer leaves its temporary file; the next write of the same file removes it.
TEST_F(AtomicFile, LeftoverTemporaryIsRemovedByTheNextWrite) {
    const fs::path target = folder.path() / "ServerSetup_QZ7.cfg";
    testing::writeBytes(folder.path() / "ServerSetup_QZ7.cfg.qz7-tmp", "half a rec");
    writeFileAtomically(target, "whole");
    EXPECT_EQ(testing::readBytes(target), "whole");
    EXPECT_EQ(names(), std::vector<std::string>{"ServerSetup_QZ7.cfg"});
}

#ifndef _WIN32
// The store holds server passwords: a private file stays private, and keeps its owner.
TEST_F(AtomicFile, ReplacementKeepsModeOwnerAndGroup) {
    const fs::path target = folder.path() / "ServerSetup_QZ7.cfg";
    writeFileAtomically(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
    }
    writeFileAtomically(target, "new");
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(std::pair(after.st_uid, after.st_gid), std::pair(uid_t(4321), gid_t(4322)));
    }
    EXPECT_EQ(testing::readBytes(target), "new");
}

TEST_F(AtomicFile, SymbolicLinkStaysAndItsTargetIsReplaced) {
    fs::create_directory(folder.path() / "real");
    const fs::path real = folder.path() / "real" / "server_mod.cfg";
    writeFileAtomically(real, "old");
    const fs::path link = folder.path() / "server_mod.cfg";
    fs::create_symlink("real/server_mod.cfg", link);
    writeFileAtomically(link, "new");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(testing::readBytes(real), "new");
    EXPECT_EQ(names(), (std::vector<std::string>{"real", "server_mod.cfg"}));
}
#endif

TEST_F(AtomicFile, FullDiskCarriesItsErrorNumber) {
    const fs::path target = folder.path() / "ServerSetup_QZ7.cfg";
    writeFileAtomically(target, "kept");
    setAtomicWriteFailureForTesting(2);
    try {
        writeFileAtomically(target, "lost bytes");
        ADD_FAILURE() << "a full disk was not reported";
    } catch (const FileError& error) {
#ifdef _WIN32
        EXPECT_EQ(error.code().value(), 112);  // ERROR_DISK_FULL
#else
        EXPECT_EQ(error.code(), std::errc::no_space_on_device);
#endif
    }
    setAtomicWriteFailureForTesting(std::nullopt);
    EXPECT_EQ(testing::readBytes(target), "kept");
    EXPECT_EQ(names(), std::vector<std::string>{"ServerSetup_QZ7.cfg"});
}

// A file written piece by piece: small pieces gathered into blocks and pieces larger than a
// block, in order; a full disk counted over all of them; a producer that fails part-way.
TEST_F(AtomicFile, PiecesAreWrittenInOrderAndAFailurePartWayKeepsTheOldFile) {
    const fs::path target = folder.path() / "ServerSetup_QZ7.cfg";
    const std::vector<std::string> pieces = {"head", std::string(3 << 20, 'x'), "",
                                             "mid",  std::string(700000, 'y'),  "tail"};
    auto produce = [&pieces](const ByteSink& sink) {
        for (const std::string& piece : pieces) sink(piece);
    };
    writeFileAtomically(target, produce);
    std::string whole;
    for (const std::string& piece : pieces) whole += piece;
    EXPECT_EQ(testing::readBytes(target), whole);

    writeFileAtomically(target, "kept");
    setAtomicWriteFailureForTesting((3 << 20) + 100);
    EXPECT_THROW(writeFileAtomically(target, produce), FileError);
    setAtomicWriteFailureForTesting(std::nullopt);
    EXPECT_THROW(writeFileAtomically(target,
                                     [](const ByteSink& sink) {
                                         sink("half");
                                         throw std::runtime_error("the records ran out");
                                     }),
                 std::runtime_error);
    EXPECT_EQ(testing::readBytes(target), "kept");
    EXPECT_EQ(names(), std::vector<std::string>{"ServerSetup_QZ7.cfg"});
}

}  // namespace
}  // namespace qz7
