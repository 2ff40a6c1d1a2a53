#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/cli_commands.h"

namespace qz7::cli {

// The whole command line of qz7ctl: its own options (--game-dir, --version, --help), every
// subcommand of the commands and the Russian help screens. The program, the writer of its manual
// page and completion, and the tests all build it here, so they cannot differ.
void setUpCommandLine(CLI::App& app, CliCommands& commands, std::string& gameDir);

// Every value of every option and argument of the command and its subcommands is refused when it
// holds a line end or another control character, before any command runs.
void refuseControlCharacters(CLI::App& command);

// What `qz7ctl --version` prints: the program's version as the window's version label has it
// (file version and the file's date), and the product version.
std::string versionText();

// The subcommands of a command in the order they were added, without option groups; with
// `nested`, their own subcommands too, each after its parent.
std::vector<const CLI::App*> subcommandsOf(const CLI::App& app, bool nested);

// "serve" or "service install": the subcommand's words after the program's name.
std::string commandPath(const CLI::App& command);

}  // namespace qz7::cli
