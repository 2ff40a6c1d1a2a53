#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace qz7::cli {

// CLI11's own message of a command-line error, worded in Russian for our users: the names and
// values it quotes stay, its English words go. A missing or unknown command is named with the
// commands the app has.
std::string russianUsageError(const CLI::App& app, const CLI::ParseError& error);

// Puts Russian words into CLI11's help screens: headings, value names and the help flag. Call it
// before any option is added, and groupRussianSubcommands once the subcommands are there.
void useRussianHelp(CLI::App& app);
void groupRussianSubcommands(CLI::App& app);

}  // namespace qz7::cli
