#include <ostream>

#include "cli/cli_error.h"
#include "cli/serve_commands.h"
#include "platform/console.h"
#include "server/operation_error.h"
#include "server/serve_relaunch.h"
#include "server/serve_settings.h"
#include "server/serve_status.h"

namespace qz7::cli {

int serveExitStatus(ServeEnd end) {
    switch (end) {
        case ServeEnd::Done:
            return kExitSuccess;
        case ServeEnd::Failed:
            return kExitFailed;
        case ServeEnd::InternalError:
            return kExitInternalError;
    }
    return kExitFailed;
}

int runServe(GameFolder& game, const ServeOptions& commandLine,
             const std::vector<std::string>& givenOptions, const ServeRunOptions& run,
             std::ostream& err) {
    if (run.minimized) minimiseConsoleWindow();
    auto serveOnce = [&] {
        const ServeOptions options = serveOptionsFor(game.path(), commandLine, givenOptions, err);
        return serveExitStatus(serve(game.path(), options, err));
    };
    if (!run.restartOnFailure) return serveOnce();
    // As the systemd unit: every failure but a usage error, which does not mend itself.
    return serveWithRelaunch(
        [&] { return statusOfCommand(serveOnce, err); },
        [](int status) { return status != kExitSuccess && status != kExitUsage; }, err);
}

void refuseWhileServed(GameFolder& game, bool force, std::ostream& err) {
    const std::optional<std::string> refusal = refusalWhileServed(game.path());
    if (!refusal) return;
    if (!force) throw CliError(*refusal + " Чтобы выполнить всё равно, добавьте --force.");
    err << *refusal << " Выполняется всё равно (--force).\n";
}

}  // namespace qz7::cli
