#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <optional>

#include "cli/game_folder.h"

namespace qz7::cli {

struct PlayersOptions {
    std::optional<int> queryPort;
    bool json = false;
};

// Adds `qz7ctl players` with its options to the app.
CLI::App* addPlayersCommand(CLI::App& app, PlayersOptions& options);

// `qz7ctl players`: asks the game server running on this machine for its status (the port found
// as the core's search finds it, from the serve of the game folder when one runs) and shows host
// name, map, mode and players. Returns 0 when the server answered, 1 with the reason otherwise.
int showPlayers(GameFolder& game, const PlayersOptions& options, std::ostream& out);

}  // namespace qz7::cli
