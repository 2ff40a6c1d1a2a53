#include "server/playlist.h"

#include <gtest/gtest.h>

#include <set>

namespace qz7 {
namespace {

TEST(Playlist, FixedWeightsWithoutRandomChance) {
    PlaylistWeights weights(1);
    EXPECT_EQ(formPlaylist({"mp_seatown", "mp_dome", "mp_seatown"}, false, weights),
              "mp_seatown,Manual_Mod,100\r\n"
              "mp_dome,Manual_Mod,100\r\n"
              "mp_seatown,Manual_Mod,100\r\n");
}

TEST(Playlist, EmptyRotationGivesEmptyPlaylist) {
    PlaylistWeights weights(1);
    EXPECT_EQ(formPlaylist({}, true, weights), "");
    EXPECT_EQ(formPlaylist({}, false, weights), "");
}

// Splits "item,Manual_Mod,weight\r\n" lines and checks their frame; returns the weights.
std::vector<int> weightsOf(const std::string& playlist, const std::vector<std::string>& rotation) {
    std::vector<int> found;
    std::size_t pos = 0;
    for (const std::string& item : rotation) {
        const std::string prefix = item + ",Manual_Mod,";
        EXPECT_EQ(playlist.compare(pos, prefix.size(), prefix), 0);
        pos += prefix.size();
        const std::size_t end = playlist.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos);
        const std::string digits = playlist.substr(pos, end - pos);
        EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << digits;
        EXPECT_NE(digits.front(), '0') << digits;
        found.push_back(std::stoi(digits));
        pos = end + 2;
    }
    EXPECT_EQ(pos, playlist.size());
    return found;
}

TEST(Playlist, RandomWeightsLieFrom1To999) {
    const std::vector<std::string> rotation(60, "mp_dome");
    std::set<int> seen;
    for (std::uint64_t seed = 0; seed < 300; ++seed) {
        PlaylistWeights weights(seed);
        for (int weight : weightsOf(formPlaylist(rotation, true, weights), rotation)) {
            ASSERT_GE(weight, 1);
            ASSERT_LE(weight, 999);
            seen.insert(weight);
        }
    }
    // 18,000 draws reach both ends of the range.
    EXPECT_TRUE(seen.count(1) && seen.count(999));
    EXPECT_GT(seen.size(), 900u);
}

TEST(Playlist, ClockSeededSourcesDiffer) {
    const std::vector<std::string> rotation(20, "mp_dome");
    PlaylistWeights first = PlaylistWeights::seededFromClock();
    const std::string a = formPlaylist(rotation, true, first);
    // The clock ticks in nanoseconds; draw until it has moved on, a bounded number of times.
    std::string b = a;
    for (int attempt = 0; attempt < 100 && b == a; ++attempt) {
        PlaylistWeights second = PlaylistWeights::seededFromClock();
        b = formPlaylist(rotation, true, second);
    }
    EXPECT_NE(a, b);
}

}  // namespace
}  // namespace qz7
