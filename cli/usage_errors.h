#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace qz7::cli {

// CLI11's own message of a command-line error, worded in Russian for our users: the names and
// values it quotes stay, its English words go.
std::string russianUsageError(const CLI::ParseError& error);

// Puts Russian words into CLI11's help screens: headings and the help flag. Call it before any
// option is added, and groupRussianSubcommands once the subcommands are there.
void useRussianHelp(CLI::App& app);
void groupRussianSubcommands(CLI::App& app);

}  // namespace qz7::cli
