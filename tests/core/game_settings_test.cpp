#include "settings/game_settings.h"

#include <gtest/gtest.h>

namespace qz7 {
namespace {

TEST(GameSettings, DefaultsEncodeInFieldOrder) {
    const std::array<std::string, kSettingsFieldCount> expected = {"все против всех",
                                                                   "50",
                                                                   "0",
                                                                   "5000",
                                                                   "15",
                                                                   "1",
                                                                   "1",
                                                                   "1",
                                                                   "0",
                                                                   "",
                                                                   "1",
                                                                   "0",
                                                                   "1",
                                                                   "0",
                                                                   "0",
                                                                   "1",
                                                                   "0",
                                                                   "1",
                                                                   "5",
                                                                   "12"};
    EXPECT_EQ(settingsFieldCodes(GameSettings{}), expected);
}

TEST(GameSettings, ModeTableHasSixteenPairsInOrder) {
    const auto& table = gameModeTable();
    ASSERT_EQ(table.size(), 16u);
    EXPECT_EQ(table.front().code, "dm");
    EXPECT_EQ(table[8].code, "tdef");
    EXPECT_EQ(table[8].label, "хищник");
    EXPECT_EQ(table[9].code, "conf");
    EXPECT_EQ(table[9].label, "коммандная оборона");
    EXPECT_EQ(table.back().code, "oic");
    EXPECT_EQ(modeCode("захват флага"), "ctf");
    EXPECT_EQ(modeCode("Захват флага"), "");   // exact, case-sensitive
    EXPECT_EQ(modeCode("захват флага "), "");  // no trimming
}

TEST(GameSettings, LivesAndChecksReadBack) {
    EXPECT_EQ(livesCode("неогран."), "0");
    EXPECT_EQ(livesCode("7"), "7");
    EXPECT_EQ(livesFromCode("0"), "неогран.");
    EXPECT_EQ(livesFromCode(""), "");
    EXPECT_TRUE(checkFromCode("1"));
    EXPECT_FALSE(checkFromCode("01"));
    EXPECT_FALSE(checkFromCode(""));
}

TEST(GameSettings, UnknownSpectatorAndRegenerationKeepTheBoxes) {
    EXPECT_EQ(spectatorCode("никто"), "");
    EXPECT_EQ(regenerationCode("off"), "");
    EXPECT_EQ(regenerationCode("быстро"), "10");

    GameSettings settings;
    settings.Spectator = "для всех";
    settings.HealthRegen = "Off";
    auto codes = settingsFieldCodes(GameSettings{});
    codes[17] = "9";
    codes[18] = "";
    applySettingsFieldCodes(settings, codes);
    EXPECT_EQ(settings.Spectator, "для всех");
    EXPECT_EQ(settings.HealthRegen, "Off");

    codes[17] = "0";
    codes[18] = "2";
    applySettingsFieldCodes(settings, codes);
    EXPECT_EQ(settings.Spectator, "выкл");
    EXPECT_EQ(settings.HealthRegen, "медленно");
}

TEST(GameSettings, DefaultCodesDecodeToDefaults) {
    GameSettings decoded;
    decoded.MaxHealth = "other";
    decoded.Hardcore = true;
    applySettingsFieldCodes(decoded, settingsFieldCodes(GameSettings{}));
    EXPECT_EQ(decoded, GameSettings{});
}

}  // namespace
}  // namespace qz7
