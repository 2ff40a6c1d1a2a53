#include "settings/template_validation.h"

#include <gtest/gtest.h>

#include "platform/windows1251.h"

namespace qz7 {
namespace {

std::string repeated(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

std::optional<TemplateProblem> problemOf(const GameSettings& settings,
                                         const std::vector<std::string>& rotation = {},
                                         std::string_view commandLine = "+start_map_rotate") {
    return findTemplateProblem(settings, rotation, commandLine);
}

TEST(TemplateValidation, DefaultsAndUnknownSpectatorOrRegenerationTextsAreAccepted) {
    EXPECT_EQ(problemOf(GameSettings{}), std::nullopt);
    GameSettings typed;
    typed.Spectator = "никто; совсем";
    typed.HealthRegen = "日本";
    EXPECT_EQ(problemOf(typed), std::nullopt);
}

TEST(TemplateValidation, ASeparatorInsideATypedValueIsRefusedNamingTheField) {
    GameSettings settings;
    settings.Password = "a;b";
    const auto problem = problemOf(settings);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, "пароль подключения");
    EXPECT_NE(problem->message.find("«пароль подключения»"), std::string::npos);
    EXPECT_NE(problem->message.find("«;»"), std::string::npos);

    settings = GameSettings{};
    settings.MaxPlayers = "12;";
    EXPECT_EQ(problemOf(settings)->field, "max число игроков на сервере");
    settings = GameSettings{};
    settings.Lives = ";";
    EXPECT_EQ(problemOf(settings)->field, "жизни");
}

TEST(TemplateValidation, ACharacterOutsideWindows1251IsRefusedAndShown) {
    GameSettings settings;
    settings.ScoreLimit = "5000 €€ 日";
    const auto problem = problemOf(settings);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, "лимит очков");
    EXPECT_NE(problem->message.find("«日»"), std::string::npos);
    EXPECT_NE(problem->message.find("Windows-1251"), std::string::npos);

    EXPECT_EQ(problemOf(GameSettings{}, {"mp_dome", "mp_ü"})->field, "карты шаблона");
    EXPECT_EQ(problemOf(GameSettings{}, {}, "+set sv_hostname ★")->field, "строка запуска сервера");
    EXPECT_EQ(findTemplateNameProblem("Сервер ★")->field, "имя шаблона");
    EXPECT_EQ(findTemplateNameProblem("Сервер №1 — «ночь»"), std::nullopt);
    EXPECT_EQ(findTemplateNameProblem(std::string(300, 'x')), std::nullopt);  // cut, not refused
}

TEST(TemplateValidation, MalformedUtf8CannotSmuggleASeparatorIntoTheLine) {
    // "\xC0\xBB" is an overlong form of ";"; it must not pass as one.
    GameSettings settings;
    settings.Password =
        "a\xC0\xBB"
        "b";
    const auto problem = problemOf(settings);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, "пароль подключения");
    EXPECT_EQ(windows1251FromUtf8("\xC0\xBB"), "?");
    EXPECT_FALSE(fitsWindows1251("\xE0\x80\xBB"));  // three-byte overlong ";"
    EXPECT_FALSE(fitsWindows1251("\xED\xA0\x80"));  // a surrogate
    EXPECT_TRUE(fitsWindows1251("\xD0\xAF"));       // "Я"
}

TEST(TemplateValidation, TheSettingsLineMustStayWithin255Characters) {
    GameSettings settings;
    // The default line is 59 characters; a password of 196 makes exactly 255.
    settings.Password = std::string(196, 'p');
    EXPECT_EQ(problemOf(settings), std::nullopt);
    settings.Password = repeated("п", 98) + std::string(99, 'p');  // 197 Windows-1251 bytes
    const auto problem = problemOf(settings);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, "строка настроек");
    EXPECT_EQ(problem->limit, 255u);
    EXPECT_NE(problem->message.find("256"), std::string::npos);
    EXPECT_NE(problem->message.find("255"), std::string::npos);
    EXPECT_NE(problem->message.find("«пароль подключения»"), std::string::npos);
}

TEST(TemplateValidation, TheRotationMustFitTheFourMapFields) {
    EXPECT_EQ(problemOf(GameSettings{}, std::vector<std::string>(92, "mp_seatown")), std::nullopt);
    const auto problem = problemOf(GameSettings{}, std::vector<std::string>(93, "mp_seatown"));
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, "карты шаблона");
    EXPECT_EQ(problem->limit, 4u * 255u);
    EXPECT_NE(problem->message.find("92 из 93"), std::string::npos);

    EXPECT_TRUE(problemOf(GameSettings{}, {"mp_a;mp_b"}));
    EXPECT_TRUE(problemOf(GameSettings{}, {std::string(255, 'm')}));  // no room for its ";"
    EXPECT_EQ(problemOf(GameSettings{}, {std::string(254, 'm')}), std::nullopt);
}

TEST(TemplateValidation, TheCommandLineMustStayWithin255Characters) {
    EXPECT_EQ(problemOf(GameSettings{}, {}, std::string(255, 'c')), std::nullopt);
    EXPECT_EQ(problemOf(GameSettings{}, {}, "a;b"), std::nullopt);  // a field of its own
    const auto problem = problemOf(GameSettings{}, {}, repeated("ж", 256));
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->field, "строка запуска сервера");
    EXPECT_EQ(problem->limit, 255u);
    EXPECT_NE(problem->message.find("256"), std::string::npos);
}

}  // namespace
}  // namespace qz7
