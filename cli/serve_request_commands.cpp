// `qz7ctl stop` and `qz7ctl restart`: requests to the serve of the game folder.
#include <ostream>

#include "cli/cli_error.h"
#include "cli/serve_commands.h"
#include "server/serve_requests.h"

namespace qz7::cli {

namespace {

int printed(const ServeRequestResult& result, std::ostream& out) {
    out << result.message << "\n";
    return result.served ? kExitSuccess : kExitNotRunning;
}

void printLine(std::ostream& out, const std::string& line) { out << line << "\n" << std::flush; }

}  // namespace

int runStop(GameFolder& game, std::ostream& out) {
    return printed(
        stopServe(game.path(), [&out](const std::string& line) { printLine(out, line); }), out);
}

int runRestart(GameFolder& game, std::ostream& out) {
    return printed(
        restartServedServer(game.path(), [&out](const std::string& line) { printLine(out, line); }),
        out);
}

}  // namespace qz7::cli
