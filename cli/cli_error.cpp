#include "cli/cli_error.h"

#include <ostream>

#include "server/operation_error.h"

namespace qz7::cli {

int statusOfCommand(const std::function<int()>& command, std::ostream& err) {
    try {
        return command();
    } catch (const CliError& e) {
        err << e.what() << "\n";
        return e.exitCode();
    } catch (const OperationError& e) {
        err << e.what() << "\n";
        return e.kind() == OperationError::Kind::Usage ? kExitUsage : kExitFailed;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return kExitFailed;
    }
}

}  // namespace qz7::cli
