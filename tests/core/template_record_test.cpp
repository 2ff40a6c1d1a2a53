#include "settings/template_record.h"

#include <gtest/gtest.h>

#include "tests/support/hand_built_record.h"

namespace qz7 {
namespace {

using testing::HandBuiltRecord;

// "все против всех" in Windows-1251.
const std::string kDefaultModeBytes = "\xE2\xF1\xE5 \xEF\xF0\xEE\xF2\xE8\xE2 \xE2\xF1\xE5\xF5";
const std::string kDefaultSettingsLine =
    kDefaultModeBytes + ";50;0;5000;15;1;1;1;0;;1;0;1;0;0;1;0;1;5;12;";
const std::string kCommand = "+set dedicated 1 +start_map_rotate";

GameSettings nonDefaultSettings() {
    GameSettings s;
    s.GameMode = "штаб";
    s.MaxHealth = "200";
    s.Hardcore = true;
    s.ScoreLimit = "15000 ";
    s.TimeLimit = "30";
    s.FriendlyFire = false;
    s.NoUnderbarrel = false;
    s.KillCam = false;
    s.NoDefaultClasses = true;
    s.Password = "секрет";
    s.Perks = false;
    s.ThirdPerson = true;
    s.CustomClasses = false;
    s.HeadshotsOnly = true;
    s.RadarAlwaysOn = true;
    s.Killstreaks = false;
    s.Lives = "3";
    s.Spectator = "для всех";
    s.HealthRegen = "быстро";
    s.MaxPlayers = "18";
    return s;
}

struct Decoded {
    GameSettings settings;
    std::string commandLine;
    std::vector<std::string> rotation;
};

Decoded decode(const std::string& bytes, GameSettings start = nonDefaultSettings()) {
    Decoded out{std::move(start), "old command", {}};
    LoadListUst(decodeTemplateRecord(bytes), out.settings, out.commandLine, out.rotation);
    return out;
}

TEST(TemplateRecord, DefaultsMakeTheFiftyNineCharacterLineAndZerosElsewhere) {
    ASSERT_EQ(kDefaultSettingsLine.size(), 59u);
    const auto expected = HandBuiltRecord()
                              .at(0, "\xCE\xF1\xED\xEE\xE2\xED\xEE\xE9")  // "Основной"
                              .at(201, kDefaultSettingsLine)
                              .at(1481, kCommand)
                              .bytes();
    const TemplateRecord record = KodirShablona("Основной", GameSettings{}, {}, kCommand);
    EXPECT_EQ(encodeTemplateRecord(record), expected);

    const Decoded decoded = decode(expected);
    EXPECT_EQ(decoded.settings, GameSettings{});
    EXPECT_EQ(decoded.commandLine, kCommand);
    EXPECT_TRUE(decoded.rotation.empty());
    EXPECT_EQ(templateRecordName(expected), "Основной");
}

TEST(TemplateRecord, TwentyThreeTenCharacterMapsFillTheFirstFieldAndTheNextStartsTheSecond) {
    std::string twentyThree;
    for (int i = 0; i < 23; ++i) twentyThree += "mp_seatown;";
    ASSERT_EQ(twentyThree.size(), 253u);
    const std::vector<std::string> rotation(24, "mp_seatown");
    const auto expected = HandBuiltRecord()
                              .at(201, kDefaultSettingsLine)
                              .at(457, twentyThree)
                              .at(713, "mp_seatown;")
                              .bytes();
    EXPECT_EQ(encodeTemplateRecord(KodirShablona("", GameSettings{}, rotation, "")), expected);
    EXPECT_EQ(decode(expected).rotation, rotation);
}

TEST(TemplateRecord, AMapFieldMayBeFilledToExactlyItsCapacity) {
    // Fifteen entries of sixteen characters and their ";" make exactly 255.
    const std::vector<std::string> rotation(16, "mp_abcdefghijklm");
    std::string fifteen;
    for (int i = 0; i < 15; ++i) fifteen += "mp_abcdefghijklm;";
    ASSERT_EQ(fifteen.size(), 255u);
    const auto expected = HandBuiltRecord()
                              .at(201, kDefaultSettingsLine)
                              .at(457, fifteen)
                              .at(713, "mp_abcdefghijklm;")
                              .bytes();
    EXPECT_EQ(encodeTemplateRecord(KodirShablona("", GameSettings{}, rotation, "")), expected);
    EXPECT_EQ(decode(expected).rotation, rotation);
}

TEST(TemplateRecord, RepeatedMapsAreEachStoredAndRestoredInOrder) {
    const std::vector<std::string> rotation = {"mp_dome", "mp_seatown", "mp_dome", "mp_dome"};
    const auto expected = HandBuiltRecord()
                              .at(201, kDefaultSettingsLine)
                              .at(457, "mp_dome;mp_seatown;mp_dome;mp_dome;")
                              .bytes();
    EXPECT_EQ(encodeTemplateRecord(KodirShablona("", GameSettings{}, rotation, "")), expected);

    Decoded decoded{GameSettings{}, "", {"mp_kept"}};
    LoadListUst(decodeTemplateRecord(expected), decoded.settings, decoded.commandLine,
                decoded.rotation);
    // Entries are appended to what the caller left in the rotation.
    EXPECT_EQ(decoded.rotation,
              (std::vector<std::string>{"mp_kept", "mp_dome", "mp_seatown", "mp_dome", "mp_dome"}));
}

TEST(TemplateRecord, RotationBeyondTheFourMapFieldsIsDroppedNotSpilled) {
    const std::vector<std::string> rotation(4 * 23 + 1, "mp_seatown");
    const TemplateRecord record = KodirShablona("", GameSettings{}, rotation, kCommand);
    for (const std::string& field : record.MapFields) EXPECT_EQ(field.size(), 253u);
    EXPECT_EQ(record.CommandLine, kCommand);
    EXPECT_EQ(decode(encodeTemplateRecord(record)).rotation.size(), 92u);
}

TEST(TemplateRecord, EmptySettingsLineEmptiesTextsAndBoxesButKeepsSpectatorAndRegeneration) {
    const auto bytes = HandBuiltRecord().at(0, "x").bytes();
    const Decoded decoded = decode(bytes);
    GameSettings expected;
    expected.GameMode = expected.MaxHealth = expected.ScoreLimit = expected.TimeLimit = "";
    expected.Password = expected.Lives = expected.MaxPlayers = "";
    expected.FriendlyFire = expected.NoUnderbarrel = expected.KillCam = false;
    expected.Perks = expected.CustomClasses = expected.Killstreaks = false;
    expected.Spectator = "для всех";
    expected.HealthRegen = "быстро";
    EXPECT_EQ(decoded.settings, expected);
    EXPECT_EQ(decoded.commandLine, "");
    EXPECT_TRUE(decoded.rotation.empty());
}

TEST(TemplateRecord, LivesZeroMeansUnlimitedBothWays) {
    GameSettings typedZero;
    typedZero.Lives = "0";
    const auto line = KodirShablona("", typedZero, {}, "").SettingsLine;
    EXPECT_EQ(line, kDefaultSettingsLine);  // "0" and "неогран." store the same code

    GameSettings seven;
    seven.Lives = "7";
    const auto sevenBytes =
        HandBuiltRecord()
            .at(201, kDefaultModeBytes + ";50;0;5000;15;1;1;1;0;;1;0;1;0;0;1;7;1;5;12;")
            .bytes();
    EXPECT_EQ(encodeTemplateRecord(KodirShablona("", seven, {}, "")), sevenBytes);
    EXPECT_EQ(decode(sevenBytes).settings.Lives, "7");
    EXPECT_EQ(decode(HandBuiltRecord().at(201, kDefaultSettingsLine).bytes()).settings.Lives,
              "неогран.");
}

TEST(TemplateRecord, UnknownSpectatorAndRegenerationTextsAreStoredAsEmptyFields) {
    GameSettings typed;
    typed.Spectator = "никто";
    typed.HealthRegen = "off";
    const std::string line = KodirShablona("", typed, {}, "").SettingsLine;
    EXPECT_EQ(line, kDefaultModeBytes + ";50;0;5000;15;1;1;1;0;;1;0;1;0;0;1;0;;;12;");
    const Decoded decoded = decode(HandBuiltRecord().at(201, line).bytes());
    EXPECT_EQ(decoded.settings.Spectator, "для всех");
    EXPECT_EQ(decoded.settings.HealthRegen, "быстро");
    EXPECT_EQ(decoded.settings.MaxPlayers, "12");  // later fields keep their positions
}

TEST(TemplateRecord, LongValuesAreCutToTheirFields) {
    std::string longName;
    for (int i = 0; i < 250; ++i) longName += "я";
    GameSettings settings;
    settings.Password = std::string(300, 'p');
    const TemplateRecord record =
        KodirShablona(longName, settings, {}, std::string(256, 'c') + "tail");
    const std::string bytes = encodeTemplateRecord(record);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 200);
    EXPECT_EQ(bytes.substr(1, 200), std::string(200, '\xFF'));
    EXPECT_EQ(static_cast<unsigned char>(bytes[201]), 255);
    EXPECT_EQ(
        bytes.substr(202, 255),
        (kDefaultModeBytes + ";50;0;5000;15;1;1;1;0;" + std::string(300, 'p')).substr(0, 255));
    EXPECT_EQ(static_cast<unsigned char>(bytes[1481]), 255);
    EXPECT_EQ(bytes.substr(1482, 255), std::string(255, 'c'));

    // The cut line has lost its later fields: they read back as empty texts.
    const Decoded decoded = decode(bytes);
    EXPECT_EQ(decoded.settings.TimeLimit, "15");
    EXPECT_EQ(decoded.settings.Password, "");
    EXPECT_EQ(decoded.settings.MaxPlayers, "");
}

TEST(TemplateRecord, BytesAfterAStringsLengthAreIgnored) {
    const auto bytes = HandBuiltRecord()
                           .raw(0,
                                "\x03"
                                "abcGARBAGE")
                           .raw(201, std::string(1, char(kDefaultSettingsLine.size())) +
                                         kDefaultSettingsLine + "99;garbage;")
                           .raw(457, "\x08mp_dome;mp_alpha;")
                           .raw(1481, "\x02+sGARBAGE")
                           .bytes();
    const TemplateRecord record = decodeTemplateRecord(bytes);
    EXPECT_EQ(record.Name, "abc");
    EXPECT_EQ(record.SettingsLine, kDefaultSettingsLine);
    const Decoded decoded = decode(bytes);
    EXPECT_EQ(decoded.settings, GameSettings{});
    EXPECT_EQ(decoded.rotation, (std::vector<std::string>{"mp_dome"}));
    EXPECT_EQ(decoded.commandLine, "+s");
}

TEST(TemplateRecord, ALengthByteBeyondTheCapacityStaysInsideItsField) {
    const auto bytes = HandBuiltRecord()
                           .raw(0, "\xFF")
                           .raw(1, std::string(200, 'n'))
                           .at(201, kDefaultSettingsLine)
                           .bytes();
    EXPECT_EQ(decodeTemplateRecord(bytes).Name, std::string(200, 'n'));
    EXPECT_EQ(templateRecordName(bytes), std::string(200, 'n'));
    EXPECT_EQ(decodeTemplateRecord(bytes.substr(0, 1736)), TemplateRecord{});
}

TEST(TemplateRecord, TextAfterTheLastSeparatorIsIgnored) {
    const auto bytes = HandBuiltRecord()
                           .at(201, "dm;50;tail")
                           .at(457, "mp_dome;mp_partial")
                           .at(713, "no separator")
                           .bytes();
    const Decoded decoded = decode(bytes);
    EXPECT_EQ(decoded.settings.GameMode, "dm");
    EXPECT_EQ(decoded.settings.MaxHealth, "50");
    EXPECT_EQ(decoded.settings.Hardcore, false);
    EXPECT_EQ(decoded.settings.ScoreLimit, "");
    EXPECT_EQ(decoded.rotation, (std::vector<std::string>{"mp_dome"}));
}

TEST(TemplateRecord, TakeFieldYieldsTheTextBeforeEachSeparator) {
    std::string remaining = "a;;b;rest";
    EXPECT_EQ(TakeField(remaining), "a");
    EXPECT_EQ(TakeField(remaining), "");
    EXPECT_EQ(TakeField(remaining), "b");
    EXPECT_EQ(remaining, "rest");
    EXPECT_EQ(TakeField(remaining), std::nullopt);
    EXPECT_EQ(remaining, "rest");
    std::string empty;
    EXPECT_EQ(TakeField(empty), std::nullopt);
}

}  // namespace
}  // namespace qz7
