#include "qz7ctl_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7::testing {

ProcessResult runQz7ctl(const std::vector<std::string>& arguments,
                        const std::filesystem::path& folder) {
    std::vector<std::string> argv{QZ7CTL_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProgram(argv, folder);
}

ProcessResult runProgram(std::vector<std::string> argv, const std::filesystem::path& folder) {
    const TemporaryFolder capture;
    const std::filesystem::path outFile = capture.path() / "out";
    const std::filesystem::path errFile = capture.path() / "err";
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);

    pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int in = ::open("/dev/null", O_RDONLY);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::dup2(in, 0);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ProcessResult result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readBytes(outFile).value_or("");
    result.err = readBytes(errFile).value_or("");
    return result;
}

}  // namespace qz7::testing
