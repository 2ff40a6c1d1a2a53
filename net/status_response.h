#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qz7 {

// The game server's answer to a status query, as a host reads it. Texts are UTF-8: the server's
// bytes read as Windows-1251.
struct PlayerStatus {
    std::string name;  // without colour codes
    int score = 0;
    int ping = 0;
};

struct ServerStatus {
    // Every key and value of the answer's information line, in its order, colour codes kept.
    std::vector<std::pair<std::string, std::string>> info;
    std::string hostName;  // sv_hostname without colour codes
    std::string map;       // mapname
    std::string gameType;  // g_gametype: the mode's code, as "war"
    std::optional<int> maxClients;
    std::vector<PlayerStatus> players;

    // The value of a key of the information line (the first one of that name); nothing when
    // the answer has none.
    std::optional<std::string> value(std::string_view key) const;
};

// What reading an answer gave: the status, or why the answer was refused (Russian).
struct StatusParse {
    std::optional<ServerStatus> status;
    std::string error;
};

// The limits an answer is read within; beyond them it is refused, not cut.
inline constexpr std::size_t kStatusAnswerLimit = 64 * 1024;
inline constexpr std::size_t kStatusKeyLimit = 512;
inline constexpr std::size_t kStatusPlayerLimit = 1024;

// Four 0xFF bytes that start every connectionless datagram of the game's server.
inline constexpr std::string_view kConnectionlessHeader = "\xff\xff\xff\xff";

// The query: the header, "getstatus", a blank and the challenge (when not empty), a line end.
std::string statusRequest(std::string_view challenge);

// Reads a datagram of the form: the header, "statusResponse", a line end, a line of
// "\key\value" pairs and one line per player, "score ping "name"", each with its line end.
StatusParse parseStatusResponse(std::string_view datagram);

// Text of the server's for a person: colour codes ("^" and the visible ASCII character after it,
// unless that is another "^": "^1", "^a", "^:") and control characters taken out, the bytes read
// as Windows-1251.
std::string readableServerText(std::string_view bytes);

}  // namespace qz7
