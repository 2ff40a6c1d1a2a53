#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace qz7 {

inline constexpr const char* kServerLauncherName = "TeknoQZ7_Server_Launcher.exe";
inline constexpr const char* kClientLauncherName = "TeknoQZ7_Client_Launcher.exe";

// The launchers' parameter text before any template or user changes it: a dedicated server with
// the configuration and playlist that the server files step writes.
inline constexpr const char* kDefaultLauncherParameters =
    "+set dedicated 1 +set sv_config server_mod.cfg  +set sv_hostname ^4~^1Host "
    "^3Rovazid^4~+set sv_maprotation Manual_MapRot  +start_map_rotate";

// The launcher's file in the game folder.
std::filesystem::path launcherPath(const std::filesystem::path& gameFolder,
                                   const std::string& launcherName);

// The error box text "Не могу найти файл: <name>" when the launcher is not there; nothing when
// it is.
std::optional<std::string> missingLauncherError(const std::filesystem::path& gameFolder,
                                                const std::string& launcherName);

// Starts the server launcher in the game folder with the parameter text, unchanged, and returns at
// once. The error box text when the launcher is missing or could not be started; nothing when it
// was started.
std::optional<std::string> startServerLauncher(const std::filesystem::path& gameFolder,
                                               const std::string& parameters);

// What became of the client profile's teknogods.ini before the client started.
struct ProfileCopy {
    enum class Outcome { Copied, NotFound, Failed };
    Outcome outcome = Outcome::Copied;
    std::filesystem::path file;  // the profile's teknogods.ini
    std::string failure;         // Failed: the system's reason
};

// Starts the client launcher the same way after copying the client profile's teknogods.ini into
// the game folder (when the profile has one). An empty profile name is first filled with the
// user's name, or "Unknown" when it cannot be read; the filled name stays in the caller's
// variable. The copy is written whole
// or not at all (the folder's file stays as it was). The client starts whatever became of it;
// `profileCopy`, when given, learns it.
std::optional<std::string> startClientLauncher(const std::filesystem::path& gameFolder,
                                               const std::string& parameters,
                                               std::string& clientProfileName,
                                               ProfileCopy* profileCopy = nullptr);

}  // namespace qz7
