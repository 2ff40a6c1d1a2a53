#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>

namespace qz7::cli {

// The manual page qz7ctl(1): the page's own text with "@VERSION@", "@OPTIONS@" (the program's
// options) and "@COMMANDS@" (every subcommand, nested ones too, with its arguments and options)
// filled in from the command line itself.
std::string manualPage(const CLI::App& app, std::string_view pageText);

// The bash completion of qz7ctl: subcommands, options, the choices of an option, file and folder
// names, and the templates of the game folder (--game-dir or the current one) as `qz7ctl list`
// gives them when completing.
std::string bashCompletion(const CLI::App& app);

}  // namespace qz7::cli
