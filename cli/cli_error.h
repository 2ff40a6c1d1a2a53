#pragma once

#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>

namespace qz7::cli {

// Exit statuses of qz7ctl.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// An operation of qz7ctl that failed; the text goes to standard error, in Russian.
class CliError : public std::runtime_error {
  public:
    explicit CliError(const std::string& message, int exitCode = kExitFailed)
        : std::runtime_error(message), exitCode_(exitCode) {}
    int exitCode() const { return exitCode_; }

  private:
    int exitCode_;
};

// Runs a command and gives its exit status; what it throws is said on err and gives the status
// of its kind (a CliError its own, a usage error 2, any other failure 1).
int statusOfCommand(const std::function<int()>& command, std::ostream& err);

}  // namespace qz7::cli
