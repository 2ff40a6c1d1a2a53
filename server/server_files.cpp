#include "server/server_files.h"

#include <optional>

#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "server/playlist.h"
#include "server/recipe.h"
#include "server/refused_values.h"
#include "server/server_configuration.h"

namespace qz7 {

namespace {

std::optional<std::string> readBaseFile(const std::filesystem::path& file) {
    // A folder of that name opens like a file on some systems and reads as empty.
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) return std::nullopt;
    try {
        return readWholeFile(file);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

ServerFilesResult baseFileMissing(ServerFilesOutcome outcome, const char* relativePath) {
    return {outcome, std::string("Не могу найти базовый файл: ") + relativePath};
}

std::string baseConfigurationIncomplete(const FormedConfiguration& configuration) {
    std::string missing;
    if (!configuration.passwordLine) missing = "строки g_password (пароль подключения)";
    if (!configuration.playerLimitLine)
        missing += std::string(missing.empty() ? "строки " : " и строки ") +
                   "sv_maxclients (max число игроков)";
    return std::string("В базовом файле ") + kBaseConfigurationPath + " нет " + missing +
           ": настройки в него не попали бы. Файл " + kConfigurationPath + " не записан.";
}

}  // namespace

FormedServerFiles formServerFiles(const std::filesystem::path& gameFolder,
                                  const GameSettings& settings,
                                  const std::vector<std::string>& rotation, bool randomMapChance) {
    FormedServerFiles files{{ServerFilesOutcome::Written, {}}, {}, {}, {}};
    if (std::optional<std::string> refusal = serverFilesRefusal(settings, rotation)) {
        files.result = {ServerFilesOutcome::Refused, *refusal};
        return files;
    }
    std::optional<std::string> baseRecipe = readBaseFile(gamePath(gameFolder, kBaseRecipePath));
    if (!baseRecipe) {
        files.result = baseFileMissing(ServerFilesOutcome::BaseRecipeMissing, kBaseRecipePath);
        return files;
    }
    files.recipe = formRecipe(*baseRecipe, settings);
    PlaylistWeights weights = PlaylistWeights::seededFromClock();
    files.playlist = formPlaylist(rotation, randomMapChance, weights);

    std::optional<std::string> baseConfiguration =
        readBaseFile(gamePath(gameFolder, kBaseConfigurationPath));
    if (!baseConfiguration) {
        files.result =
            baseFileMissing(ServerFilesOutcome::BaseConfigurationMissing, kBaseConfigurationPath);
        return files;
    }
    FormedConfiguration configuration = formConfiguration(*baseConfiguration, settings);
    if (!configuration.passwordLine || !configuration.playerLimitLine) {
        files.result = {ServerFilesOutcome::BaseConfigurationIncomplete,
                        baseConfigurationIncomplete(configuration)};
        return files;
    }
    files.configuration = std::move(configuration.bytes);
    return files;
}

void writeFormedServerFiles(const std::filesystem::path& gameFolder,
                            const FormedServerFiles& files) {
    if (files.recipe) writeFileAtomically(gamePath(gameFolder, kRecipePath), *files.recipe);
    if (files.playlist) writeFileAtomically(gamePath(gameFolder, kPlaylistPath), *files.playlist);
    if (files.configuration)
        writeFileAtomically(gamePath(gameFolder, kConfigurationPath), *files.configuration);
}

ServerFilesResult writeServerFiles(const std::filesystem::path& gameFolder,
                                   const GameSettings& settings,
                                   const std::vector<std::string>& rotation, bool randomMapChance) {
    const FormedServerFiles files =
        formServerFiles(gameFolder, settings, rotation, randomMapChance);
    writeFormedServerFiles(gameFolder, files);
    return files.result;
}

}  // namespace qz7
