#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace qz7
