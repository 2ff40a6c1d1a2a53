#include "server/launchers.h"

#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/system_error_text.h"

namespace qz7 {

namespace {

bool fileExists(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::exists(file, error) && !std::filesystem::is_directory(file, error);
}

std::optional<std::string> startLauncher(const std::filesystem::path& gameFolder,
                                         const std::string& launcherName,
                                         const std::string& parameters) {
    if (auto missing = missingLauncherError(gameFolder, launcherName)) return missing;
    const std::filesystem::path launcher = launcherPath(gameFolder, launcherName);
    // The launcher inherits the program's current directory, which is the game folder.
    StartResult result = currentPlatform().startProgram(launcher, parameters);
    if (!result.started) return "Не удалось запустить " + launcherName + ": " + result.error;
    return std::nullopt;
}

}  // namespace

std::filesystem::path launcherPath(const std::filesystem::path& gameFolder,
                                   const std::string& launcherName) {
    return gamePath(gameFolder, "\\" + launcherName);
}

std::optional<std::string> missingLauncherError(const std::filesystem::path& gameFolder,
                                                const std::string& launcherName) {
    if (fileExists(launcherPath(gameFolder, launcherName))) return std::nullopt;
    return "Не могу найти файл: " + launcherName;
}

std::optional<std::string> startServerLauncher(const std::filesystem::path& gameFolder,
                                               const std::string& parameters) {
    return startLauncher(gameFolder, kServerLauncherName, parameters);
}

std::optional<std::string> startClientLauncher(const std::filesystem::path& gameFolder,
                                               const std::string& parameters,
                                               std::string& clientProfileName,
                                               ProfileCopy* profileCopy) {
    Platform& platform = currentPlatform();
    if (clientProfileName.empty()) {
        std::optional<std::string> user = platform.userName();
        clientProfileName = user && !user->empty() ? *user : "Unknown";
    }

    const std::filesystem::path profile =
        gamePath(gameFolder, "\\Client\\" + clientProfileName + "\\teknogods.ini");
    // A missing profile file leaves the game folder's settings as they are.
    ProfileCopy copy{ProfileCopy::Outcome::NotFound, profile, {}};
    if (fileExists(profile)) {
        // Written whole or not at all: a full disk leaves the folder's file as it was.
        try {
            writeFileAtomically(gamePath(gameFolder, "\\teknogods.ini"), readWholeFile(profile));
            copy.outcome = ProfileCopy::Outcome::Copied;
        } catch (const FileError& error) {
            copy.outcome = ProfileCopy::Outcome::Failed;
            copy.failure = error.code() ? systemErrorText(error.code()) : error.what();
        }
    }
    if (profileCopy != nullptr) *profileCopy = copy;

    return startLauncher(gameFolder, kClientLauncherName, parameters);
}

}  // namespace qz7
