#include "cli/firewall_commands.h"

#include <ostream>

#include "cli/cli_error.h"
#include "net/firewall_rules.h"
#include "platform/firewall.h"
#include "platform/platform.h"
#include "server/launchers.h"

namespace qz7::cli {

void runFirewallCommand(const std::string& action, bool mayPrompt,
                        const std::filesystem::path& gameFolder, std::ostream& out) {
    Firewall& firewall = currentFirewall();
    if (!firewall.available())
        throw CliError(
            "Команда firewall только для Windows: брандмауэра Windows на этой системе "
            "нет, ничего не сделано");
    const std::filesystem::path launcher = launcherPath(gameFolder, kServerLauncherName);
    if (action == "status") {
        const FirewallStatus status = checkFirewall(firewall, launcher);
        const std::vector<std::string> lines = firewallStatusLines(status);
        if (!status.read) throw CliError(lines.front());
        for (const std::string& line : lines) out << line << "\n";
        return;
    }
    FirewallChangeRequest request;
    request.action = action == "open" ? FirewallAction::Open : FirewallAction::Close;
    request.mayPrompt = mayPrompt;
    request.helperProgram = currentPlatform().programFile();
    request.serverLauncher = launcher;
    const FirewallOutcome outcome = changeFirewall(firewall, request);
    if (!outcome.success) throw CliError(outcome.message);
    out << outcome.message << "\n";
}

}  // namespace qz7::cli
