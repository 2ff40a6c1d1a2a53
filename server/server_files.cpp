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

ServerFilesResult writeServerFiles(const std::filesystem::path& gameFolder,
                                   const GameSettings& settings,
                                   const std::vector<std::string>& rotation, bool randomMapChance) {
    if (std::optional<std::string> refusal = serverFilesRefusal(settings, rotation))
        return {ServerFilesOutcome::Refused, *refusal};

    std::optional<std::string> baseRecipe = readBaseFile(gamePath(gameFolder, kBaseRecipePath));
    if (!baseRecipe) return baseFileMissing(ServerFilesOutcome::BaseRecipeMissing, kBaseRecipePath);
    writeFileAtomically(gamePath(gameFolder, kRecipePath), formRecipe(*baseRecipe, settings));

    PlaylistWeights weights = PlaylistWeights::seededFromClock();
    writeFileAtomically(gamePath(gameFolder, kPlaylistPath),
                        formPlaylist(rotation, randomMapChance, weights));

    std::optional<std::string> baseConfiguration =
        readBaseFile(gamePath(gameFolder, kBaseConfigurationPath));
    if (!baseConfiguration)
        return baseFileMissing(ServerFilesOutcome::BaseConfigurationMissing,
                               kBaseConfigurationPath);
    const FormedConfiguration configuration = formConfiguration(*baseConfiguration, settings);
    if (!configuration.passwordLine || !configuration.playerLimitLine)
        return {ServerFilesOutcome::BaseConfigurationIncomplete,
                baseConfigurationIncomplete(configuration)};
    writeFileAtomically(gamePath(gameFolder, kConfigurationPath), configuration.bytes);
    return {ServerFilesOutcome::Written, {}};
}

}  // namespace qz7
