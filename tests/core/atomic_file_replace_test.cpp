// Whole-file rewrites: a temporary file beside the target, moved over it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/atomic_file.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        folder = fs::temp_directory_path() / ("qz7-atomic-" + std::to_string(random()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::string read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The names in the folder, so that a stray temporary file shows.
    std::vector<std::string> names() {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

    fs::path folder;
};

TEST_F(AtomicFile, CreatesAndReplacesWithExactlyTheBytes) {
    const fs::path target = folder / "ServerSetup_QZ7.cfg";
    const std::string first(
        "\x05"
        "Alpha\r\n\0\x1A\xFF",
        11);
    writeFileAtomically(target, first);
    EXPECT_EQ(read(target), first);

    const std::string second(
        "\x02"
        "Be",
        3);
    writeFileAtomically(target, second);
    EXPECT_EQ(read(target), second);
    EXPECT_EQ(names(), std::vector<std::string>{"ServerSetup_QZ7.cfg"});

    writeFileAtomically(target, "");
    EXPECT_EQ(fs::file_size(target), 0u);
}

TEST_F(AtomicFile, FolderInTheWayIsAnErrorAndLeavesNoTemporary) {
    const fs::path target = folder / "server_mod.cfg";
    fs::create_directory(target);
    EXPECT_THROW(writeFileAtomically(target, "bytes"), FileError);
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(names(), std::vector<std::string>{"server_mod.cfg"});
}

// A write-protected target is an error on every system, although a rename could replace it.
TEST_F(AtomicFile, ProtectedTargetIsAnErrorAndKeepsItsBytes) {
    const fs::path target = folder / "ServerSetup_QZ7.cfg";
    writeFileAtomically(target, "kept");
    fs::permissions(target,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_THROW(writeFileAtomically(target, "lost"), FileError);
    EXPECT_EQ(read(target), "kept");
    EXPECT_EQ(names(), std::vector<std::string>{"ServerSetup_QZ7.cfg"});

    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    writeFileAtomically(target, "replaced");
    EXPECT_EQ(read(target), "replaced");
}

}  // namespace
}  // namespace qz7
