#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/game_settings.h"

namespace qz7 {

// Why the server files cannot be made from these settings and this rotation, worded for the
// user, or nothing when the template rules find nothing in them: a value that would break the
// line it is written into or smuggle another line in, a mode that is none of the sixteen, a map
// id that would break its playlist line.
std::optional<std::string> serverFilesRefusal(const GameSettings& settings,
                                              const std::vector<std::string>& rotation);

}  // namespace qz7
