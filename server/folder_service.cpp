#include "server/folder_service.h"

#include <algorithm>

#include "net/alert_address.h"
#include "platform/game_paths.h"
#include "platform/readable_text.h"
#include "server/folder_alerts.h"
#include "server/operation_error.h"
#include "server/serve_settings.h"
#include "server/template_files.h"
#include "settings/template_record.h"

namespace qz7 {

namespace {

namespace fs = std::filesystem;

OperationError usageError(const std::string& message) {
    return OperationError(message, OperationError::Kind::Usage);
}

// The folder as the entry names it: absolute, links resolved; it must exist.
fs::path existingFolder(const fs::path& gameFolder) {
    std::error_code error;
    fs::path folder = fs::canonical(gameFolder, error);
    if (error || !fs::is_directory(folder, error))
        throw usageError("Нет папки игры " + textFromPath(gameFolder));
    return folder;
}

// The settings the entry's serve will run on, checked as serve checks them.
ServeOptions checkedSettings(const fs::path& folder, const FolderServiceInput& input) {
    ServeOptions settings =
        input.wholeSettings
            ? input.given
            : serveOptionsOverSettings(readServeSettings(folder), input.given, input.givenOptions);
    if (settings.templateName.empty())
        throw usageError(std::string("Шаблон не задан: назовите его (qz7ctl service install "
                                     "ШАБЛОН) или задайте Template= в ") +
                         kServeSettingsFile);
    try {
        // A template named by position is kept by its name: positions move.
        if (settings.templateName.starts_with("#"))
            settings.templateName =
                templateRecordName(requireTemplateIn(folder, settings.templateName).record);
        // What the entry's serve looks up first: the name in the store exactly once.
        requireTemplateIn(folder, settings.templateName);
    } catch (const OperationError& error) {
        throw usageError(std::string("Служба не записана: ") + error.what());
    }
    if (std::optional<std::string> problem = serveSettingsProblem(settings))
        throw usageError(std::string("Служба не записана: ") + *problem);
    if (input.alertAddresses)
        for (const std::string& address : *input.alertAddresses)
            if (std::optional<std::string> problem = alertAddressProblem(address))
                throw usageError("Служба не записана: " + *problem);
    return settings;
}

}  // namespace

std::string installFolderService(const ServiceHosts& hosts, const FolderServiceInput& input) {
    const fs::path folder = existingFolder(input.gameFolder);
    const ServeOptions settings = checkedSettings(folder, input);
    ServiceRequest request;
    request.program = input.program;
    request.gameFolder = folder;
    request.stopGrace = settings.timing.stopGrace;
    if (std::optional<std::string> problem = serviceRequestProblem(request))
        throw usageError(*problem);

    const bool settingsGiven =
        input.wholeSettings || !input.given.templateName.empty() ||
        std::any_of(input.givenOptions.begin(), input.givenOptions.end(), isServeSetting);
    std::string said;
    if (input.print) {
        if (settingsGiven)
            said += std::string("# ") + kServeSettingsFile + " (будет записан):\n" +
                    serveSettingsText(settings) + "\n";
        if (input.alertAddresses)
            said += std::string("# ") + kServeAlertsFile + ": адресов оповещений " +
                    std::to_string(input.alertAddresses->size()) + "\n";
    } else {
        if (settingsGiven) {
            writeServeSettings(folder, settings);
            said += "Настройки записаны в " + textFromPath(folder / kServeSettingsFile) + "\n";
        }
        if (input.alertAddresses) {
            writeFolderAlerts(folder, *input.alertAddresses);
            said += "Адреса оповещений (" + std::to_string(input.alertAddresses->size()) +
                    ") записаны в " + textFromPath(folderAlertFile(folder)) + "\n";
        } else if (const std::string adopted = adoptTemplateAlertFiles(folder); !adopted.empty()) {
            said += adopted + "\n";
        }
    }
    return said + installService(hosts, request, input.print, input.running);
}

std::string removeFolderService(const ServiceHosts& hosts, const fs::path& gameFolder,
                                const std::string& templateName) {
    const fs::path folder = existingFolder(gameFolder);
    // A template's name is taken as it stands, so that the entry of a template deleted or renamed
    // since can still be removed; a position is read from the store.
    const std::string name =
        templateName.starts_with("#")
            ? templateRecordName(requireTemplateIn(folder, templateName).record)
            : templateName;
    return removeService(hosts, folder, name);
}

}  // namespace qz7
