// Reading the game server's status answer, from hand-built datagrams.
#include "net/status_response.h"

#include <gtest/gtest.h>

#include "net/server_status_text.h"
#include "platform/windows1251.h"

namespace qz7 {
namespace {

const std::string kHeader = "\xff\xff\xff\xffstatusResponse\n";

std::string answer(const std::string& info, const std::string& players = {}) {
    return kHeader + info + "\n" + players;
}

std::string manyPlayers(std::size_t count) {
    std::string lines;
    for (std::size_t i = 0; i < count; ++i)
        lines += std::to_string(i) + " 50 \"p" + std::to_string(i) + "\"\n";
    return lines;
}

std::string manyKeys(std::size_t count) {
    std::string info;
    for (std::size_t i = 0; i < count; ++i) info += "\\k" + std::to_string(i) + "\\v";
    return info;
}

TEST(StatusResponse, ReadsHostMapModeLimitAndPlayersWithoutColourCodes) {
    const std::string cyrillic = windows1251FromUtf8("^1Мясник^7");
    const StatusParse parse = parseStatusResponse(
        answer(windows1251FromUtf8(
                   "\\sv_hostname\\^4~^1Турнир^4~ ^^8\\mapname\\mp_seatown\\g_gametype\\war"
                   "\\sv_maxclients\\18\\sv_hostname\\second"),
               "12 48 \"" + cyrillic + "\"\n-3 999 \"say \"hi\"\"\n0 0 \"\"\n"));
    ASSERT_TRUE(parse.status) << parse.error;
    const ServerStatus& status = *parse.status;
    EXPECT_EQ(status.hostName, "~Турнир~ ^");
    EXPECT_EQ(status.map, "mp_seatown");
    EXPECT_EQ(status.gameType, "war");
    EXPECT_EQ(status.maxClients, 18);
    EXPECT_EQ(status.value("sv_hostname"), "^4~^1Турнир^4~ ^^8");  // UTF-8, colours kept
    EXPECT_EQ(status.info.size(), 5u);  // a repeated key is kept, the first one counts
    ASSERT_EQ(status.players.size(), 3u);
    EXPECT_EQ(status.players[0].name, "Мясник");
    EXPECT_EQ(status.players[0].score, 12);
    EXPECT_EQ(status.players[0].ping, 48);
    EXPECT_EQ(status.players[1].name, "say \"hi\"");  // between the first and the last quote
    EXPECT_EQ(status.players[1].score, -3);
    EXPECT_EQ(status.players[2].name, "");
}

TEST(StatusResponse, ReadableTextDropsColourCodesAndControlsAndReadsWindows1251) {
    struct Case {
        std::string bytes;
        std::string readable;
    };
    const std::vector<Case> cases = {
        {"^1Red^7White", "RedWhite"},
        {"^a^Z^:^;x", "x"},                           // every ASCII form
        {"^^1", "^"},                                 // "^^" keeps one, then ^1 goes
        {"end^", "end^"},                             // a lone ^ at the end stays
        {windows1251FromUtf8("^Привет"), "^Привет"},  // a Cyrillic letter is text
        {"tab\there\x1b[31m\x7f", "tabhere[31m"},     // no terminal controls pass
        {"\xc0\xe1\xe2\xb8\xa8", "АбвёЁ"},            // Windows-1251
        {"\x98", "\xef\xbf\xbd"},                     // undefined there
    };
    for (const Case& c : cases) EXPECT_EQ(readableServerText(c.bytes), c.readable) << c.bytes;
}

TEST(StatusResponse, ZeroAndTheMostPlayersAreRead) {
    const StatusParse none = parseStatusResponse(answer("\\mapname\\mp_dome"));
    ASSERT_TRUE(none.status) << none.error;
    EXPECT_TRUE(none.status->players.empty());
    EXPECT_FALSE(none.status->maxClients);
    const StatusParse most =
        parseStatusResponse(answer("\\mapname\\mp_dome", manyPlayers(kStatusPlayerLimit)));
    ASSERT_TRUE(most.status) << most.error;
    EXPECT_EQ(most.status->players.size(), kStatusPlayerLimit);
    EXPECT_EQ(most.status->players.back().name, "p" + std::to_string(kStatusPlayerLimit - 1));
    EXPECT_TRUE(parseStatusResponse(answer(manyKeys(kStatusKeyLimit))).status);
}

TEST(StatusResponse, BadAnswersAreRefusedWithTheirReason) {
    struct Case {
        const char* what;
        std::string datagram;
        std::string reason;  // a part of the refusal
    };
    const std::string oversized = answer("\\k\\" + std::string(kStatusAnswerLimit, 'x'));
    const std::vector<Case> cases = {
        {"empty", "", "обрезан"},
        {"header cut", "\xff\xff\xff\xffstatusResp", "обрезан"},
        {"no line end after the header", "\xff\xff\xff\xffstatusResponse\\k\\v\n",
         "не ответ на запрос состояния"},
        {"another answer", "\xff\xff\xff\xffinfoResponse\n\\k\\v\n", "не ответ"},
        {"no header bytes", "statusResponse\n\\k\\v\n", "не ответ"},
        {"info line cut", kHeader + "\\sv_hostname\\Hal", "обрезан"},
        {"no info line", kHeader, "нет строки сведений"},
        {"player line cut", answer("\\k\\v", "1 2 \"na"), "обрезан"},
        {"key without value", answer("\\mapname\\mp_x\\sv_hostname"), "нет значения"},
        {"info without backslash", answer("mapname\\mp_x"), "не начинается"},
        {"empty key", answer("\\\\value"), "пустой ключ"},
        {"player without quotes", answer("\\k\\v", "1 2 name\n"), "строка игрока 1"},
        {"player score not a number", answer("\\k\\v", "1 2 \"a\"\nx 2 \"b\"\n"),
         "строка игрока 2"},
        {"player score too large", answer("\\k\\v", "99999999999 2 \"a\"\n"), "строка игрока 1"},
        {"player with one number", answer("\\k\\v", "1 \"a\"\n"), "строка игрока 1"},
        {"text after the name", answer("\\k\\v", "1 2 \"a\" x\n"), "строка игрока 1"},
        {"too many players", answer("\\k\\v", manyPlayers(kStatusPlayerLimit + 1)),
         "слишком много игроков"},
        {"too many keys", answer(manyKeys(kStatusKeyLimit + 1)), "слишком много ключей"},
        {"oversized", oversized, "длиннее 64 КиБ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const StatusParse parse = parseStatusResponse(c.datagram);
        EXPECT_FALSE(parse.status);
        EXPECT_NE(parse.error.find(c.reason), std::string::npos) << parse.error;
    }
}

TEST(StatusResponse, TheRequestCarriesTheChallenge) {
    EXPECT_EQ(statusRequest("qz7abc"), "\xff\xff\xff\xffgetstatus qz7abc\n");
    EXPECT_EQ(statusRequest(""), "\xff\xff\xff\xffgetstatus\n");
}

TEST(ServerStatusText, ModeComesFromTheModeTableAndPlayersLineUp) {
    ServerStatus status;
    status.hostName = "~Турнир~";
    status.map = "mp_seatown";
    status.gameType = "war";
    status.maxClients = 18;
    status.players = {{"Мясник", 12, 48}, {"PlayerTwo", 1500, 63}};
    const std::vector<std::string> expected = {
        "Сервер: ~Турнир~",     "Карта: mp_seatown",       "Режим: коммандный бой (war)",
        "Игроки: 2 из 18",      "  Имя        Очки  Пинг", "  Мясник     12    48",
        "  PlayerTwo  1500  63"};
    EXPECT_EQ(serverStatusLines(status), expected);
    EXPECT_EQ(gameModeText("ctf"), "захват флага (ctf)");
    EXPECT_EQ(gameModeText("gungame"), "gungame");  // not a mode of the table
    status = {};
    EXPECT_EQ(serverStatusLines(status),
              (std::vector<std::string>{"Сервер: ?", "Карта: ?", "Режим: ?", "Игроки: 0 из ?"}));
}

}  // namespace
}  // namespace qz7
