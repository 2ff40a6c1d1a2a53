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

// What the launchers are given: the text of --command, else the command line of the named
// template, else what the window's command line shows when it opens (the first template's, or
// the default text when there is none).
std::string launcherParameters(GameFolder& game, const std::optional<std::string>& which,
                               const std::optional<std::string>& command);

// Starts the server launcher, or the client launcher after copying the profile's teknogods.ini
// (an empty profile: the user's name, as the window does).
void startServer(GameFolder& game, const std::string& parameters, std::ostream& out);
void startClient(GameFolder& game, const std::string& parameters, std::string profile,
                 std::ostream& out);

}  // namespace qz7::cli
