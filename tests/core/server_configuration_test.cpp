#include "server/server_configuration.h"

#include <gtest/gtest.h>

#include "server/text_lines.h"

namespace qz7 {
namespace {

TEST(ServerConfiguration, PasswordAndPlayerLimitLinesAreReplaced) {
    EXPECT_EQ(formConfiguration("sv_hostname \"Host\"\r\ng_password\r\nsv_maxclients 18\r\n",
                                GameSettings{}),
              "sv_hostname \"Host\"\r\ng_password \"\"\r\nsv_maxclients 12\r\n");
}

TEST(ServerConfiguration, ValuesAreWrittenAsTheyStandIn1251) {
    GameSettings s;
    s.Password = "Пароль 1";
    s.MaxPlayers = " 18x";
    EXPECT_EQ(formConfiguration("g_password \"old\"\nsv_maxclients 4\n", s),
              "g_password \"\xCF\xE0\xF0\xEE\xEB\xFC 1\"\r\nsv_maxclients  18x\r\n");
}

TEST(ServerConfiguration, OnlyTheVeryBeginningOfALineIsCompared) {
    const std::string base =
        " g_password \"a\"\n"
        "set sv_maxclients 4\n"
        "G_PASSWORD \"b\"\n"
        "g_passwordHint \"c\"\n"
        "sv_maxclients\n";
    GameSettings s;
    s.Password = "p";
    s.MaxPlayers = "8";
    EXPECT_EQ(formConfiguration(base, s),
              " g_password \"a\"\r\n"
              "set sv_maxclients 4\r\n"
              "G_PASSWORD \"b\"\r\n"
              "g_password \"p\"\r\n"
              "sv_maxclients 8\r\n");
}

TEST(ServerConfiguration, LoneCarriageReturnsAreDroppedAndCtrlZEndsTheInput) {
    EXPECT_EQ(formConfiguration("a\rb\r\nc\r\r\nd\x1A"
                                "e\r\nf\r\n",
                                GameSettings{}),
              "ab\r\nc\r\nd\r\n");
    EXPECT_EQ(formConfiguration("a\r\n\x1A", GameSettings{}), "a\r\n");
    EXPECT_EQ(formConfiguration("\x1A"
                                "g_password\n",
                                GameSettings{}),
              "");
}

TEST(ServerConfiguration, NoLinesAreAddedOrLost) {
    EXPECT_EQ(formConfiguration("", GameSettings{}), "");
    EXPECT_EQ(formConfiguration("sv_hostname x", GameSettings{}), "sv_hostname x\r\n");
    EXPECT_EQ(formConfiguration("\n\n", GameSettings{}), "\r\n\r\n");
}

TEST(ConfigurationLines, EndAtLineFeedsOnly) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitConfigurationLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(splitConfigurationLines("a\rb"), Lines{"ab"});
    EXPECT_EQ(splitConfigurationLines("a\n\r"), (Lines{"a", ""}));
    EXPECT_EQ(splitConfigurationLines(std::string("a\0b\n", 4)), Lines{std::string("a\0b", 3)});
}

}  // namespace
}  // namespace qz7
