// `qz7ctl service install|remove|list`: the entry that starts serve with the system.
#include <ostream>

#include "cli/serve_commands.h"
#include "platform/platform.h"
#include "server/folder_service.h"
#include "server/serve_alerts.h"

namespace qz7::cli {

void runServiceInstall(GameFolder& game, const ServeOptions& given,
                       const std::vector<std::string>& givenOptions, bool print,
                       std::ostream& out) {
    FolderServiceInput input;
    input.program = std::filesystem::absolute(currentPlatform().programFile());
    input.gameFolder = game.path();
    input.given = given;
    input.givenOptions = givenOptions;
    if (given.alerts.any()) {
        input.alertAddresses.emplace();
        for (const AlertTarget& target : alertTargets(given.alerts))
            input.alertAddresses->push_back(target.url);
    }
    input.print = print;
    out << installFolderService(systemServiceHosts(), input);
}

void runServiceRemove(GameFolder& game, const std::string& templateName, std::ostream& out) {
    out << removeFolderService(systemServiceHosts(), game.path(), templateName);
}

void runServiceList(std::ostream& out) { out << listServices(systemServiceHosts()); }

}  // namespace qz7::cli
