#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/game_folder.h"

namespace qz7::cli {

// `qz7ctl backups [--json]`: the kept versions of the folder's files; with forget, removes every
// version of that file instead.
void runBackups(GameFolder& game, bool json, const std::optional<std::string>& forget,
                std::ostream& out);

// `qz7ctl restore-template VERSION NAME|#N`.
void runRestoreTemplate(GameFolder& game, const std::string& version,
                        const std::string& nameOrPosition, std::ostream& out);

// `qz7ctl restore VERSION`.
void runRestore(GameFolder& game, const std::string& version, std::ostream& out);

}  // namespace qz7::cli
