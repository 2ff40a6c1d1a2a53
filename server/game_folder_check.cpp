#include "server/game_folder_check.h"

#include <array>

#include "platform/game_paths.h"
#include "platform/readable_text.h"
#include "server/launchers.h"
#include "server/server_files.h"
#include "settings/template_store.h"

namespace qz7 {

bool looksLikeGameFolder(const std::filesystem::path& folder) {
    const std::array<std::filesystem::path, 5> signs = {
        launcherPath(folder, kServerLauncherName),
        launcherPath(folder, kClientLauncherName),
        gamePath(folder, kBaseRecipePath),
        gamePath(folder, kBaseConfigurationPath),
        templateStoreFile(folder),
    };
    std::error_code error;
    for (const std::filesystem::path& sign : signs)
        if (std::filesystem::is_regular_file(sign, error)) return true;
    return false;
}

std::string notAGameFolderText(const std::filesystem::path& folder) {
    // The relative paths without their leading backslash, such as admin\Manual_Mod_default.dsr.
    auto relative = [](std::string_view path) { return std::string(path.substr(1)); };
    return "В папке " + textFromPath(folder) + " нет файлов игры: ни " + kServerLauncherName +
           " или " + kClientLauncherName + ", ни " + relative(kBaseRecipePath) + " или " +
           relative(kBaseConfigurationPath) + ", ни файла шаблонов " +
           textFromPath(templateStoreFile(folder).filename()) + ".";
}

}  // namespace qz7
