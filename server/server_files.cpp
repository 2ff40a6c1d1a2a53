#include "server/server_files.h"

#include <optional>

#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "server/playlist.h"
#include "server/recipe.h"
#include "server/server_configuration.h"
#include "server/unsafe_values.h"

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

}  // namespace

ServerFilesResult writeServerFiles(const std::filesystem::path& gameFolder,
                                   const GameSettings& settings,
                                   const std::vector<std::string>& rotation, bool randomMapChance) {
    if (std::optional<UnsafeValue> unsafe = findUnsafeValue(settings))
        return {ServerFilesOutcome::Refused, unsafe->message};

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
    writeFileAtomically(gamePath(gameFolder, kConfigurationPath),
                        formConfiguration(*baseConfiguration, settings));
    return {ServerFilesOutcome::Written, {}};
}

}  // namespace qz7
