#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qz7::testing {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built qz7ctl with the arguments in the folder and waits for it (at most a minute).
ProcessResult runQz7ctl(const std::vector<std::string>& arguments,
                        const std::filesystem::path& folder);

// Runs a program (looked up on PATH unless given with a folder) the same way.
ProcessResult runProgram(std::vector<std::string> argv, const std::filesystem::path& folder);

}  // namespace qz7::testing
