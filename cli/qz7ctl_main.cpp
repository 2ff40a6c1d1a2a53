// qz7ctl: the command-line front end for hosts without a desktop. It works on the same core as
// the windows: the same template store, codes, server files and port mappings.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_commands.h"
#include "cli/cli_error.h"
#include "cli/command_line.h"
#include "cli/usage_errors.h"
#include "platform/console.h"
#include "platform/program_arguments.h"
#include "server/operation_error.h"

int main(int argc, char** argv) {
    using namespace qz7::cli;
    qz7::useUtf8Console();
    // The UPnP library's own lines are kept off the terminal; these messages are not.
    qz7::keepProgramMessagesVisible();
    CLI::App app;
    CliCommands commands;
    std::string gameDir;
    setUpCommandLine(app, commands, gameDir);
    std::vector<std::string> arguments;

    try {
        // UTF-8 on every system; CLI11 takes them last first, without the program's name.
        arguments = qz7::programArguments(argc, argv);
        if (!arguments.empty()) {
            app.name(arguments.front());
            arguments.erase(arguments.begin());
        }
        // Without a command: what the commands are, one line each.
        if (arguments.empty()) {
            std::cout << app.help();
            return kExitUsage;
        }
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
    } catch (const CLI::Success& e) {
        // --help or --version.
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "Ошибка в командной строке: " << russianUsageError(app, e, arguments) << "\n"
                  << "Подробнее: qz7ctl --help\n";
        return kExitUsage;
    }

    return statusOfCommand([&] { return commands.run(gameDir, std::cout, std::cerr); }, std::cerr);
}
