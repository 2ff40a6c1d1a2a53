// qz7ctl: the command-line front end for hosts without a desktop. It works on the same core as
// the windows: the same template store, codes, server files and port mappings.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>

#include "cli/cli_commands.h"
#include "cli/cli_error.h"
#include "cli/usage_errors.h"
#include "platform/console.h"
#include "platform/game_paths.h"
#include "platform/program_arguments.h"

int main(int argc, char** argv) {
    using namespace qz7::cli;
    qz7::useUtf8Console();
    CLI::App app{"qz7ctl: шаблоны, файлы сервера, запуск и проброс портов без окон"};
    useRussianHelp(app);
    app.require_subcommand(1);
    app.fallthrough();
    std::string gameDir = qz7::utf8FromPath(std::filesystem::current_path());
    app.add_option("--game-dir", gameDir, "папка игры (по умолчанию текущая)");

    CliCommands commands;
    commands.addTo(app);
    groupRussianSubcommands(app);

    try {
        // UTF-8 on every system; CLI11 takes them last first, without the program's name.
        std::vector<std::string> arguments = qz7::programArguments(argc, argv);
        if (!arguments.empty()) {
            app.name(arguments.front());
            arguments.erase(arguments.begin());
        }
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "Ошибка в командной строке: " << russianUsageError(e) << "\n"
                  << "Подробнее: qz7ctl --help\n";
        return kExitUsage;
    }

    try {
        return commands.run(gameDir, std::cout, std::cerr);
    } catch (const CliError& e) {
        std::cerr << e.what() << "\n";
        return e.exitCode();
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return kExitFailed;
    }
}
