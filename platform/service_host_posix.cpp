#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix_launch_command.h"
#include "platform/service_host.h"

extern char** environ;

namespace qz7 {

bool systemdRuns() { return std::filesystem::is_directory("/run/systemd/system"); }

bool runningAsRoot() { return ::geteuid() == 0; }

std::optional<std::string> ownerName(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return std::nullopt;
    const passwd* entry = ::getpwuid(status.st_uid);
    if (!entry) return std::nullopt;
    return std::string(entry->pw_name);
}

bool giveToOwnerOf(const std::filesystem::path& file, const std::filesystem::path& owner) {
    if (::geteuid() != 0) return true;
    struct stat status {};
    if (::stat(owner.c_str(), &status) != 0) return false;
    return ::chown(file.c_str(), status.st_uid, status.st_gid) == 0;
}

bool userLingers(const std::string& user) {
    std::error_code error;
    return !user.empty() &&
           std::filesystem::exists(std::filesystem::path("/var/lib/systemd/linger") / user, error);
}

int runAndWait(const std::vector<std::string>& args, std::string& error) {
    std::vector<char*> argv;
    for (const std::string& argument : args) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
    if (spawned != 0) {
        error = startErrorText(spawned);
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            error = startErrorText(errno);
            return -1;
        }
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    error = "завершена сигналом " + std::to_string(WTERMSIG(status));
    return -1;
}

namespace {

class PosixSystemdHost final : public SystemdHost {
  public:
    UnitFolder unitFolder() override {
        UnitFolder folder;
        folder.systemWide = runningAsRoot();
        if (const char* chosen = std::getenv("QZ7_SERVICE_DIR"); chosen && *chosen) {
            folder.path = chosen;
            folder.overridden = true;
        } else if (folder.systemWide) {
            folder.path = "/etc/systemd/system";
        } else if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
            folder.path = std::filesystem::path(config) / "systemd" / "user";
        } else {
            const char* home = std::getenv("HOME");
            folder.path = std::filesystem::path(home ? home : ".") / ".config" / "systemd" / "user";
        }
        return folder;
    }
    bool systemdRuns() override { return qz7::systemdRuns(); }
    std::optional<std::string> ownerName(const std::filesystem::path& file) override {
        return qz7::ownerName(file);
    }
    bool giveToOwnerOf(const std::filesystem::path& file,
                       const std::filesystem::path& owner) override {
        return qz7::giveToOwnerOf(file, owner);
    }
    int runAndWait(const std::vector<std::string>& args, std::string& error) override {
        return qz7::runAndWait(args, error);
    }
    bool userLingers() override {
        const passwd* entry = ::getpwuid(::geteuid());
        return entry != nullptr && qz7::userLingers(entry->pw_name);
    }
};

}  // namespace

ServiceHosts systemServiceHosts() {
    static PosixSystemdHost host;
    return {&host, nullptr};
}

}  // namespace qz7
