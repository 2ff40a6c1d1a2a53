#include "server/template_files.h"

#include <cstring>

#include "platform/game_paths.h"
#include "platform/readable_text.h"
#include "platform/windows1251.h"
#include "server/launchers.h"
#include "server/operation_error.h"
#include "settings/template_record.h"
#include "settings/template_store.h"

namespace qz7 {

TemplateLookup findTemplateIn(const std::filesystem::path& gameFolder, const std::string& which) {
    const std::filesystem::path store = templateStoreFile(gameFolder);
    TemplateLookup found = findTemplate(store, which);
    std::error_code error;
    if (!found.index && !std::filesystem::exists(store, error))
        found.error += ": файл " + textFromPath(store) + " не найден";
    return found;
}

namespace {

// The message with the files' backslash-led paths (the window's texts keep them so) as this
// system writes them: admin/server_mod.cfg.
std::string withSystemPaths(std::string message) {
    for (const char* path : {kBaseRecipePath, kRecipePath, kPlaylistPath, kBaseConfigurationPath,
                             kConfigurationPath}) {
        const std::string shown = utf8FromPath(gamePath({}, path));
        for (std::size_t at = message.find(path); at != std::string::npos;
             at = message.find(path, at + shown.size()))
            message.replace(at, std::strlen(path), shown);
    }
    return message;
}

}  // namespace

TemplateLookup requireTemplateIn(const std::filesystem::path& gameFolder,
                                 const std::string& which) {
    TemplateLookup found = findTemplateIn(gameFolder, which);
    if (!found.index) throw OperationError(found.error);
    return found;
}

FormedServerFiles formTemplateFiles(const std::filesystem::path& gameFolder,
                                    const std::string& storedRecord, bool fixedWeights) {
    const TemplateRecord record = decodeTemplateRecord(storedRecord);
    GameSettings settings;
    std::string commandLine;
    std::vector<std::string> rotation;
    LoadListUst(record, settings, commandLine, rotation);
    if (rotation.empty())
        return {{ServerFilesOutcome::Refused, "В шаблоне нет карт: файлы сервера не сформированы"},
                {},
                {},
                {}};
    return formServerFiles(gameFolder, settings, rotation, !fixedWeights);
}

std::string writeTemplateServerFiles(const std::filesystem::path& gameFolder,
                                     const std::string& storedRecord, bool fixedWeights) {
    const FormedServerFiles files = formTemplateFiles(gameFolder, storedRecord, fixedWeights);
    writeFormedServerFiles(gameFolder, files);
    if (files.result.outcome == ServerFilesOutcome::BaseRecipeMissing ||
        files.result.outcome == ServerFilesOutcome::BaseConfigurationMissing)
        throw OperationError(withSystemPaths(files.result.message) + inGameFolderText(gameFolder));
    if (files.result.outcome != ServerFilesOutcome::Written)
        throw OperationError(withSystemPaths(files.result.message));
    return withSystemPaths(std::string("Файлы сервера сформированы: ") + kRecipePath + ", " +
                           kPlaylistPath + ", " + kConfigurationPath) +
           inGameFolderText(gameFolder);
}

std::string templateCommandLine(const std::string& storedRecord) {
    return utf8FromWindows1251(decodeTemplateRecord(storedRecord).CommandLine);
}

std::string launcherParameters(const std::filesystem::path& gameFolder,
                               const std::optional<std::string>& which,
                               const std::optional<std::string>& command) {
    if (command) return *command;
    const std::optional<std::string> record =
        which ? requireTemplateIn(gameFolder, *which).record
              : readTemplateRecordAt(templateStoreFile(gameFolder), 0);
    if (!record) return kDefaultLauncherParameters;
    return templateCommandLine(*record);
}

std::string inGameFolderText(const std::filesystem::path& gameFolder) {
    return " (папка игры: " + textFromPath(gameFolder) + ")";
}

}  // namespace qz7
