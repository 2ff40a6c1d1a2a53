#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/file_lock.h"

namespace qz7 {

// The files `qz7ctl serve` keeps in the game folder: its lock (holding it is what "a serve runs
// here" means), its state and its event log.
inline constexpr const char* kServeLockFile = "qz7-serve.lock";
inline constexpr const char* kServeStateFile = "qz7-serve.json";
inline constexpr const char* kServeLogFile = "qz7-serve.log";

// The serve that holds a game folder: its process id and since when (UTC, as in its log), as it
// wrote them into its lock file; 0 and empty when it has not written them yet (the file may then
// still name the serve before it, whose process id is nobody's to act on).
struct ServeHolder {
    int processId = 0;
    std::string since;
};

// The serve that holds the game folder now, by its lock; nothing when none does (a lock file left
// by a killed serve holds nothing). A serve writes its id just after it has taken the lock: a look
// in between waits up to waitForName for it, and gives a holder without id when it has not come.
std::optional<ServeHolder> findServeHolder(
    const std::filesystem::path& gameFolder,
    std::chrono::milliseconds waitForName = std::chrono::milliseconds(0));

// How long a request that signals the serve (stop, restart) waits for its id.
inline constexpr std::chrono::milliseconds kServeNameWait{1500};

// Takes the game folder for this process and writes its id and `since` into the lock file.
// A lock held for a moment by a look (findServeHolder) is waited for, about half a second.
// Nothing when another serve holds it; that one is then in holder. Throws FileError when the lock
// file cannot be opened or written.
std::unique_ptr<FileLock> takeServeLock(const std::filesystem::path& gameFolder,
                                        std::chrono::system_clock::time_point since,
                                        std::optional<ServeHolder>& holder);

// "qz7ctl serve" with its process id and start in local time, for messages: "qz7ctl serve (pid
// 812, с 08.12.2026 04:30:00 (UTC+3))".
std::string serveHolderText(const ServeHolder& holder);

// Where the refusal is shown: on the command line (a serve may run in a console window of its
// own), or in the window (whose serve has no console: it is stopped from the window).
enum class RefusalShownIn { CommandLine, Window };

// Why an operation that would change what the serve runs (forming the files, starting a server,
// removing the ports) is refused while it holds the folder, and how to stop it.
std::string serveHolderRefusal(const ServeHolder& holder,
                               RefusalShownIn shownIn = RefusalShownIn::CommandLine);

}  // namespace qz7
