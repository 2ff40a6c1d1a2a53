#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/game_folder.h"
#include "cli/serve_command.h"

namespace qz7::cli {

// The serve options a user gave to a subcommand (`service install`), as arguments that give a
// later serve the same options: every option given but those named in leftOut.
std::vector<std::string> givenOptions(const CLI::App& command,
                                      const std::vector<std::string>& leftOut);

// `qz7ctl service install TEMPLATE [serve options]`: an entry that runs serve at boot (systemd)
// or at logon (Windows). Alert addresses go into a file only the owner may read, beside the
// store. With print, shows what would be installed and changes nothing.
void installService(GameFolder& game, const ServeOptions& options,
                    const std::vector<std::string>& serveArguments, bool print, std::ostream& out);

// `qz7ctl service remove TEMPLATE`: deletes the entry and stops its serve.
void removeService(GameFolder& game, const std::string& templateName, std::ostream& out);

// `qz7ctl service list`: the entries of qz7ctl, where each is and what it serves.
void listServices(std::ostream& out);

}  // namespace qz7::cli
