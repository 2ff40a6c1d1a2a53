#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace qz7::cli {

// CLI11's own message of a command-line error, worded in Russian for our users: the names and
// values it quotes stay, its English words go. A missing or unknown command is named with the
// commands the app has.
// arguments are the command line as given; an argument that begins with a dash but names no option
// (a template named "-=RUS=- Дуэли") is met with the way to give it: after "--".
std::string russianUsageError(const CLI::App& app, const CLI::ParseError& error,
                              const std::vector<std::string>& arguments = {});

// Puts Russian words into CLI11's help screens: headings, value names and the help flag. Call it
// before any option is added, and groupRussianSubcommands once the subcommands are there.
void useRussianHelp(CLI::App& app);
void groupRussianSubcommands(CLI::App& app);

}  // namespace qz7::cli
