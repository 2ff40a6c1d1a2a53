// `qz7ctl service install|remove|list`: the entries that start serve with the system.
#include <ostream>

#include "cli/serve_commands.h"
#include "platform/platform.h"
#include "server/service_install.h"
#include "settings/template_record.h"

namespace qz7::cli {

namespace {

namespace fs = std::filesystem;

// The full name of the template a user named. Unless it must exist, a name is taken as it
// stands, so that the entry of a template deleted or renamed since can still be removed.
std::string fullTemplateName(GameFolder& game, const std::string& which, bool mustExist) {
    if (!mustExist && !which.starts_with("#")) return which;
    return templateRecordName(game.findTemplate(which).record);
}

// The addresses of --notify and --notify-file together, one a line; empty without any.
std::string alertFileText(const AlertOptions& alerts) {
    std::string text;
    for (const AlertTarget& target : alertTargets(alerts)) text += target.url + "\n";
    return text;
}

}  // namespace

void runServiceInstall(GameFolder& game, const ServeOptions& options,
                       const std::vector<std::string>& serveArguments, bool print,
                       std::ostream& out) {
    ServiceRequest request;
    request.program = fs::absolute(currentPlatform().programFile());
    request.gameFolder = fs::canonical(game.path());
    request.templateName = fullTemplateName(game, options.templateName, true);
    request.serveOptions = serveArguments;
    request.stopGrace = options.timing.stopGrace;
    out << installService(systemServiceHosts(), request, alertFileText(options.alerts), print);
}

void runServiceRemove(GameFolder& game, const std::string& templateName, std::ostream& out) {
    out << removeService(systemServiceHosts(), fs::canonical(game.path()),
                         fullTemplateName(game, templateName, false));
}

void runServiceList(std::ostream& out) { out << listServices(systemServiceHosts()); }

}  // namespace qz7::cli
