#include <ostream>

#include "cli/cli_error.h"
#include "cli/serve_commands.h"
#include "net/json_text.h"
#include "server/serve_status.h"

namespace qz7::cli {

int runStatus(GameFolder& game, bool json, std::ostream& out) {
    const ServeStatus status = readServeStatus(game.path());
    if (json)
        out << jsonText(serveStatusJson(status), 2) << "\n";
    else
        for (const std::string& line : serveStatusLines(status)) out << line << "\n";
    return status.running() ? kExitSuccess : kExitNotRunning;
}

}  // namespace qz7::cli
