#include "server/server_configuration.h"

#include <gtest/gtest.h>

#include "server/text_lines.h"

namespace qz7 {
namespace {

std::string formed(std::string_view base, const GameSettings& settings) {
    return formConfiguration(base, settings).bytes;
}

TEST(ServerConfiguration, PasswordAndPlayerLimitLinesAreReplaced) {
    EXPECT_EQ(formed("sv_hostname \"Host\"\r\ng_password\r\nsv_maxclients 18\r\n", GameSettings{}),
              "sv_hostname \"Host\"\r\ng_password \"\"\r\nsv_maxclients 12\r\n");
}

TEST(ServerConfiguration, ValuesAreWrittenAsTheyStandIn1251) {
    GameSettings s;
    s.Password = "Пароль 1";
    s.MaxPlayers = " 18x";
    EXPECT_EQ(formed("g_password \"old\"\nsv_maxclients 4\n", s),
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
    EXPECT_EQ(formed(base, s),
              " g_password \"a\"\r\n"
              "set sv_maxclients 4\r\n"
              "G_PASSWORD \"b\"\r\n"
              "g_password \"p\"\r\n"
              "sv_maxclients 8\r\n");
}

TEST(ServerConfiguration, EveryLineEndCountsAndCtrlZEndsTheInput) {
    EXPECT_EQ(formed("a\rb\r\nc\r\r\nd\x1A"
                     "e\r\nf\r\n",
                     GameSettings{}),
              "a\r\nb\r\nc\r\n\r\nd\r\n");
    EXPECT_EQ(formed("a\r\n\x1A", GameSettings{}), "a\r\n");
    EXPECT_EQ(formed("\x1A"
                     "g_password\n",
                     GameSettings{}),
              "");
}

// An editor that ends lines with CR alone: the password and the player limit still get in.
TEST(ServerConfiguration, CrOnlyLineEndsStillTakeThePasswordAndTheLimit) {
    GameSettings s;
    s.Password = "p";
    const FormedConfiguration configuration =
        formConfiguration("sv_hostname \"Host\"\rg_password \"\"\rsv_maxclients 18\r", s);
    EXPECT_EQ(configuration.bytes,
              "sv_hostname \"Host\"\r\ng_password \"p\"\r\nsv_maxclients 12\r\n");
    EXPECT_TRUE(configuration.passwordLine);
    EXPECT_TRUE(configuration.playerLimitLine);
    const FormedConfiguration without = formConfiguration("sv_hostname x\rg_password\r", s);
    EXPECT_TRUE(without.passwordLine);
    EXPECT_FALSE(without.playerLimitLine);
}

TEST(ServerConfiguration, NoLinesAreAddedOrLost) {
    EXPECT_EQ(formed("", GameSettings{}), "");
    EXPECT_EQ(formed("sv_hostname x", GameSettings{}), "sv_hostname x\r\n");
    EXPECT_EQ(formed("\n\n", GameSettings{}), "\r\n\r\n");
}

TEST(ConfigurationLines, EndAtCrLfCrOrLf) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitConfigurationLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(splitConfigurationLines("a\rb"), (Lines{"a", "b"}));
    EXPECT_EQ(splitConfigurationLines("a\n\r"), (Lines{"a", ""}));
    EXPECT_EQ(splitConfigurationLines(std::string("a\0b\n", 4)), Lines{std::string("a\0b", 3)});
}

}  // namespace
}  // namespace qz7
