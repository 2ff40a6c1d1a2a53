// Every value a host can give serve's settings, through each way in: the settings file, one key
// set as the window and the command line set it, the writer, and the service entry's install.
// Each refuses a value that cannot work, with the key and the reason, before anything is written.
#include <gtest/gtest.h>

#include <limits>

#include "server/folder_alerts.h"
#include "server/folder_service.h"
#include "server/operation_error.h"
#include "server/serve_settings.h"
#include "tests/fakes/fake_service_hosts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/hand_built_record.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;

// The values a new host tries that no setting of a number, time, duration, choice or address
// takes; a line end no setting at all takes.
const std::vector<std::string> kBadValues = {
    "nan",   "inf",         "-1",    "1e300", "-1:00", "24:00",   "4:60",
    "-0:00", "04:00,-1:00", "99999", "-inf",  "+5m",   "1000001", "http://127.0.0.1:99999/x"};
const std::vector<std::string> kLineEnds = {"+set a 1\nInjected=evil", "a\rb",
                                            "a\x01"
                                            "b"};

// Keys whose value is free text (a name, a command line): only line ends and control characters
// are refused there.
bool takesAnyText(std::string_view key) { return key == "Template" || key == "Command"; }

// The values that must be refused for the key.
std::vector<std::string> refusedFor(std::string_view key) {
    std::vector<std::string> refused = kLineEnds;
    if (!takesAnyText(key)) refused.insert(refused.end(), kBadValues.begin(), kBadValues.end());
    return refused;
}

std::string shown(const std::string& value) {
    std::string text;
    for (char c : value)
        text += c == '\n' ? std::string("\\n") : c == '\r' ? "\\r" : std::string(1, c);
    return text;
}

}  // namespace

// The key's name, in the tests' names and messages.
void PrintTo(const ServeSettingName& name, std::ostream* out) { *out << name.key; }

namespace {

class EverySettingKey : public ::testing::TestWithParam<ServeSettingName> {};

TEST_P(EverySettingKey, RefusesWhatCannotWorkInEveryFace) {
    const ServeSettingName name = GetParam();
    const std::string key(name.key);
    const ServeOptions defaults;
    const std::string before = serveSettingsText(defaults);
    for (const std::string& value : refusedFor(key)) {
        SCOPED_TRACE(key + "=" + shown(value));
        // The file.
        try {
            parseServeSettings(key + "=" + value + "\n");
            ADD_FAILURE() << "the file took it";
        } catch (const OperationError& error) {
            EXPECT_EQ(error.kind(), OperationError::Kind::Usage);
            EXPECT_NE(std::string(error.what()).find(", строка "), std::string::npos)
                << error.what();
        }
        // One key, as the window sets it: refused, the settings as they were.
        ServeOptions settings;
        const std::optional<std::string> reason = setServeSetting(settings, key, value);
        EXPECT_TRUE(reason.has_value());
        EXPECT_TRUE(serveSettingsText(settings) == before);
        // Its option, as the command line sets it, by the same rule.
        if (!name.option.empty()) {
            const std::optional<std::string> byOption =
                setServeOption(settings, name.option, value);
            EXPECT_EQ(byOption, reason);
            EXPECT_TRUE(serveSettingsText(settings) == before);
        }
    }
    // The key's default and what the file writes for it read back.
    ServeOptions settings;
    EXPECT_EQ(setServeSetting(settings, key, serveSettingValue(defaults, key)), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(values, EverySettingKey, ::testing::ValuesIn(serveSettingNames()),
                         [](const ::testing::TestParamInfo<ServeSettingName>& info) {
                             return std::string(info.param.key);
                         });

TEST(ServeSettingValues, TimesOfDayAreTwoDigitsEachWithinTheDay) {
    std::string error;
    EXPECT_TRUE(parseTimesOfDay("00:00,23:59", error).has_value());
    for (const char* bad :
         {"-1:00", "-0:00", "+4:00", "24:00", "4:60", "04:60", "04:00,-1:00", " 4:00", "04:0x"}) {
        EXPECT_FALSE(parseTimesOfDay(bad, error).has_value()) << bad;
        EXPECT_NE(error.find("от 00:00 до 23:59"), std::string::npos) << error;
    }
}

// Settings that hold what no file could give (as the command line once made them) are not written:
// a serve would refuse its own file.
TEST(ServeSettingValues, TheWriterRefusesWhatTheReaderWouldRefuseAndWritesNothing) {
    using std::chrono::milliseconds;
    const std::vector<std::pair<const char*, std::function<void(ServeOptions&)>>> cases = {
        {"StopGrace", [](ServeOptions& o) { o.timing.stopGrace = milliseconds::min(); }},
        {"RestartDelay", [](ServeOptions& o) { o.timing.firstRestartDelay = milliseconds(0); }},
        {"Command", [](ServeOptions& o) { o.command = "+set a 1\nInjected=evil"; }},
        {"Igd", [](ServeOptions& o) { o.igdUrl = "http://192.168.1.1:99999/desc.xml"; }},
        {"Template", [](ServeOptions& o) { o.templateName = "Турнир\nRestartAt=04:00"; }},
        {"RestartAt",
         [](ServeOptions& o) { o.timing.schedule.timesOfDay = {std::chrono::minutes(-60)}; }},
        {"CrashLimit", [](ServeOptions& o) { o.timing.crashLimit = 0; }},
        {"QueryPort", [](ServeOptions& o) { o.health.queryPort = 99999; }},
    };
    testing::TemporaryFolder game;
    testing::writeBytes(game.path() / kServeSettingsFile, "# мой файл\nStopGrace=20\n");
    for (const auto& [key, spoil] : cases) {
        SCOPED_TRACE(key);
        ServeOptions settings;
        spoil(settings);
        ASSERT_TRUE(serveSettingsProblem(settings).has_value());
        EXPECT_EQ(serveSettingsProblem(settings)->rfind(std::string(key) + "=", 0), 0u)
            << *serveSettingsProblem(settings);
        try {
            writeServeSettings(game.path(), settings);
            ADD_FAILURE() << "written";
        } catch (const OperationError& error) {
            EXPECT_EQ(error.kind(), OperationError::Kind::Usage);
        }
        EXPECT_EQ(testing::readBytes(game.path() / kServeSettingsFile),
                  "# мой файл\nStopGrace=20\n");
    }
}

const std::string kSettingsLine = "все против всех;50;0;5000;15;1;1;1;0;;1;0;1;0;0;1;0;1;5;12;";

// A folder with templates "Турнир", "Дуэль", "Дуэль" (#1 to #3) and a settings file of the host.
struct ServiceFolder {
    testing::TemporaryFolder game;
    testing::TemporaryFolder units;
    testing::FakeSystemdHost systemd{units.path()};
    ServiceHosts hosts{&systemd, nullptr};
    ServiceFolder() {
        testing::writeBytes(game.path() / "ServerSetup_QZ7.cfg",
                            testing::handBuiltRecord("Турнир", kSettingsLine, "mp_dome;", "") +
                                testing::handBuiltRecord("Дуэль", kSettingsLine, "mp_dome;", "") +
                                testing::handBuiltRecord("Дуэль", kSettingsLine, "mp_dome;", ""));
        testing::writeBytes(game.path() / kServeSettingsFile, "StopGrace=20\n");
    }
    FolderServiceInput input(const std::string& templateName) const {
        FolderServiceInput made;
        made.program = "/usr/bin/qz7ctl";
        made.gameFolder = game.path();
        made.given.templateName = templateName;
        return made;
    }
    // What install refused, having written nothing; "installed" when it did not refuse.
    std::string refusal(const FolderServiceInput& given) {
        std::string said = "installed";
        try {
            installFolderService(hosts, given);
        } catch (const OperationError& error) {
            EXPECT_EQ(error.kind(), OperationError::Kind::Usage) << error.what();
            said = error.what();
        }
        EXPECT_EQ(testing::readBytes(game.path() / kServeSettingsFile), "StopGrace=20\n");
        EXPECT_FALSE(fs::exists(folderAlertFile(game.path())));
        EXPECT_TRUE(fs::is_empty(units.path()));
        EXPECT_TRUE(systemd.commands.empty());
        return said;
    }
};

TEST(FolderServiceValues, InstallRefusesWhatItsServeWouldRefuseBeforeWritingAnything) {
    ServiceFolder folder;
    FolderServiceInput lineEnd = folder.input("Турнир");
    lineEnd.given.command = "+set a 1\nInjected=evil";
    lineEnd.givenOptions = {"--command"};
    EXPECT_NE(folder.refusal(lineEnd).find("Command="), std::string::npos);

    FolderServiceInput grace = folder.input("Турнир");
    grace.given.timing.stopGrace = std::chrono::milliseconds::min();
    grace.givenOptions = {"--stop-grace"};
    EXPECT_NE(folder.refusal(grace).find("StopGrace="), std::string::npos);

    // A name two templates share, given by name or by the position of one of them: the serve
    // would refuse it; the host is told the positions and to rename.
    for (const char* shared : {"Дуэль", "#3"}) {
        const std::string said = folder.refusal(folder.input(shared));
        EXPECT_NE(said.find("#2, #3"), std::string::npos) << said;
        EXPECT_NE(said.find("переименуйте"), std::string::npos) << said;
    }
    EXPECT_NE(folder.refusal(folder.input("Нет такого")).find("Нет шаблона с именем"),
              std::string::npos);
    EXPECT_NE(folder.refusal(folder.input("#x")).find("не позиция шаблона"), std::string::npos);

    FolderServiceInput address = folder.input("Турнир");
    address.alertAddresses = std::vector<std::string>{"http://127.0.0.1:99999/x"};
    EXPECT_NE(folder.refusal(address).find("порт «99999»"), std::string::npos);

    // A settings file the serve would refuse is the serve's reason.
    testing::writeBytes(folder.game.path() / kServeSettingsFile, "StopGrace=nan\n");
    try {
        installFolderService(folder.hosts, folder.input("Турнир"));
        ADD_FAILURE() << "installed";
    } catch (const OperationError& error) {
        EXPECT_NE(std::string(error.what()).find("StopGrace"), std::string::npos);
    }
    EXPECT_TRUE(fs::is_empty(folder.units.path()));
}

TEST(FolderServiceValues, ATemplateByPositionIsKeptByItsNameAndTheEntryWritten) {
    ServiceFolder folder;
    FolderServiceInput given = folder.input("#1");
    given.given.timing.stopGrace = std::chrono::seconds(30);
    given.givenOptions = {"--stop-grace"};
    given.alertAddresses = std::vector<std::string>{"https://example.org/hook"};
    const std::string said = installFolderService(folder.hosts, given);
    const ServeOptions written = readServeSettings(folder.game.path());
    EXPECT_EQ(written.templateName, "Турнир");
    EXPECT_EQ(written.timing.stopGrace, std::chrono::seconds(30));
    EXPECT_EQ(readFolderAlerts(folder.game.path()),
              std::vector<std::string>{"https://example.org/hook"});
    EXPECT_TRUE(fs::exists(folder.units.path() / (serviceName(folder.game.path()) + ".service")))
        << said;
}

}  // namespace
}  // namespace qz7
