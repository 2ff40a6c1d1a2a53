#include "settings/template_rules.h"

#include <gtest/gtest.h>

#include <functional>

namespace qz7 {
namespace {

using K = TemplateProblemKind;
using F = TemplateFieldKind;

TemplateContent goodContent() {
    return contentOfState("Ночной сервер", GameSettings{}, {"mp_dome", "mp_seatown"},
                          "+set dedicated 1");
}

std::string repeated(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

constexpr std::size_t kPassword = 9;
constexpr std::size_t kTime = 4;
constexpr std::size_t kPlayers = 19;

TEST(TemplateRules, TheDefaultsAndOrdinaryValuesPass) {
    EXPECT_TRUE(findTemplateProblems(goodContent()).empty());
    TemplateContent content = goodContent();
    content.name = "Сервер №1 — «ночь» " + std::string(181, 'x');  // 200 in Windows-1251
    content.settingsCodes[kPassword] = "пароль с пробелами 'и апострофом'\t";
    content.settingsCodes[3] = "15000 ";
    content.commandLine = "+set a;b \"c\"";  // a field of its own, never put between quotes
    content.settingsCodes[kTime] = "0";
    content.settingsCodes[kPlayers] = "999";
    EXPECT_TRUE(findTemplateProblems(content).empty());
    content.settingsCodes[kTime] = "030";
    content.settingsCodes[kPlayers] = "1";
    EXPECT_TRUE(findTemplateProblems(content).empty());
    // The name dialog cuts a long name; only an imported one is refused for it.
    EXPECT_TRUE(findNameProblems(std::string(300, 'x')).empty());
}

// Each case changes one thing of a good template; exactly that problem must be found.
TEST(TemplateRules, EachRuleNamesTheFieldAndTheKind) {
    struct Case {
        const char* what;
        std::function<void(TemplateContent&)> change;
        TemplateFieldId field;
        TemplateProblemKind kind;
        std::string character;
    };
    const Case cases[] = {
        {"separator in the password",
         [](auto& c) { c.settingsCodes[kPassword] = "a;b"; },
         {F::Setting, kPassword},
         K::FieldSeparator,
         ";"},
        {"quote in the password",
         [](auto& c) { c.settingsCodes[kPassword] = "a\"b"; },
         {F::Setting, kPassword},
         K::Quote,
         "\""},
        {"quote in the health",
         [](auto& c) { c.settingsCodes[1] = "1\"2"; },
         {F::Setting, 1},
         K::Quote,
         "\""},
        {"quote in the player limit, no number",
         [](auto& c) { c.settingsCodes[kPlayers] = "1\"2"; },
         {F::Setting, kPlayers},
         K::NotInRange,
         "1\"2"},
        {"letters as the player limit",
         [](auto& c) { c.settingsCodes[kPlayers] = "abc"; },
         {F::Setting, kPlayers},
         K::NotInRange,
         "abc"},
        {"no player at all",
         [](auto& c) { c.settingsCodes[kPlayers] = "0"; },
         {F::Setting, kPlayers},
         K::NotInRange,
         "0"},
        {"a thousand players",
         [](auto& c) { c.settingsCodes[kPlayers] = "1000"; },
         {F::Setting, kPlayers},
         K::NotInRange,
         "1000"},
        {"an empty player limit",
         [](auto& c) { c.settingsCodes[kPlayers] = ""; },
         {F::Setting, kPlayers},
         K::NotInRange,
         ""},
        {"a number beyond int",
         [](auto& c) { c.settingsCodes[kPlayers] = "99999999999999999999"; },
         {F::Setting, kPlayers},
         K::NotInRange,
         "99999999999999999999"},
        {"45 minutes",
         [](auto& c) { c.settingsCodes[kTime] = "45"; },
         {F::Setting, kTime},
         K::NotInRange,
         "45"},
        {"a signed time",
         [](auto& c) { c.settingsCodes[kTime] = "+5"; },
         {F::Setting, kTime},
         K::NotInRange,
         "+5"},
        {"a time with a blank",
         [](auto& c) { c.settingsCodes[kTime] = "15 "; },
         {F::Setting, kTime},
         K::NotInRange,
         "15 "},
        {"lone CR in the score",
         [](auto& c) { c.settingsCodes[3] = "50\r"; },
         {F::Setting, 3},
         K::LineBreak,
         "\r"},
        {"LF in the lives",
         [](auto& c) { c.settingsCodes[16] = "\nsv_maxclients 64"; },
         {F::Setting, 16},
         K::LineBreak,
         "\n"},
        {"NUL in the health",
         [](auto& c) { c.settingsCodes[1] = std::string("1\0", 2); },
         {F::Setting, 1},
         K::LineBreak,
         std::string("\0", 1)},
        {"character outside 1251",
         [](auto& c) { c.settingsCodes[3] = "5000 €€ 日"; },
         {F::Setting, 3},
         K::NotWindows1251,
         "日"},
        {"overlong ';' is no way around",
         [](auto& c) { c.settingsCodes[kPassword] = "a\xC0\xBB"; },
         {F::Setting, kPassword},
         K::NotWindows1251,
         "\xC0\xBB"},
        {"mode outside the sixteen",
         [](auto& c) { c.settingsCodes[0] = "неизвестный режим"; },
         {F::Setting, 0},
         K::UnknownGameMode,
         "неизвестный режим"},
        {"no mode at all",
         [](auto& c) { c.settingsCodes[0] = ""; },
         {F::Setting, 0},
         K::UnknownGameMode,
         ""},
        {"comma in a map",
         [](auto& c) { c.rotation[1] = "mp_dome,Other_Mod,999"; },
         {F::Map, 1},
         K::MapIdCharacter,
         ","},
        {"blank in a map",
         [](auto& c) { c.rotation[0] = "mp dome"; },
         {F::Map, 0},
         K::MapIdCharacter,
         " "},
        {"TAB in a map",
         [](auto& c) { c.rotation[0] = "mp_dome\t"; },
         {F::Map, 0},
         K::MapIdCharacter,
         "\t"},
        {"CR LF in a map",
         [](auto& c) { c.rotation[0] = "mp_seatown\r\nmp_evil"; },
         {F::Map, 0},
         K::LineBreak,
         "\r"},
        {"separator in a map",
         [](auto& c) { c.rotation[0] = "mp_a;mp_b"; },
         {F::Map, 0},
         K::FieldSeparator,
         ";"},
        {"empty map", [](auto& c) { c.rotation.push_back(""); }, {F::Map, 2}, K::Empty, ""},
        {"empty name", [](auto& c) { c.name = ""; }, {F::Name}, K::Empty, ""},
        {"blank name", [](auto& c) { c.name = "  \t "; }, {F::Name}, K::Empty, ""},
        {"line break in the name", [](auto& c) { c.name = "a\rb"; }, {F::Name}, K::LineBreak, "\r"},
        {"TAB in the name",
         [](auto& c) { c.name = "Турнир\t2"; },
         {F::Name},
         K::ControlCharacter,
         "\t"},
        {"escape in the name",
         [](auto& c) { c.name = "a\x1B[31m"; },
         {F::Name},
         K::ControlCharacter,
         "\x1B"},
        {"name of 201 characters",
         [](auto& c) { c.name = repeated("я", 201); },
         {F::Name},
         K::TooLong,
         ""},
        {"name outside 1251",
         [](auto& c) { c.name = "Сервер ★"; },
         {F::Name},
         K::NotWindows1251,
         "★"},
        {"command line outside 1251",
         [](auto& c) { c.commandLine = "+set sv_hostname ★"; },
         {F::CommandLine},
         K::NotWindows1251,
         "★"},
    };
    for (const Case& c : cases) {
        TemplateContent content = goodContent();
        c.change(content);
        const std::vector<TemplateProblem> problems = findTemplateProblems(content);
        ASSERT_EQ(problems.size(), 1u) << c.what;
        EXPECT_EQ(problems[0].field, c.field) << c.what;
        EXPECT_EQ(problems[0].kind, c.kind) << c.what;
        EXPECT_EQ(problems[0].character, c.character) << c.what;
    }
}

TEST(TemplateRules, TheRecordsRoomIsCountedInWindows1251Characters) {
    TemplateContent content = goodContent();
    // The default line is 59 characters; a password of 196 makes exactly 255.
    content.settingsCodes[kPassword] = std::string(196, 'p');
    EXPECT_TRUE(findContentProblems(content).empty());
    content.settingsCodes[kPassword] = repeated("п", 98) + std::string(99, 'p');  // 197 bytes
    EXPECT_EQ(findContentProblems(content),
              (std::vector<TemplateProblem>{{{F::SettingsLine}, K::TooLong, "", 256, 255}}));

    content = goodContent();
    content.commandLine = std::string(255, 'c');
    EXPECT_TRUE(findContentProblems(content).empty());
    content.commandLine = repeated("ж", 256);
    EXPECT_EQ(findContentProblems(content),
              (std::vector<TemplateProblem>{{{F::CommandLine}, K::TooLong, "", 256, 255}}));

    content = goodContent();
    content.rotation = std::vector<std::string>(92, "mp_seatown");
    EXPECT_TRUE(findContentProblems(content).empty());
    content.rotation.push_back("mp_seatown");
    EXPECT_EQ(findContentProblems(content),
              (std::vector<TemplateProblem>{{{F::Rotation}, K::RotationTooLong, "", 93, 92}}));
    content.rotation = {std::string(255, 'm')};  // no room for its ";"
    EXPECT_EQ(findContentProblems(content).at(0).kind, K::RotationTooLong);
}

TEST(TemplateRules, TheServerFilesNeedOnlyTheSettingsAndTheMaps) {
    TemplateContent content = goodContent();
    content.name = "";
    content.commandLine = repeated("ж", 300);
    EXPECT_TRUE(findSettingsProblems(content.settingsCodes).empty());
    EXPECT_TRUE(findRotationProblems(content.rotation).empty());
    // Spectator and regeneration texts that are no label are stored as empty codes.
    GameSettings typed;
    typed.Spectator = "никто; совсем";
    typed.HealthRegen = "日本";
    EXPECT_TRUE(findSettingsProblems(settingsFieldCodes(typed)).empty());
}

}  // namespace
}  // namespace qz7
