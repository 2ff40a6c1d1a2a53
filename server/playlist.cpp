#include "server/playlist.h"

#include <chrono>

#include "platform/windows1251.h"

namespace qz7 {

PlaylistWeights PlaylistWeights::seededFromClock() {
    return PlaylistWeights(
        std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count()));
}

std::string formPlaylist(const std::vector<std::string>& rotation, bool randomMapChance,
                         PlaylistWeights& weights) {
    std::string playlist;
    playlist.reserve(rotation.size() * 32);
    for (const std::string& item : rotation) {
        const int weight = randomMapChance ? weights.next() : kFixedPlaylistWeight;
        playlist += windows1251FromUtf8(item);
        playlist += ",Manual_Mod,";
        playlist += std::to_string(weight);
        playlist += "\r\n";
    }
    return playlist;
}

}  // namespace qz7
