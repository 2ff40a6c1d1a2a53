#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7::testing {

// Writes an executable shell script.
inline void writeScript(const std::filesystem::path& file, const std::string& body) {
    writeBytes(file, "#!/bin/sh\n" + body);
    std::filesystem::permissions(file, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
}

// A stand-in launcher that records its working folder and then its arguments, one a line, in
// <record>.<process id>; each record appears whole through a rename.
inline void writeRecordingLauncher(const std::filesystem::path& launcher,
                                   const std::filesystem::path& record,
                                   const std::string& before = "") {
    const std::string target = "\"" + record.string() + ".$$\"";
    writeScript(launcher, before + "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > " +
                              target + ".part\n" + "/bin/mv " + target + ".part " + target + "\n");
}

// The records a recording launcher has written so far.
inline std::vector<std::string> recordsOf(const std::filesystem::path& record) {
    std::vector<std::string> found;
    const std::string prefix = record.filename().string() + ".";
    for (const auto& entry : std::filesystem::directory_iterator(record.parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && !name.ends_with(".part"))
            found.push_back(readWholeFile(entry.path()));
    }
    return found;
}

// Waits a bounded time until the recording launcher has written this many records, and returns
// what is there then.
inline std::vector<std::string> waitForRecords(const std::filesystem::path& record,
                                               std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::vector<std::string> found = recordsOf(record);
    while (found.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        found = recordsOf(record);
    }
    return found;
}

}  // namespace qz7::testing
