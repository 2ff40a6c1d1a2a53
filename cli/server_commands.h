#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/game_folder.h"

namespace qz7::cli {

// Forms the recipe, playlist and server configuration from one template's settings and rotation,
// as the window's "Сформировать файлы " does with that template applied. Random map weights
// unless fixedWeights.
void generateServerFiles(GameFolder& game, const std::string& which, bool fixedWeights,
                         std::ostream& out);

// "Не могу найти файл: <launcher> (папка игры: <folder>)" when the launcher is not in the game
// folder; nothing when it is.
std::optional<std::string> missingLauncherInGameFolder(const GameFolder& game,
                                                       const std::string& launcherName);

// Starts the server launcher, or the client launcher after copying the profile's teknogods.ini
// (an empty profile: the user's name, as the window does). A profile that was not found or not
// copied is told on err; the client starts all the same.
void startServer(GameFolder& game, const std::string& parameters, std::ostream& out);
void startClient(GameFolder& game, const std::string& parameters, std::string profile,
                 std::ostream& out, std::ostream& err);

}  // namespace qz7::cli
