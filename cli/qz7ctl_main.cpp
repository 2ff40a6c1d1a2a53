// qz7ctl: the command-line front end for hosts without a desktop. It works on the same core as
// the windows: the same template store, codes, server files and port mappings.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>

#include "cli/cli_commands.h"
#include "cli/cli_error.h"

int main(int argc, char** argv) {
    using namespace qz7::cli;
    CLI::App app{"qz7ctl: шаблоны, файлы сервера, запуск и проброс портов без окон"};
    app.require_subcommand(1);
    app.fallthrough();
    std::string gameDir = std::filesystem::current_path().string();
    app.add_option("--game-dir", gameDir, "папка игры (по умолчанию текущая)");

    CliCommands commands;
    commands.addTo(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "Ошибка в командной строке: " << e.what() << "\n"
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
