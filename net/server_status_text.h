#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/status_response.h"

namespace qz7 {

// The mode for people: the label of the game-mode table whose code the game type is, with the
// code ("коммандный бой (war)"); the game type as given when no mode has that code.
std::string gameModeText(std::string_view gameType);

// The server's status as a host reads it: host name, map, mode, "Игроки: N из M", then one line
// per player with name, score and ping in aligned columns.
std::vector<std::string> serverStatusLines(const ServerStatus& status);

}  // namespace qz7
