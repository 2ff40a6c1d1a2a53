#pragma once

#include <string>
#include <string_view>

#include "settings/game_settings.h"

namespace qz7 {

// The server configuration made from the base configuration's bytes, and which of the two lines
// the settings go into the base holds.
struct FormedConfiguration {
    std::string bytes;
    bool passwordLine = false;     // a line beginning with "g_password" was replaced
    bool playerLimitLine = false;  // a line beginning with "sv_maxclients" was replaced
};

// A line that begins with "g_password" becomes g_password "<password>", one that begins with
// "sv_maxclients" becomes sv_maxclients <player limit>; every other line stays; every line is
// ended by CR LF. Lines are never added or removed.
FormedConfiguration formConfiguration(std::string_view baseConfiguration,
                                      const GameSettings& settings);

}  // namespace qz7
