#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz7::stand_in {

// What the stand-in server says of itself: texts are the game's Windows-1251 bytes.
struct StandInSetup {
    std::string hostName;
    std::string map;
    std::string gameType;
    std::string maxClients;
    std::string rconPassword;              // empty: no remote console
    std::optional<int> port;               // from +set net_port; nothing: a free port of the table
    std::vector<std::string> playerLines;  // "score ping "name"", as the answer carries them
};

// The file names it uses in the game folder (its current folder).
inline constexpr const char* kPlayersFile = "stand-in-players";
inline constexpr const char* kSilentFile = "stand-in-silent";
inline constexpr const char* kReadyFile = "stand-in-ready";
inline constexpr const char* kConsoleLogFile = "stand-in-console.log";

// Reads the setup from the game folder's files and the launcher's parameter text (UTF-8):
// host name and player limit from admin/server_mod.cfg, the mode from admin/Manual_Mod.dsr, the
// map from the first line of admin/Manual_MapRot.dspl, the players from stand-in-players (one
// "score ping name" a line; without the file two players of its own); the command line's +set of
// sv_hostname, sv_maxclients, net_port and rcon_password comes before the files.
StandInSetup readStandInSetup(const std::filesystem::path& gameFolder,
                              const std::string& commandLine);

// What the stand-in answers to a datagram: a status answer to "getstatus" and a short one to
// "getinfo" (each echoing the challenge), a printed answer to "rcon"; nothing to anything else. A
// remote "say" with the right password appends "say: TEXT" (UTF-8) to consoleLines.
std::optional<std::string> answerDatagram(const StandInSetup& setup, std::string_view datagram,
                                          std::vector<std::string>& consoleLines);

}  // namespace qz7::stand_in
