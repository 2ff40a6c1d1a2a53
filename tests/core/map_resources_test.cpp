#include "maps/map_resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/resource_table.h"
#include "platform/windows1251.h"

using namespace qz7;

namespace {

std::vector<std::string> split(std::string_view text) {
    return splitResourceLines(std::span<const unsigned char>(
        reinterpret_cast<const unsigned char*>(text.data()), text.size()));
}

std::string resourceBytes(std::string_view type, std::string_view name) {
    auto bytes = findResource(type, name);
    if (!bytes) return {};
    return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

using Lines = std::vector<std::string>;

// The catalogue as it must stand, line by line (UTF-8 here; the resource holds Windows-1251).
const Lines kCatalogue = {"===Стандартные карты====",
                          "",
                          "mp_alpha - Lockdown",
                          "mp_bootleg - Bootleg",
                          "mp_bravo - Mission",
                          "mp_carbon - Carbon",
                          "mp_dome - Dome",
                          "mp_exchange - Downturn",
                          "mp_hardhat - Hardhat",
                          "mp_interchange - Interchange",
                          "mp_lambeth - Fallen",
                          "mp_mogadishu - Bakaara",
                          "mp_paris - Resistance",
                          "mp_plaza2 - Arcaden",
                          "mp_seatown - Seatown",
                          "mp_radar - Outpost",
                          "mp_underground - Underground",
                          "mp_village - Village",
                          "",
                          "=======Dlc=========",
                          "",
                          "mp_cement - Foundation",
                          "mp_italy - Piazza",
                          "mp_meteora - Sanctuary",
                          "mp_morningwood - Black_Box",
                          "mp_overwatch - Overwatch",
                          "mp_park - Liberation",
                          "mp_qadeem - Oasis",
                          "mp_boardwalk - Boardwalk",
                          "mp_moab - Gulch",
                          "mp_nola - Parish",
                          "mp_roughneck - Off_shore",
                          "mp_shipbreaker - Decommission",
                          "mp_terminal_cls - Terminal",
                          "",
                          "=== Face-off Maps===",
                          "",
                          "mp_aground_ss - Aground",
                          "mp_courtyard_ss - Erosion",
                          "mp_hillside_ss - Getaway",
                          "mp_restrepo_ss - Lookout",
                          "mp_crosswalk_ss - Intersection",
                          "mp_burn_ss - U_turn",
                          "mp_six_ss - Vortex"};

// Splits at CR LF only, keeping whatever else the text holds.
Lines splitAtCrLf(const std::string& bytes) {
    Lines lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    lines.push_back(bytes.substr(start));
    return lines;
}

bool hasLoneCrOrLf(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) return true;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return true;
    }
    return false;
}

}  // namespace

TEST(SplitResourceLines, EveryLineEndKindEndsALine) {
    EXPECT_EQ(split("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(split("a\n\rb"), (Lines{"a", "", "b"}));  // LF then CR: two line ends
    EXPECT_EQ(split("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(split("\r\n"), (Lines{""}));
    EXPECT_EQ(split("\n\n"), (Lines{"", ""}));
}

TEST(SplitResourceLines, ALineEndAtTheVeryEndAddsNoLine) {
    EXPECT_EQ(split("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(split("a\r"), (Lines{"a"}));
    EXPECT_EQ(split("a\n"), (Lines{"a"}));
    EXPECT_EQ(split("a"), (Lines{"a"}));
    EXPECT_EQ(split(""), Lines{});
    EXPECT_EQ(split("   \r\n"), (Lines{"   "}));  // blanks stay
}

TEST(SplitResourceLines, BytesAreKeptUnconverted) {
    const std::string bytes("\xd0\xe0\x98\x00z", 5);
    EXPECT_EQ(split(bytes + "\r\n"), (Lines{bytes}));
}

TEST(LoadTextResource, MissingResourceGivesNoLinesAndNamesIgnoreCase) {
    EXPECT_TRUE(LoadTextResource("NO_SUCH_TEXT").empty());
    EXPECT_EQ(LoadTextResource("spisok"), LoadTextResource("SPISOK"));
}

TEST(CatalogueText, HoldsTheFortyFourLinesSeparatedByCrLfWithNoFinalLineEnd) {
    const std::string bytes = resourceBytes("TXT", "SPISOK");
    ASSERT_FALSE(bytes.empty());
    EXPECT_FALSE(hasLoneCrOrLf(bytes));
    EXPECT_NE(bytes.back(), '\n');
    const Lines lines = splitAtCrLf(bytes);
    ASSERT_EQ(lines.size(), 44u);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(utf8FromWindows1251(lines[i]), kCatalogue[i]) << "line " << i;
    EXPECT_EQ(lines[0], "===\xd1\xf2\xe0\xed\xe4\xe0\xf0\xf2\xed\xfb\xe5 \xea\xe0\xf0\xf2\xfb====");
    EXPECT_EQ(LoadTextResource("SPISOK"), lines);
}

TEST(DescriptionText, RepeatsEachCatalogueLineAndEndsEveryLineWithCrLf) {
    const std::string bytes = resourceBytes("TXT", "INFA");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_FALSE(hasLoneCrOrLf(bytes));
    ASSERT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    Lines lines = splitAtCrLf(bytes);
    ASSERT_EQ(lines.back(), "");  // what follows the final CR LF
    lines.pop_back();
    ASSERT_EQ(lines.size(), 44u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string utf8 = utf8FromWindows1251(lines[i]);
        const std::string& catalogueLine = kCatalogue[i];
        const bool mapLine = catalogueLine.starts_with("mp_");
        SCOPED_TRACE("line " + std::to_string(i) + ": " + utf8);
        EXPECT_TRUE(utf8.starts_with(catalogueLine));
        if (mapLine) {
            EXPECT_EQ(utf8.substr(catalogueLine.size(), 2), ": ");
            EXPECT_GT(lines[i].size(), catalogueLine.size() + 2);  // some description
        } else {
            // Header and blank lines are padded with blanks to 31 characters (bytes).
            EXPECT_EQ(lines[i].size(), 31u);
            EXPECT_EQ(lines[i].find_first_not_of(' ', windows1251FromUtf8(catalogueLine).size()),
                      std::string::npos);
        }
    }
    EXPECT_EQ(LoadTextResource("INFA"), lines);
}

TEST(DescriptionText, TheThreeGivenExamplesStandByteForByte) {
    const Lines lines = LoadTextResource("INFA");
    ASSERT_EQ(lines.size(), 44u);
    EXPECT_EQ(lines[2],
              "mp_alpha - Lockdown: "
              "\xd0\xe0\xe7\xf0\xf3\xf8\xe5\xed\xed\xe0\xff \xcf\xf0\xe0\xe3\xe0, "
              "\xd7\xe5\xf5\xe8\xff");
    EXPECT_EQ(lines[14],
              "mp_seatown - Seatown: \xc3\xee\xf0\xee\xe4 \xc1\xee\xf1\xe0\xf1\xee, "
              "\xd1\xee\xec\xe0\xeb\xe8          ");
    EXPECT_EQ(lines[10],
              "mp_lambeth - Fallen: \xc7\xe0\xe1\xf0\xee\xf8\xe5\xed\xed\xfb\xe9 "
              "\xe3\xee\xf0\xee\xe4 \xcf\xf0\xe8\xef\xff\xf2\xfc, \xd3\xea\xf0\xe0\xe8\xed\xe0");
}
