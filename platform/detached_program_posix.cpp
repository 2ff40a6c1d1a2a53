#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/detached_program.h"
#include "platform/platform.h"
#include "platform/posix_launch_command.h"

namespace qz7 {

struct DetachedProgram::Handle {
    pid_t pid = -1;
};

namespace {

// In the child: its own session, the folder, empty input and the output file; the errno of a
// step that fails goes to the pipe, as a failed exec's does.
void prepareChild(const std::filesystem::path& folder, const std::filesystem::path& outputFile,
                  int errorPipe) {
    auto fail = [errorPipe] {
        int error = errno;
        [[maybe_unused]] auto ignored = ::write(errorPipe, &error, sizeof error);
        ::_exit(127);
    };
    if (::setsid() < 0 || ::chdir(folder.c_str()) != 0) fail();
    const int input = ::open("/dev/null", O_RDONLY);
    const int output = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (input < 0 || output < 0) fail();
    if (::dup2(input, 0) < 0 || ::dup2(output, 1) < 0 || ::dup2(output, 2) < 0) fail();
    if (input > 2) ::close(input);
    if (output > 2) ::close(output);
}

}  // namespace

std::unique_ptr<DetachedProgram> DetachedProgram::start(const std::filesystem::path& program,
                                                        const std::vector<std::string>& arguments,
                                                        const std::filesystem::path& folder,
                                                        const std::filesystem::path& outputFile,
                                                        std::string& error) {
    std::vector<std::string> argv = {program.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);

    // A pipe closed on exec tells whether the program could be run.
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = startErrorText(errno);
        return nullptr;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        error = startErrorText(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return nullptr;
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        prepareChild(folder, outputFile, pipeFds[1]);
        execInChild(args, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(pipeFds[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    if (got == sizeof execError) {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
        error = startErrorText(execError);
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    handle->pid = child;
    return std::unique_ptr<DetachedProgram>(new DetachedProgram(std::move(handle)));
}

DetachedProgram::DetachedProgram(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

// A child still running is left to run; init takes it when this program ends.
DetachedProgram::~DetachedProgram() = default;

int DetachedProgram::id() const { return handle_->pid; }

bool DetachedProgram::insideProgramJob() const { return false; }

std::optional<int> DetachedProgram::exitStatus() {
    if (exitStatus_) return exitStatus_;
    int status = 0;
    pid_t got;
    do {
        got = ::waitpid(handle_->pid, &status, WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == handle_->pid)
        exitStatus_ = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    else if (got < 0)
        exitStatus_ = -1;  // reaped elsewhere: ended, status unknown
    return exitStatus_;
}

std::filesystem::path companionProgram(std::string_view name) {
    return currentPlatform().programFile().parent_path() / std::string(name);
}

}  // namespace qz7
