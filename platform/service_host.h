#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qz7 {

// Handing service entries to the system. The entries' text is built in server/service_entry, and
// what goes where in server/service_install, through the host of this system below.

// Where systemd units go and who runs them.
struct UnitFolder {
    std::filesystem::path path;
    bool systemWide = false;  // /etc/systemd/system, for root
    bool overridden = false;  // QZ7_SERVICE_DIR named it: systemctl is never run then
};

// What installing a systemd unit needs of the system (Linux).
class SystemdHost {
  public:
    virtual ~SystemdHost() = default;
    // QZ7_SERVICE_DIR when set (tests and packagers), else /etc/systemd/system for root and the
    // user's own unit folder for everyone else.
    virtual UnitFolder unitFolder() = 0;
    // True when systemd manages this machine.
    virtual bool systemdRuns() = 0;
    // The name of the user who owns the file; nothing when it cannot be read.
    virtual std::optional<std::string> ownerName(const std::filesystem::path& file) = 0;
    // Gives the file to the owner of another file (as root; nothing happens otherwise). False
    // when that failed.
    virtual bool giveToOwnerOf(const std::filesystem::path& file,
                               const std::filesystem::path& owner) = 0;
    // Runs a program found through PATH (args[0] its name) and waits: its exit status, or -1 with
    // the reason in error.
    virtual int runAndWait(const std::vector<std::string>& args, std::string& error) = 0;
    // Whether systemd starts this user's units at boot, without a login (loginctl enable-linger).
    virtual bool userLingers() { return false; }
};

// What installing a logon task needs of the system (Windows): the Task Scheduler, and the user's
// Run key where the Task Scheduler refuses.
class TaskSchedulerHost {
  public:
    virtual ~TaskSchedulerHost() = default;
    // The current user as the Task Scheduler names users: "DOMAIN\user".
    virtual std::string currentUserId() = 0;
    // Registers (or replaces) a task of the current user from its XML; the reason when refused.
    virtual std::optional<std::string> registerTask(const std::string& name,
                                                    const std::string& xml) = 0;
    // Deletes the task; false when there was none (or it could not be deleted).
    virtual bool deleteTask(const std::string& name) = 0;
    // The tasks whose names start with prefix, with their descriptions.
    virtual std::vector<std::pair<std::string, std::string>> tasksStartingWith(
        const std::string& prefix) = 0;
    // HKCU\Software\Microsoft\Windows\CurrentVersion\Run: an error text when not written.
    virtual std::optional<std::string> setRunValue(const std::string& name,
                                                   const std::string& command) = 0;
    virtual bool deleteRunValue(const std::string& name) = 0;
    virtual std::vector<std::pair<std::string, std::string>> runValuesStartingWith(
        const std::string& prefix) = 0;
};

// The service manager of this system: exactly one of the two is set.
struct ServiceHosts {
    SystemdHost* systemd = nullptr;
    TaskSchedulerHost* taskScheduler = nullptr;
};

ServiceHosts systemServiceHosts();

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

// Whether systemd starts the user's units at boot, without a login: loginctl enable-linger left
// /var/lib/systemd/linger/USER.
bool userLingers(const std::string& user);

// Runs a program found through PATH with the arguments (args[0] its name), its output going to
// ours, and waits for it. Its exit status; -1 with the reason in error when it could not run or
// ended by a signal.
int runAndWait(const std::vector<std::string>& args, std::string& error);

#endif

}  // namespace qz7
