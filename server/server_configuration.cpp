#include "server/server_configuration.h"

#include "platform/windows1251.h"
#include "server/text_lines.h"

namespace qz7 {

FormedConfiguration formConfiguration(std::string_view baseConfiguration,
                                      const GameSettings& settings) {
    FormedConfiguration formed;
    std::vector<std::string> lines = splitConfigurationLines(baseConfiguration);
    for (std::string& line : lines) {
        // Only the very beginning is compared, exactly: "g_password2" is replaced too, while
        // " g_password" or "set g_password" stay as they are.
        if (line.starts_with("g_password")) {
            line = "g_password \"" + windows1251FromUtf8(settings.Password) + '"';
            formed.passwordLine = true;
        } else if (line.starts_with("sv_maxclients")) {
            line = "sv_maxclients " + windows1251FromUtf8(settings.MaxPlayers);
            formed.playerLimitLine = true;
        }
    }
    formed.bytes = joinLinesWithCrLf(lines);
    return formed;
}

}  // namespace qz7
