#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/atomic_file.h"

namespace qz7 {

// Earlier versions of the files that hold a host's settings (the template store, the serve
// settings, the alert addresses), kept in this folder beside them before every change, so that
// one wrong click or a bad save never loses what a host had.
inline constexpr const char* kKeptVersionsFolder = "qz7-backups";

// How a change reaches the file: a rewrite puts a new file in its place and leaves the old one
// untouched (a hard link keeps it), an append changes the file in place (only a copy keeps it).
enum class FileChange { Rewrite, Append };

// Keeps the file's present content in qz7-backups/ beside it as "<file>.<UTC time>Z", unless the
// file is missing or equal to its newest kept version, then forgets what the keeping rules no
// longer keep. Never throws: a version that cannot be kept never stops the write that follows;
// it is said once per file (setKeptVersionNotices). A version of an owner-only file is
// owner-only too.
void keepVersionBeforeChange(
    const std::filesystem::path& file, FileChange change, FileAccess access = FileAccess::AsBefore,
    std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

struct KeptVersion {
    std::filesystem::path path;
    std::string fileName;  // the file it is a version of
    std::chrono::system_clock::time_point time;
    std::uintmax_t size = 0;
};

// The versions kept in the folder's qz7-backups/, oldest first (by time, then by file).
std::vector<KeptVersion> keptVersions(const std::filesystem::path& folder);

// The keeping rules: of each file, its last 30 versions and the newest of each of the last 30
// days (UTC) stay; beyond `budget` bytes in all, the oldest go first; the newest version of each
// file always stays. Gives the versions that go.
inline constexpr std::uintmax_t kKeptVersionsBudget = 50ull * 1024 * 1024;
std::vector<KeptVersion> versionsToForget(const std::vector<KeptVersion>& versions,
                                          std::chrono::system_clock::time_point now,
                                          std::uintmax_t budget = kKeptVersionsBudget);

// "ServerSetup_QZ7.cfg.20261208T152151235Z": the file's name and the UTC time to the
// millisecond, valid as a file name on every system and sorted by time.
std::string keptVersionName(const std::string& fileName,
                            std::chrono::system_clock::time_point time);
// The file's name and the time of a version's name; nothing for any other name.
std::optional<std::pair<std::string, std::chrono::system_clock::time_point>> parseKeptVersionName(
    const std::string& name);

// Where a version that could not be kept is said: standard error unless replaced (the test's
// recorder, the window's status). Each file is said once in a process.
void setKeptVersionNotices(std::function<void(const std::string&)> notices);

}  // namespace qz7
