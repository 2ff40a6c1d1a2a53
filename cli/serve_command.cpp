#include <ostream>

#include "cli/cli_error.h"
#include "cli/serve_commands.h"
#include "platform/console.h"
#include "server/serve_settings.h"
#include "server/serve_status.h"

namespace qz7::cli {

int runServe(GameFolder& game, const ServeOptions& commandLine,
             const std::vector<std::string>& givenOptions, bool minimized, std::ostream& err) {
    if (minimized) minimiseConsoleWindow();
    const ServeOptions options = serveOptionsFor(game.path(), commandLine, givenOptions, err);
    return serve(game.path(), options, err) ? kExitSuccess : kExitFailed;
}

void refuseWhileServed(GameFolder& game, bool force, std::ostream& err) {
    const std::optional<std::string> refusal = refusalWhileServed(game.path());
    if (!refusal) return;
    if (!force) throw CliError(*refusal + " Чтобы выполнить всё равно, добавьте --force.");
    err << *refusal << " Выполняется всё равно (--force).\n";
}

}  // namespace qz7::cli
