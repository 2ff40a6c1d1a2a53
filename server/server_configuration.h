#pragma once

#include <string>
#include <string_view>

#include "settings/game_settings.h"

namespace qz7 {

// The server configuration made from the base configuration's bytes: a line that begins with
// "g_password" becomes g_password "<password>", one that begins with "sv_maxclients" becomes
// sv_maxclients <player limit>; every other line stays; every line is ended by CR LF. Lines are
// never added or removed.
std::string formConfiguration(std::string_view baseConfiguration, const GameSettings& settings);

}  // namespace qz7
