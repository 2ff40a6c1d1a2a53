#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace qz7 {

// The chances with which the maps come up: whole numbers from 1 to 999 from a pseudo-random
// source seeded once.
class PlaylistWeights {
  public:
    explicit PlaylistWeights(std::uint64_t seed) : engine_(seed) {}

    // A source seeded from the clock, as every run of the generator takes one.
    static PlaylistWeights seededFromClock();

    int next() { return std::uniform_int_distribution<int>(1, 999)(engine_); }

  private:
    std::mt19937_64 engine_;
};

// The weight every map gets when no random chance is wanted.
constexpr int kFixedPlaylistWeight = 100;

// The playlist: one line per rotation item, in rotation order, "<item>,Manual_Mod,<weight>",
// ended by CR LF; the weight comes from the source when randomMapChance is on and is 100
// otherwise. Windows-1251 bytes; an empty rotation gives an empty playlist.
std::string formPlaylist(const std::vector<std::string>& rotation, bool randomMapChance,
                         PlaylistWeights& weights);

}  // namespace qz7
