#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix_launch_command.h"
#include "platform/process_end_notice.h"
#include "platform/watched_process.h"

namespace qz7 {

struct WatchedProcess::Handle {
    pid_t pid = -1;
};

namespace {

// In the child: input, output and error from and to /dev/null; the errno of a failure goes to
// the pipe, as a failed exec's does.
void discardStandardHandles(int errorPipe) {
    const int nothing = ::open("/dev/null", O_RDWR);
    if (nothing < 0 || ::dup2(nothing, 0) < 0 || ::dup2(nothing, 1) < 0 || ::dup2(nothing, 2) < 0) {
        int error = errno;
        [[maybe_unused]] auto ignored = ::write(errorPipe, &error, sizeof error);
        ::_exit(127);
    }
    if (nothing > 2) ::close(nothing);
}

ProcessEnd endFromStatus(int status) {
    if (WIFSIGNALED(status)) return {0, WTERMSIG(status)};
    return {WEXITSTATUS(status), 0};
}

}  // namespace

std::unique_ptr<WatchedProcess> WatchedProcess::start(const std::filesystem::path& program,
                                                      const std::string& parameters,
                                                      std::string& error, ProgramOutput output) {
    StartResult failure;
    std::vector<std::string> argv = launchCommand(program, parameters, failure);
    if (argv.empty()) {
        error = failure.error;
        return nullptr;
    }
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);

    // A pipe closed on exec tells whether the program could be run.
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = startErrorText(errno);
        return nullptr;
    }
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        error = startErrorText(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return nullptr;
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        ::setpgid(0, 0);
        // The program never outlives this one, however this one ends (killed too): the kernel
        // kills it then. When this one has already gone, it does not run at all.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        if (output == ProgramOutput::Discarded) discardStandardHandles(pipeFds[1]);
        execInChild(args, pipeFds[1]);
    }
    // Set here as well, so that the group exists before anything is sent to it.
    ::setpgid(child, child);
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
    return std::unique_ptr<WatchedProcess>(new WatchedProcess(std::move(handle)));
}

WatchedProcess::WatchedProcess(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

WatchedProcess::~WatchedProcess() {
    if (!end_) kill();
    // The notice's thread ends with the program; it is joined before the program is collected,
    // so that it never waits for another program given the same id.
    notice_.reset();
    if (end_) return;
    int status = 0;
    while (::waitpid(handle_->pid, &status, 0) < 0 && errno == EINTR) {
    }
}

int WatchedProcess::id() const { return handle_->pid; }

void WatchedProcess::endNotice() {
    if (notice_) return;
    notice_ = std::make_unique<ProcessEndNotice>([pid = handle_->pid] {
        // Waits for the end without collecting it (WNOWAIT): the program stays to be collected by
        // collectEnd. Fails at once when it is no child of ours or was collected elsewhere.
        siginfo_t info{};
        while (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
        }
    });
}

std::optional<ProcessEnd> WatchedProcess::collectEnd() {
    int status = 0;
    pid_t got;
    while ((got = ::waitpid(handle_->pid, &status, 0)) < 0 && errno == EINTR) {
    }
    // Collected elsewhere or never ours: nothing is left to wait for.
    if (got != handle_->pid) return ProcessEnd{};
    return endFromStatus(status);
}

void WatchedProcess::requestStop() {
    if (!end_) ::kill(-handle_->pid, SIGTERM);
}

void WatchedProcess::kill() {
    if (!end_) ::kill(-handle_->pid, SIGKILL);
}

int currentProcessId() { return int(::getpid()); }

}  // namespace qz7
