#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qz7 {

// Handing service entries to the system. The entries' text is built in server/service_entry.

#ifdef _WIN32

// The current user as the Task Scheduler names users: "DOMAIN\user".
std::string currentUserId();

// Registers (or replaces) a task of the current user in the Task Scheduler's root folder from its
// XML; the Task Scheduler's reason when it refuses.
std::optional<std::string> registerTask(const std::string& name, const std::string& xml);
// Deletes the task; false when there was none (or it could not be deleted).
bool deleteTask(const std::string& name);
// The tasks of the root folder whose names start with prefix, with their descriptions.
std::vector<std::pair<std::string, std::string>> tasksStartingWith(const std::string& prefix);

// The current user's Run key (HKCU\Software\Microsoft\Windows\CurrentVersion\Run): its values
// start programs at logon. An error text when the value could not be written.
std::optional<std::string> setRunValue(const std::string& name, const std::string& command);
bool deleteRunValue(const std::string& name);
std::vector<std::pair<std::string, std::string>> runValuesStartingWith(const std::string& prefix);

#else

// True when systemd manages this machine (/run/systemd/system exists).
bool systemdRuns();

// True when the program runs as root.
bool runningAsRoot();

// The name of the user who owns the file; nothing when it cannot be read.
std::optional<std::string> ownerName(const std::filesystem::path& file);

// Gives the file to the owner of another file (as root; nothing happens otherwise). False when
// that failed.
bool giveToOwnerOf(const std::filesystem::path& file, const std::filesystem::path& owner);

// Runs a program found through PATH with the arguments (args[0] its name), its output going to
// ours, and waits for it. Its exit status; -1 with the reason in error when it could not run or
// ended by a signal.
int runAndWait(const std::vector<std::string>& args, std::string& error);

#endif

}  // namespace qz7
