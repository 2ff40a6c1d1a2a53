// Which resource files the built programs carry, found by their bytes in the program files:
// qz7ctl holds the map texts, which it names and checks maps with, and none of the map pictures,
// which only the windows show; qz7manager holds every picture. Each program is searched the same
// way for what it must hold and for what it must not, so the search itself is checked too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"

namespace qz7::testing {
namespace {

struct ResourceFile {
    std::string name;
    std::string bytes;
};

// Every file of one resources/ folder with the given extension, in name order.
std::vector<ResourceFile> resourceFiles(const std::string& folder, const std::string& extension) {
    std::vector<ResourceFile> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(QZ7_RESOURCE_DIR) / folder)) {
        if (entry.path().extension() != extension) continue;
        files.push_back({entry.path().filename().string(), readBytes(entry.path()).value_or("")});
    }
    std::sort(files.begin(), files.end(),
              [](const ResourceFile& a, const ResourceFile& b) { return a.name < b.name; });
    return files;
}

bool holds(const std::string& program, const std::string& bytes) {
    return std::search(program.begin(), program.end(),
                       std::boyer_moore_horspool_searcher(bytes.begin(), bytes.end())) !=
           program.end();
}

struct Expectation {
    const char* program;  // path of the built program
    const char* folder;   // resources/ folder
    const char* extension;
    std::size_t files;  // how many files the folder has
    bool held;          // the program holds every file (true) or none (false)
};

void PrintTo(const Expectation& expectation, std::ostream* out) {
    *out << std::filesystem::path(expectation.program).filename().string() << " "
         << (expectation.held ? "holds" : "lacks") << " resources/" << expectation.folder;
}

class ProgramResources : public ::testing::TestWithParam<Expectation> {};

TEST_P(ProgramResources, HoldsEveryFileOrNone) {
    const Expectation& expectation = GetParam();
    const auto program = readBytes(expectation.program);
    ASSERT_TRUE(program.has_value()) << expectation.program;
    ASSERT_GT(program->size(), 100000u) << expectation.program;
    const std::vector<ResourceFile> files =
        resourceFiles(expectation.folder, expectation.extension);
    ASSERT_EQ(files.size(), expectation.files);
    for (const ResourceFile& file : files) {
        ASSERT_GT(file.bytes.size(), 500u) << file.name;
        EXPECT_EQ(holds(*program, file.bytes), expectation.held)
            << expectation.program << (expectation.held ? " lacks " : " holds ") << file.name;
    }
}

const Expectation kExpectations[] = {
    {QZ7CTL_PATH, "text", ".txt", 2, true},
    {QZ7CTL_PATH, "maps", ".jpg", 36, false},
#ifdef QZ7MANAGER_PATH
    {QZ7MANAGER_PATH, "text", ".txt", 2, true},
    {QZ7MANAGER_PATH, "maps", ".jpg", 36, true},
#endif
};

INSTANTIATE_TEST_SUITE_P(BuiltPrograms, ProgramResources, ::testing::ValuesIn(kExpectations),
                         [](const ::testing::TestParamInfo<Expectation>& info) {
                             const std::string program =
                                 std::filesystem::path(info.param.program).stem().string();
                             return program + "_" + info.param.folder;
                         });

}  // namespace
}  // namespace qz7::testing
