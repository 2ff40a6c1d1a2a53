#include "cli/server_commands.h"

#include <ostream>

#include "cli/cli_error.h"
#include "platform/game_paths.h"
#include "platform/windows1251.h"
#include "server/launchers.h"
#include "server/server_files.h"
#include "settings/template_record.h"
#include "settings/template_store.h"

namespace qz7::cli {

namespace {

// What became of the profile's copy, when it was not made.
std::string profileCopyNote(const std::string& profileName, const ProfileCopy& copy) {
    switch (copy.outcome) {
        case ProfileCopy::Outcome::Copied:
            break;
        case ProfileCopy::Outcome::NotFound:
            return "Профиль " + profileName + " не найден: нет файла " + utf8FromPath(copy.file) +
                   "; teknogods.ini в папке игры не изменён";
        case ProfileCopy::Outcome::Failed:
            return "Файл " + utf8FromPath(copy.file) +
                   " не скопирован в папку игры: " + copy.failure;
    }
    return {};
}

// The game folder a file was looked for in, for a message that says it is missing.
std::string inGameFolder(const GameFolder& game) {
    return " (папка игры: " + utf8FromPath(game.path()) + ")";
}

}  // namespace

std::optional<std::string> missingLauncherInGameFolder(const GameFolder& game,
                                                       const std::string& launcherName) {
    std::optional<std::string> missing = missingLauncherError(game.path(), launcherName);
    if (missing) *missing += inGameFolder(game);
    return missing;
}

FormedServerFiles formTemplateFiles(GameFolder& game, const std::string& storedRecord,
                                    bool fixedWeights) {
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
    return formServerFiles(game.path(), settings, rotation, !fixedWeights);
}

void generateServerFiles(GameFolder& game, const std::string& which, bool fixedWeights,
                         std::ostream& out) {
    const FormedServerFiles files =
        formTemplateFiles(game, game.findTemplate(which).record, fixedWeights);
    writeFormedServerFiles(game.path(), files);
    if (files.result.outcome == ServerFilesOutcome::BaseRecipeMissing ||
        files.result.outcome == ServerFilesOutcome::BaseConfigurationMissing)
        throw CliError(files.result.message + inGameFolder(game));
    if (files.result.outcome != ServerFilesOutcome::Written) throw CliError(files.result.message);
    // The paths as this system writes them, such as admin/Manual_Mod.dsr.
    auto relative = [](const char* path) { return utf8FromPath(gamePath({}, path)); };
    out << "Файлы сервера сформированы: " << relative(kRecipePath) << ", "
        << relative(kPlaylistPath) << ", " << relative(kConfigurationPath) << inGameFolder(game)
        << "\n";
}

std::string launcherParameters(GameFolder& game, const std::optional<std::string>& which,
                               const std::optional<std::string>& command) {
    if (command) return *command;
    const std::optional<std::string> record =
        which ? game.findTemplate(*which).record
              : readTemplateRecordAt(game.templateStorePath(), 0);
    if (!record) return kDefaultLauncherParameters;
    return templateCommandLine(*record);
}

std::string templateCommandLine(const std::string& storedRecord) {
    return utf8FromWindows1251(decodeTemplateRecord(storedRecord).CommandLine);
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
    if (const std::string note = profileCopyNote(profile, copy); !note.empty()) err << note << "\n";
    if (error) {
        if (auto missing = missingLauncherInGameFolder(game, kClientLauncherName)) error = missing;
        throw CliError(*error);
    }
    out << "Запущен " << kClientLauncherName;
    if (copy.outcome == ProfileCopy::Outcome::Copied) out << " (профиль " << profile << ")";
    out << "\n";
}

}  // namespace qz7::cli
