#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "settings/game_settings.h"

namespace qz7 {

// How forming the server files ended.
enum class ServerFilesOutcome {
    Written,                      // recipe, playlist and configuration written
    Refused,                      // a value the template rules refuse; nothing written
    BaseRecipeMissing,            // nothing written
    BaseConfigurationMissing,     // recipe and playlist written, configuration untouched
    BaseConfigurationIncomplete,  // no password or player-limit line in the base: as above
};

struct ServerFilesResult {
    ServerFilesOutcome outcome;
    std::string message;  // the error box text (UTF-8); empty when written
};

// The relative paths of the files, backslash-led, under the game folder.
inline constexpr const char* kBaseRecipePath = "\\admin\\Manual_Mod_default.dsr";
inline constexpr const char* kRecipePath = "\\admin\\Manual_Mod.dsr";
inline constexpr const char* kPlaylistPath = "\\admin\\Manual_MapRot.dspl";
inline constexpr const char* kBaseConfigurationPath = "\\admin\\server_mod_default.cfg";
inline constexpr const char* kConfigurationPath = "\\admin\\server_mod.cfg";

// The three files formed in memory, each when it could be formed, and how forming ended.
struct FormedServerFiles {
    ServerFilesResult result;
    std::optional<std::string> recipe;
    std::optional<std::string> playlist;
    std::optional<std::string> configuration;
};

// Forms the files as writeServerFiles writes them, reading only the base files: a refusal forms
// none, a missing base recipe none, a missing or incomplete base configuration the first two.
FormedServerFiles formServerFiles(const std::filesystem::path& gameFolder,
                                  const GameSettings& settings,
                                  const std::vector<std::string>& rotation, bool randomMapChance);

// Writes the formed files, each atomically, in the order recipe, playlist, configuration. An
// output that cannot be written throws FileError; the files written before it stay.
void writeFormedServerFiles(const std::filesystem::path& gameFolder,
                            const FormedServerFiles& files);

// Writes the recipe, the playlist and the server configuration under the game folder's admin
// folder, in this order, each atomically, from the base files and the settings snapshot. Values
// the template rules refuse are refused before anything is read or written. A base configuration
// without the password line or the player-limit line is reported and not written from: the
// server would run without the password or the limit the user set. An output that cannot be written
// throws FileError; the files written before it stay.
ServerFilesResult writeServerFiles(const std::filesystem::path& gameFolder,
                                   const GameSettings& settings,
                                   const std::vector<std::string>& rotation, bool randomMapChance);

}  // namespace qz7
