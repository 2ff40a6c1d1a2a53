#include <chrono>
#include <ostream>
#include <thread>

#include "cli/serve_commands.h"
#include "server/serve_log_reader.h"

namespace qz7::cli {

namespace {
constexpr std::chrono::milliseconds kFollowInterval{200};
}

void runLog(GameFolder& game, int lines, bool follow, std::ostream& out) {
    ServeLogReader log(game.path());
    out << log.lastLines(lines) << std::flush;
    // Followed until the user ends qz7ctl.
    while (follow) {
        std::this_thread::sleep_for(kFollowInterval);
        out << log.newLines() << std::flush;
    }
}

}  // namespace qz7::cli
