#include <arpa/inet.h>
#include <fcntl.h>
#include <langinfo.h>
#include <netdb.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <vector>

#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/posix_launch_command.h"
#include "platform/system_error_text.h"
#include "platform/windows_command_line.h"

namespace qz7 {

namespace {

// A Windows program file starts with "MZ"; it runs through wine here.
bool isWindowsProgram(const std::filesystem::path& program) {
    std::ifstream in(program, std::ios::binary);
    char magic[2] = {};
    return in.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
}

std::optional<std::filesystem::path> findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return std::nullopt;
    std::string folders(path);
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::filesystem::path candidate =
            std::filesystem::path(folders.substr(start, end - start)) / name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace

std::string startErrorText(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "нет права на запуск этого файла";
        case ENOENT:
            return "файл не найден";
        case ENOEXEC:
            return "файл не является исполняемой программой";
        default:
            return errnoText(error);
    }
}

void execInChild(const std::vector<char*>& args, int errorPipe) {
    // The program starts clean: no signal blocked, the signals this program handles or ignores
    // at their defaults, and none of this program's open files or sockets (the pipe is closed
    // by the exec as well).
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM}) ::signal(signal, SIG_DFL);
#ifdef CLOSE_RANGE_CLOEXEC
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
    ::execv(args[0], args.data());
    int error = errno;
    [[maybe_unused]] auto ignored = ::write(errorPipe, &error, sizeof error);
    ::_exit(127);
}

std::vector<std::string> launchCommand(const std::filesystem::path& program,
                                       const std::string& parameters, StartResult& failure) {
    std::vector<std::string> argv;
    if (isWindowsProgram(program)) {
        std::optional<std::filesystem::path> wine = findOnPath("wine");
        if (!wine) {
            failure = {false, "Программа для Windows, а wine не установлен"};
            return {};
        }
        argv.push_back(wine->string());
    } else if (::access(program.c_str(), X_OK) != 0) {
        failure = {false, startErrorText(errno)};
        return {};
    }
    argv.push_back(program.string());
    for (std::string& argument : splitWindowsCommandLine(parameters))
        argv.push_back(std::move(argument));
    return argv;
}

namespace {

// Starts argv detached: the grandchild runs the program in its own session, the child exits at
// once and is reaped here, so nothing is waited for and no zombie stays. A pipe closed on exec
// tells whether the program could be run.
StartResult spawnDetached(const std::vector<std::string>& argv) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {false, startErrorText(errno)};

    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t child = ::fork();
    if (child < 0) {
        int error = errno;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return {false, startErrorText(error)};
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild == 0) execInChild(args, pipeFds[1]);
        if (grandchild < 0) {
            int error = errno;
            [[maybe_unused]] auto ignored = ::write(pipeFds[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int error = 0;
    ssize_t got;
    do {
        got = ::read(pipeFds[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (got == sizeof error) return {false, startErrorText(error)};
    return {true, {}};
}

class PosixPlatform final : public Platform {
  public:
    StartResult startProgram(const std::filesystem::path& program,
                             const std::string& parameters) override {
        StartResult failure;
        std::vector<std::string> argv = launchCommand(program, parameters, failure);
        if (argv.empty()) return failure;
        return spawnDetached(argv);
    }

    std::error_code copyFileOverwriting(const std::filesystem::path& from,
                                        const std::filesystem::path& to) override {
        std::error_code error;
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                   error);
        return error;
    }

    std::optional<std::string> userName() override {
        const passwd* entry = ::getpwuid(::geteuid());
        if (entry == nullptr || entry->pw_name == nullptr) return std::nullopt;
        return std::string(entry->pw_name);
    }

    std::string localIPv4Address() override {
        char host[128] = {};
        if (::gethostname(host, sizeof host - 1) != 0) return {};
        addrinfo hints{};
        hints.ai_family = AF_INET;
        addrinfo* found = nullptr;
        if (::getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) return {};
        char text[INET_ADDRSTRLEN] = {};
        auto* address = reinterpret_cast<sockaddr_in*>(found->ai_addr);
        ::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
        ::freeaddrinfo(found);
        return text;
    }

    std::string fileVersion(const std::filesystem::path& file) override {
        // Only this program's own file carries a version here: the one compiled into it.
        std::error_code error;
        if (std::filesystem::equivalent(file, programFile(), error)) return QZ7_FILE_VERSION;
        return {};
    }

    std::filesystem::path programFile() override {
        std::error_code error;
        std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
        return error ? std::filesystem::path() : self;
    }

    std::optional<std::chrono::system_clock::time_point> lastModified(
        const std::filesystem::path& file) override {
        std::error_code error;
        auto time = std::filesystem::last_write_time(file, error);
        if (error) return std::nullopt;
        return std::chrono::file_clock::to_sys(time);
    }

    std::string dateSeparator() override {
        // The first character of the locale's date format that is not part of a field.
        std::string format = ::nl_langinfo(D_FMT);
        for (std::size_t i = 0; i < format.size(); ++i) {
            if (format[i] == '%') {
                ++i;
                continue;
            }
            return std::string(1, format[i]);
        }
        return "/";
    }
};

}  // namespace

Platform& systemPlatform() {
    static PosixPlatform platform;
    return platform;
}

LocalDate localDate(std::chrono::system_clock::time_point time) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_mday, local.tm_mon + 1, local.tm_year + 1900};
}

std::string machineName() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || host[0] == 0) return "?";
    return host;
}

}  // namespace qz7
