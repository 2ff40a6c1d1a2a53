#include "cli/command_line.h"

#include <filesystem>

#include "cli/usage_errors.h"
#include "cli/value_names.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/version_label.h"
#include "server/value_rules.h"

namespace qz7::cli {

void setUpCommandLine(CLI::App& app, CliCommands& commands, std::string& gameDir) {
    app.description("qz7ctl: шаблоны, файлы сервера, запуск и проброс портов без окон");
    useRussianHelp(app);
    app.set_version_flag("--version", versionText, "показать версию программы и выйти");
    app.require_subcommand(1);
    app.fallthrough();
    gameDir = utf8FromPath(std::filesystem::current_path());
    app.add_option("--game-dir", gameDir, "папка игры (по умолчанию текущая)")
        ->type_name(kFolderValue);
    commands.addTo(app);
    groupRussianSubcommands(app);
    refuseControlCharacters(app);
}

void refuseControlCharacters(CLI::App& command) {
    const CLI::Validator noControlCharacter(
        [](std::string& value) { return controlCharacterProblem(value).value_or(std::string()); },
        "");
    for (CLI::Option* option : command.get_options())
        if (option->get_expected_max() != 0) option->check(noControlCharacter);
    for (CLI::App* subcommand : command.get_subcommands({})) refuseControlCharacters(*subcommand);
}

std::string versionText() {
    Platform& platform = currentPlatform();
    std::string text = versionLabelText("qz7ctl", platform.programFile(), platform);
    // Without a file date the label ends in a blank.
    if (text.back() == ' ') text.pop_back();
    return text + " (версия продукта " + QZ7_PRODUCT_VERSION + ")";
}

std::vector<const CLI::App*> subcommandsOf(const CLI::App& app, bool nested) {
    std::vector<const CLI::App*> found;
    for (const CLI::App* command : app.get_subcommands({})) {
        // A nameless subcommand is an option group, not a command.
        if (command->get_name().empty()) continue;
        found.push_back(command);
        if (nested) {
            std::vector<const CLI::App*> below = subcommandsOf(*command, true);
            found.insert(found.end(), below.begin(), below.end());
        }
    }
    return found;
}

std::string commandPath(const CLI::App& command) {
    std::string path = command.get_name();
    for (const CLI::App* parent = command.get_parent();
         parent != nullptr && parent->get_parent() != nullptr; parent = parent->get_parent())
        path = parent->get_name() + " " + path;
    return path;
}

}  // namespace qz7::cli
