#include "server/unsafe_values.h"

#include <gtest/gtest.h>

namespace qz7 {
namespace {

TEST(UnsafeValues, OrdinaryValuesPass) {
    EXPECT_FALSE(findUnsafeValue(GameSettings{}));
    GameSettings s;
    s.Password = "пароль с пробелами; и 'апострофом'\t";
    s.ScoreLimit = "15000 ";
    s.Lives = "неогран.";
    EXPECT_FALSE(findUnsafeValue(s));
}

TEST(UnsafeValues, QuoteCrAndLfAreRefusedInEveryWrittenTextField) {
    struct Case {
        std::string GameSettings::*field;
        std::string_view caption;
    };
    const Case cases[] = {
        {&GameSettings::MaxHealth, "- процент здоровья"},
        {&GameSettings::ScoreLimit, "- лимит очков"},
        {&GameSettings::TimeLimit, "- время игры (мин) [0-30]"},
        {&GameSettings::Password, "- пароль подключения"},
        {&GameSettings::Lives, "- жизни"},
        {&GameSettings::MaxPlayers, "- max число игроков на сервере"},
    };
    for (const Case& c : cases) {
        for (const char* bad : {"a\"b", "1\r", "\nsv_maxclients 64"}) {
            GameSettings s;
            s.*c.field = bad;
            std::optional<UnsafeValue> unsafe = findUnsafeValue(s);
            ASSERT_TRUE(unsafe) << c.caption << " " << bad;
            EXPECT_EQ(unsafe->fieldCaption, c.caption);
            EXPECT_NE(unsafe->message.find(std::string(c.caption.substr(2))), std::string::npos);
        }
    }
}

TEST(UnsafeValues, MessageNamesTheField) {
    GameSettings s;
    s.Password = "a\"b";
    EXPECT_EQ(findUnsafeValue(s)->message,
              "Недопустимый символ в поле «пароль подключения»: двойная кавычка и перевод "
              "строки не допускаются. Файлы не сформированы.");
}

TEST(UnsafeValues, TextsTurnedIntoCodesNeedNoCheck) {
    // Mode, spectator and regeneration become codes, so their texts never reach a file.
    GameSettings s;
    s.GameMode = "\"";
    s.Spectator = "a\nb";
    s.HealthRegen = "\r";
    EXPECT_FALSE(findUnsafeValue(s));
}

}  // namespace
}  // namespace qz7
