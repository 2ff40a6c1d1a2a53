#include "cli/server_commands.h"

#include <ostream>

#include "cli/cli_error.h"
#include "platform/windows1251.h"
#include "server/launchers.h"
#include "server/server_files.h"
#include "settings/template_record.h"

namespace qz7::cli {

void generateServerFiles(GameFolder& game, const std::string& which, bool fixedWeights,
                         std::ostream& out) {
    const TemplateRecord record = decodeTemplateRecord(game.records()[game.findTemplate(which)]);
    GameSettings settings;
    std::string commandLine;
    std::vector<std::string> rotation;
    LoadListUst(record, settings, commandLine, rotation);
    if (rotation.empty()) throw CliError("В шаблоне нет карт: файлы сервера не сформированы");

    const ServerFilesResult result =
        writeServerFiles(game.path(), settings, rotation, !fixedWeights);
    if (result.outcome != ServerFilesOutcome::Written) throw CliError(result.message);
    // The paths without their leading backslash, such as admin\Manual_Mod.dsr.
    auto relative = [](std::string_view path) { return path.substr(1); };
    out << "Файлы сервера сформированы: " << relative(kRecipePath) << ", "
        << relative(kPlaylistPath) << ", " << relative(kConfigurationPath) << "\n";
}

std::string launcherParameters(GameFolder& game, const std::optional<std::string>& which,
                               const std::optional<std::string>& command) {
    if (command) return *command;
    if (!which && game.records().empty()) return kDefaultLauncherParameters;
    const std::size_t index = which ? game.findTemplate(*which) : 0;
    return utf8FromWindows1251(decodeTemplateRecord(game.records()[index]).CommandLine);
}

void startServer(GameFolder& game, const std::string& parameters, std::ostream& out) {
    if (auto error = startServerLauncher(game.path(), parameters)) throw CliError(*error);
    out << "Запущен " << kServerLauncherName << "\n";
}

void startClient(GameFolder& game, const std::string& parameters, std::string profile,
                 std::ostream& out) {
    if (auto error = startClientLauncher(game.path(), parameters, profile)) throw CliError(*error);
    out << "Запущен " << kClientLauncherName << " (профиль " << profile << ")\n";
}

}  // namespace qz7::cli
