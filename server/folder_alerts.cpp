#include "server/folder_alerts.h"

#include <algorithm>

#include "net/alert_address.h"
#include "platform/directory_entries.h"
#include "platform/private_file.h"
#include "platform/readable_text.h"
#include "server/operation_error.h"
#include "server/serve_alerts.h"
#include "settings/kept_versions.h"

namespace qz7 {

namespace {

namespace fs = std::filesystem;

constexpr const char* kHeading =
    "# Адреса оповещений qz7ctl serve этой папки игры, по одному в строке. Адрес — секрет:\n"
    "# файл может читать только его владелец.\n";

// qz7-serve-<name>.alerts of the entries of earlier versions, in name order.
std::vector<fs::path> templateAlertFiles(const fs::path& gameFolder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const fs::directory_entry& entry : directoryEntries(gameFolder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("qz7-serve-") && entry.path().extension() == ".alerts" &&
            entry.is_regular_file(error))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

fs::path folderAlertFile(const fs::path& gameFolder) { return gameFolder / kServeAlertsFile; }

std::vector<std::string> readFolderAlerts(const fs::path& gameFolder) {
    const fs::path file = folderAlertFile(gameFolder);
    std::error_code error;
    if (!fs::exists(file, error)) return {};
    return readAlertAddressFile(file);
}

void writeFolderAlerts(const fs::path& gameFolder, const std::vector<std::string>& addresses) {
    std::string text = kHeading;
    for (const std::string& address : addresses) {
        if (std::optional<std::string> problem = alertAddressProblem(address))
            throw OperationError(*problem, OperationError::Kind::Usage);
        text += address + "\n";
    }
    keepVersionBeforeChange(folderAlertFile(gameFolder), FileChange::Rewrite,
                            FileAccess::OwnerOnly);
    writePrivateFile(folderAlertFile(gameFolder), text);
}

std::string adoptTemplateAlertFiles(const fs::path& gameFolder) {
    std::error_code error;
    if (fs::exists(folderAlertFile(gameFolder), error)) return {};
    const std::vector<fs::path> files = templateAlertFiles(gameFolder);
    if (files.empty()) return {};
    std::vector<std::string> addresses;
    std::string names;
    for (const fs::path& file : files) {
        for (const std::string& address : readAlertAddressFile(file))
            if (std::find(addresses.begin(), addresses.end(), address) == addresses.end())
                addresses.push_back(address);
        names += (names.empty() ? "" : ", ") + textFromPath(file.filename());
    }
    std::vector<std::string> sound;
    for (const std::string& address : addresses)
        if (!alertAddressProblem(address)) sound.push_back(address);
    writeFolderAlerts(gameFolder, sound);
    return "Адреса оповещений из " + names + " перенесены в " + kServeAlertsFile + " (" +
           std::to_string(sound.size()) + " шт.); прежние файлы оставлены для их служб";
}

}  // namespace qz7
