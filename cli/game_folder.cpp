#include "cli/game_folder.h"

#include "cli/cli_error.h"
#include "platform/readable_text.h"
#include "server/template_files.h"
#include "settings/template_store.h"

namespace qz7::cli {

// In full, so that every error names its file in full.
GameFolder::GameFolder(std::filesystem::path folder) : folder_(std::filesystem::absolute(folder)) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder_, error))
        throw CliError("Папка игры не найдена: " + textFromPath(folder_));
}

std::filesystem::path GameFolder::templateStorePath() const { return templateStoreFile(folder_); }

TemplateLookup GameFolder::findTemplate(const std::string& nameOrPosition) const {
    TemplateLookup found = findTemplateIn(folder_, nameOrPosition);
    if (!found.index) throw CliError(found.error);
    return found;
}

}  // namespace qz7::cli
