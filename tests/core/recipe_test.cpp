#include "server/recipe.h"

#include <gtest/gtest.h>

#include "server/text_lines.h"

namespace qz7 {
namespace {

// A base recipe with the eighteen option lines in mixed order among others, CR LF ended.
const std::string kBaseRecipe =
    "// match rules\r\n"
    "gameOpt commonOption.maxHealth \"100\"\r\n"
    "gameOpt commonOption.roundLimit \"1\"\r\n"
    "gameOpt commonOption.timeLimit \"10\"\r\n"
    "gameOpt commonOption.healthRegen \"1\"\r\n"
    "gameOpt gametype \"war\"\r\n"
    "gameOpt commonOption.numLives \"3\"\r\n"
    "gameOpt commonOption.allowKillstreaks \"0\"\r\n"
    "gameOpt commonOption.spectateModeAllowed \"2\"\r\n"
    "gameOpt commonOption.radarAlwaysOn \"1\"\r\n"
    "\r\n"
    "gameOpt commonOption.headshotsOnly \"1\"\r\n"
    "gameOpt commonOption.allowCustomClasses \"0\"\r\n"
    "gameOpt commonOption.forceThirdPersonView \"1\"\r\n"
    "gameOpt commonOption.allowPerks \"0\"\r\n"
    "gameOpt commonOption.showKillcam \"0\"\r\n"
    "gameOpt commonOption.attachmentRestricted.m320 \"0\"\r\n"
    "gameOpt defaultClasses.axis.[0].class.inUse \"1\"\r\n"
    "gameOpt commonOption.friendlyFire \"0\"\r\n"
    "gameOpt commonOption.scoreLimit \"7500\"\r\n"
    "gameOpt commonOption.hardcoreModeOn \"1\"\r\n"
    "gameOpt commonOption.playerRespawnDelay \"5\"\r\n";

TEST(Recipe, DefaultsGoIntoTheirOwnLinesAndEverythingElseStays) {
    const std::string expected =
        "// match rules\r\n"
        "gameOpt commonOption.maxHealth \"50\"\r\n"
        "gameOpt commonOption.roundLimit \"1\"\r\n"
        "gameOpt commonOption.timeLimit \"15\"\r\n"
        "gameOpt commonOption.healthRegen \"5\"\r\n"
        "gameOpt gametype \"dm\"\r\n"
        "gameOpt commonOption.numLives \"0\"\r\n"
        "gameOpt commonOption.allowKillstreaks \"1\"\r\n"
        "gameOpt commonOption.spectateModeAllowed \"1\"\r\n"
        "gameOpt commonOption.radarAlwaysOn \"0\"\r\n"
        "\r\n"
        "gameOpt commonOption.headshotsOnly \"0\"\r\n"
        "gameOpt commonOption.allowCustomClasses \"1\"\r\n"
        "gameOpt commonOption.forceThirdPersonView \"0\"\r\n"
        "gameOpt commonOption.allowPerks \"1\"\r\n"
        "gameOpt commonOption.showKillcam \"1\"\r\n"
        "gameOpt commonOption.attachmentRestricted.m320 \"1\"\r\n"
        "gameOpt defaultClasses.axis.[0].class.inUse \"0\"\r\n"
        "gameOpt commonOption.friendlyFire \"1\"\r\n"
        "gameOpt commonOption.scoreLimit \"5000\"\r\n"
        "gameOpt commonOption.hardcoreModeOn \"0\"\r\n"
        "gameOpt commonOption.playerRespawnDelay \"5\"\r\n";
    EXPECT_EQ(formRecipe(kBaseRecipe, GameSettings{}), expected);
}

TEST(Recipe, EveryFieldReachesItsKey) {
    GameSettings s;
    s.GameMode = "хищник";
    s.MaxHealth = "200";
    s.Hardcore = true;
    s.ScoreLimit = "15000 ";
    s.TimeLimit = "abc";
    s.FriendlyFire = false;
    s.NoUnderbarrel = false;
    s.KillCam = false;
    s.NoDefaultClasses = true;
    s.Perks = false;
    s.ThirdPerson = true;
    s.CustomClasses = false;
    s.HeadshotsOnly = true;
    s.RadarAlwaysOn = true;
    s.Killstreaks = false;
    s.Lives = "7";
    s.Spectator = "для всех";
    s.HealthRegen = "Off";
    const std::string expected =
        "// match rules\r\n"
        "gameOpt commonOption.maxHealth \"200\"\r\n"
        "gameOpt commonOption.roundLimit \"1\"\r\n"
        "gameOpt commonOption.timeLimit \"abc\"\r\n"
        "gameOpt commonOption.healthRegen \"0\"\r\n"
        "gameOpt gametype \"tdef\"\r\n"
        "gameOpt commonOption.numLives \"7\"\r\n"
        "gameOpt commonOption.allowKillstreaks \"0\"\r\n"
        "gameOpt commonOption.spectateModeAllowed \"2\"\r\n"
        "gameOpt commonOption.radarAlwaysOn \"1\"\r\n"
        "\r\n"
        "gameOpt commonOption.headshotsOnly \"1\"\r\n"
        "gameOpt commonOption.allowCustomClasses \"0\"\r\n"
        "gameOpt commonOption.forceThirdPersonView \"1\"\r\n"
        "gameOpt commonOption.allowPerks \"0\"\r\n"
        "gameOpt commonOption.showKillcam \"0\"\r\n"
        "gameOpt commonOption.attachmentRestricted.m320 \"0\"\r\n"
        "gameOpt defaultClasses.axis.[0].class.inUse \"1\"\r\n"
        "gameOpt commonOption.friendlyFire \"0\"\r\n"
        "gameOpt commonOption.scoreLimit \"15000 \"\r\n"
        "gameOpt commonOption.hardcoreModeOn \"1\"\r\n"
        "gameOpt commonOption.playerRespawnDelay \"5\"\r\n";
    EXPECT_EQ(formRecipe(kBaseRecipe, s), expected);
}

TEST(Recipe, TextsWithoutALabelGiveEmptyValuesAndCyrillicIsWrittenIn1251) {
    GameSettings s;
    s.GameMode = "все против всех ";  // no label has the trailing blank
    s.Spectator = "никому";
    s.HealthRegen = "off";
    s.MaxHealth = "сто";
    const std::string base =
        "gameOpt gametype \"war\"\r\n"
        "gameOpt commonOption.spectateModeAllowed \"2\"\r\n"
        "gameOpt commonOption.healthRegen \"1\"\r\n"
        "gameOpt commonOption.maxHealth \"1\"\r\n";
    const std::string recipe = formRecipe(base, s);
    EXPECT_EQ(splitRecipeLines(recipe).at(0), "gameOpt gametype \"\"");
    EXPECT_EQ(splitRecipeLines(recipe).at(1), "gameOpt commonOption.spectateModeAllowed \"\"");
    EXPECT_EQ(splitRecipeLines(recipe).at(2), "gameOpt commonOption.healthRegen \"\"");
    EXPECT_EQ(splitRecipeLines(recipe).at(3), "gameOpt commonOption.maxHealth \"\xF1\xF2\xEE\"");
}

// Line ends, NUL and letter case, on a base that holds only a few option lines; the options
// missing from it are added after it (checked separately below).
std::string firstLines(const std::string& recipe, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < count; ++i) end = recipe.find("\r\n", end) + 2;
    return recipe.substr(0, end);
}

TEST(Recipe, LineEndsOfTheBaseBecomeCrLf) {
    EXPECT_EQ(firstLines(formRecipe("a\ngameOpt gametype \"war\"\nb", GameSettings{}), 3),
              "a\r\ngameOpt gametype \"dm\"\r\nb\r\n");
    EXPECT_EQ(firstLines(formRecipe("a\rb\r\rc\r\n\nd\n", GameSettings{}), 6),
              "a\r\nb\r\n\r\nc\r\n\r\nd\r\n");
}

TEST(Recipe, ANulEndsTheBase) {
    const std::string base = "gameOpt gametype \"war\"\r\nx" + std::string(1, '\0') +
                             "gameOpt commonOption.maxHealth \"9\"\r\n";
    const std::string recipe = formRecipe(base, GameSettings{});
    EXPECT_EQ(firstLines(recipe, 3),
              "gameOpt gametype \"dm\"\r\nx\r\ngameOpt commonOption.maxHealth \"50\"\r\n");
    // The health line after the NUL is gone; the one above was added for the missing key.
    EXPECT_EQ(recipe.find("\"9\""), std::string::npos);
}

TEST(Recipe, KeysMatchInAnyLetterCaseAndKeepTheirCase) {
    EXPECT_EQ(firstLines(formRecipe("GAMEOPT GameType \"war\"\r\n", GameSettings{}), 1),
              "GAMEOPT GameType \"dm\"\r\n");
}

TEST(Recipe, OnlyTheFirstLineBeginningWithKeyAndBlankIsChanged) {
    const std::string base =
        "gameOpt gametypeX \"a\"\r\n"  // key not followed by a blank
        " gameOpt gametype \"b\"\r\n"  // key not at the beginning
        "gameOpt gametype\t\"c\"\r\n"  // a tab is no blank
        "gameOpt gametype \"d\"\r\n"   // the first real one
        "gameOpt gametype \"e\"\r\n";  // later ones stay
    EXPECT_EQ(firstLines(formRecipe(base, GameSettings{}), 5),
              "gameOpt gametypeX \"a\"\r\n"
              " gameOpt gametype \"b\"\r\n"
              "gameOpt gametype\t\"c\"\r\n"
              "gameOpt gametype \"dm\"\r\n"
              "gameOpt gametype \"e\"\r\n");
}

TEST(Recipe, QuotesDecideWhatIsReplaced) {
    // Text after the closing quote stays after the new one; text before the first quote stays.
    EXPECT_EQ(withOptionValue("gameOpt gametype  \"war\" // team", 16, "dm"),
              "gameOpt gametype  \"dm\" // team");
    // No closing quote: everything from the first quote to the end of the line is replaced.
    EXPECT_EQ(withOptionValue("gameOpt gametype \"war // team", 16, "dm"),
              "gameOpt gametype \"dm\"");
    // Only the first pair of quotes counts.
    EXPECT_EQ(withOptionValue("gameOpt gametype \"a\" \"b\"", 16, "dm"),
              "gameOpt gametype \"dm\" \"b\"");
    EXPECT_EQ(withOptionValue("gameOpt gametype \"\"", 16, ""), "gameOpt gametype \"\"");
}

TEST(Recipe, AnOptionLineWithoutQuotesGetsItsValueAfterTheKey) {
    EXPECT_EQ(withOptionValue("gameopt GAMETYPE war", 16, "dm"), "gameopt GAMETYPE \"dm\"");
}

TEST(Recipe, OptionsMissingFromTheBaseAreAddedAtTheEndInOptionOrder) {
    const std::string recipe =
        formRecipe("x\r\ngameOpt commonOption.timeLimit \"10\"\r\n", GameSettings{});
    const std::string expected =
        "x\r\n"
        "gameOpt commonOption.timeLimit \"15\"\r\n"
        "gameOpt gametype \"dm\"\r\n"
        "gameOpt commonOption.maxHealth \"50\"\r\n"
        "gameOpt commonOption.hardcoreModeOn \"0\"\r\n"
        "gameOpt commonOption.scoreLimit \"5000\"\r\n"
        "gameOpt commonOption.friendlyFire \"1\"\r\n"
        "gameOpt defaultClasses.axis.[0].class.inUse \"0\"\r\n"
        "gameOpt commonOption.attachmentRestricted.m320 \"1\"\r\n"
        "gameOpt commonOption.showKillcam \"1\"\r\n"
        "gameOpt commonOption.allowPerks \"1\"\r\n"
        "gameOpt commonOption.forceThirdPersonView \"0\"\r\n"
        "gameOpt commonOption.allowCustomClasses \"1\"\r\n"
        "gameOpt commonOption.headshotsOnly \"0\"\r\n"
        "gameOpt commonOption.radarAlwaysOn \"0\"\r\n"
        "gameOpt commonOption.spectateModeAllowed \"1\"\r\n"
        "gameOpt commonOption.allowKillstreaks \"1\"\r\n"
        "gameOpt commonOption.numLives \"0\"\r\n"
        "gameOpt commonOption.healthRegen \"5\"\r\n";
    EXPECT_EQ(recipe, expected);
}

TEST(Recipe, SameSettingsGiveTheSameBytes) {
    EXPECT_EQ(formRecipe(kBaseRecipe, GameSettings{}), formRecipe(kBaseRecipe, GameSettings{}));
}

TEST(RecipeLines, SplitAtEveryKindOfLineEnd) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitRecipeLines(""), Lines{});
    EXPECT_EQ(splitRecipeLines("a"), Lines{"a"});
    EXPECT_EQ(splitRecipeLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(splitRecipeLines("a\n\n"), (Lines{"a", ""}));
    EXPECT_EQ(splitRecipeLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitRecipeLines("\r\n"), Lines{""});
    EXPECT_EQ(splitRecipeLines(std::string("\0a", 2)), Lines{});
}

}  // namespace
}  // namespace qz7
