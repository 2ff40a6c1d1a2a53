#include "cli/server_commands.h"

#include <ostream>

#include "cli/cli_error.h"
#include "platform/readable_text.h"
#include "platform/windows1251.h"
#include "server/launchers.h"
#include "server/template_files.h"

namespace qz7::cli {

namespace {

// What became of the profile's copy, when it was not made.
std::string profileCopyNote(const std::string& profileName, const ProfileCopy& copy) {
    switch (copy.outcome) {
        case ProfileCopy::Outcome::Copied:
            break;
        case ProfileCopy::Outcome::NotFound:
            return "Профиль " + profileName + " не найден: нет файла " + textFromPath(copy.file) +
                   "; teknogods.ini в папке игры не изменён";
        case ProfileCopy::Outcome::Failed:
            return "Файл " + textFromPath(copy.file) +
                   " не скопирован в папку игры: " + copy.failure;
    }
    return {};
}

}  // namespace

std::optional<std::string> missingLauncherInGameFolder(const GameFolder& game,
                                                       const std::string& launcherName) {
    std::optional<std::string> missing = missingLauncherError(game.path(), launcherName);
    if (missing) *missing += inGameFolderText(game.path());
    return missing;
}

void generateServerFiles(GameFolder& game, const std::string& which, bool fixedWeights,
                         std::ostream& out) {
    out << writeTemplateServerFiles(game.path(), game.findTemplate(which).record, fixedWeights)
        << "\n";
}

void startServer(GameFolder& game, const std::string& parameters, std::ostream& out) {
    if (auto error = startServerLauncher(game.path(), parameters)) {
        if (auto missing = missingLauncherInGameFolder(game, kServerLauncherName)) error = missing;
        throw CliError(*error);
    }
    out << "Запущен " << kServerLauncherName << "\n";
}

void startClient(GameFolder& game, const std::string& parameters, std::string profile,
                 std::ostream& out, std::ostream& err) {
    ProfileCopy copy;
    std::optional<std::string> error = startClientLauncher(game.path(), parameters, profile, &copy);
    const std::string note = profileCopyNote(profile, copy);
    // A failed copy is a failure of the command, although the client started.
    if (!error && copy.outcome == ProfileCopy::Outcome::Failed)
        throw CliError(note + "; " + kClientLauncherName + " запущен с прежним teknogods.ini");
    if (!note.empty()) err << note << "\n";
    if (error) {
        if (auto missing = missingLauncherInGameFolder(game, kClientLauncherName)) error = missing;
        throw CliError(*error);
    }
    out << "Запущен " << kClientLauncherName;
    if (copy.outcome == ProfileCopy::Outcome::Copied) out << " (профиль " << profile << ")";
    out << "\n";
}

}  // namespace qz7::cli
