// Writes qz7ctl's manual page and bash completion from its command table, at build time.
// Usage: qz7ctl_docs PAGE_TEXT MANUAL_PAGE COMPLETION
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/command_docs.h"
#include "cli/command_line.h"
#include "platform/atomic_file.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: qz7ctl_docs PAGE_TEXT MANUAL_PAGE COMPLETION\n";
        return 2;
    }
    try {
        CLI::App app;
        qz7::cli::CliCommands commands;
        std::string gameDir;
        qz7::cli::setUpCommandLine(app, commands, gameDir);
        app.name("qz7ctl");
        qz7::writeFileAtomically(argv[2], qz7::cli::manualPage(app, qz7::readWholeFile(argv[1])));
        qz7::writeFileAtomically(argv[3], qz7::cli::bashCompletion(app));
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
