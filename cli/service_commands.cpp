// `qz7ctl service install|remove|list`: the entry that starts serve with the system.
#include <algorithm>
#include <ostream>

#include "cli/serve_commands.h"
#include "platform/platform.h"
#include "platform/readable_text.h"
#include "server/folder_alerts.h"
#include "server/operation_error.h"
#include "server/serve_settings.h"
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

}  // namespace

void runServiceInstall(GameFolder& game, const ServeOptions& given,
                       const std::vector<std::string>& givenOptions, bool print,
                       std::ostream& out) {
    const fs::path folder = fs::canonical(game.path());
    ServeOptions settings =
        serveOptionsOverSettings(readServeSettings(folder), given, givenOptions);
    // A template named by position is kept by its name: positions move.
    if (!given.templateName.empty())
        settings.templateName = fullTemplateName(game, given.templateName, true);
    const bool settingsGiven =
        !given.templateName.empty() ||
        std::any_of(givenOptions.begin(), givenOptions.end(), isServeSetting);
    if (settings.templateName.empty())
        throw OperationError(std::string("Шаблон не задан: назовите его (qz7ctl service install "
                                         "ШАБЛОН) или задайте Template= в ") +
                                 kServeSettingsFile,
                             OperationError::Kind::Usage);
    std::vector<std::string> addresses;
    for (const AlertTarget& target : alertTargets(given.alerts)) addresses.push_back(target.url);

    if (print && settingsGiven)
        out << "# " << kServeSettingsFile << " (будет записан):\n"
            << serveSettingsText(settings) << "\n";
    if (print && given.alerts.any())
        out << "# " << kServeAlertsFile << ": адресов оповещений " << addresses.size() << "\n";
    if (!print) {
        if (settingsGiven) {
            writeServeSettings(folder, settings);
            out << "Настройки записаны в " << textFromPath(folder / kServeSettingsFile) << "\n";
        }
        if (given.alerts.any()) {
            writeFolderAlerts(folder, addresses);
            out << "Адреса оповещений (" << addresses.size() << ") записаны в "
                << textFromPath(folderAlertFile(folder)) << "\n";
        } else if (const std::string adopted = adoptTemplateAlertFiles(folder); !adopted.empty()) {
            out << adopted << "\n";
        }
    }
    ServiceRequest request;
    request.program = fs::absolute(currentPlatform().programFile());
    request.gameFolder = folder;
    request.stopGrace = settings.timing.stopGrace;
    out << installService(systemServiceHosts(), request, print);
}

void runServiceRemove(GameFolder& game, const std::string& templateName, std::ostream& out) {
    out << removeService(
        systemServiceHosts(), fs::canonical(game.path()),
        templateName.empty() ? templateName : fullTemplateName(game, templateName, false));
}

void runServiceList(std::ostream& out) { out << listServices(systemServiceHosts()); }

}  // namespace qz7::cli
