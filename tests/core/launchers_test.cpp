#include "server/launchers.h"

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "server_test_support.h"
#include "tests/support/pass_through_platform.h"

namespace qz7 {
namespace {

using testing::readBytes;
using testing::writeBytes;

const std::string kDesignTimeCommand =
    "+set dedicated 1 +set sv_config server_mod.cfg  +set sv_hostname ^4~^1Host "
    "^3Rovazid^4~+set sv_maprotation Manual_MapRot  +start_map_rotate";

class Launchers : public ::testing::Test {
  protected:
    std::filesystem::path game(const std::string& relative) const {
        return folder.path() / relative;
    }
    std::filesystem::path record() const { return game("launched"); }
    void installLauncher(const char* name, const std::string& before = "") {
        testing::writeRecordingLauncher(game(name), record(), before);
    }
    // What the launcher records: its working folder, then one argument a line.
    std::string recorded(const std::string& arguments) const {
        return std::filesystem::canonical(folder.path()).string() + "\n" + arguments;
    }

    testing::TemporaryGameFolder folder;  // the current directory: the launcher inherits it
};

TEST_F(Launchers, ServerGetsTheParametersSplitAndStartsInTheGameFolder) {
    installLauncher(kServerLauncherName);
    EXPECT_EQ(startServerLauncher(folder.path(), kDesignTimeCommand + " \"two words\""),
              std::nullopt);
    EXPECT_EQ(testing::waitForRecords(record(), 1),
              std::vector<std::string>{recorded(
                  "+set\ndedicated\n1\n+set\nsv_config\nserver_mod.cfg\n+set\nsv_hostname\n"
                  "^4~^1Host\n^3Rovazid^4~+set\nsv_maprotation\nManual_MapRot\n"
                  "+start_map_rotate\ntwo words\n")});
}

TEST_F(Launchers, EmptyParametersStartWithoutArguments) {
    installLauncher(kServerLauncherName);
    EXPECT_EQ(startServerLauncher(folder.path(), ""), std::nullopt);
    EXPECT_EQ(testing::waitForRecords(record(), 1), std::vector<std::string>{recorded("")});
}

TEST_F(Launchers, ServerPressedTwiceStartsTwice) {
    installLauncher(kServerLauncherName);
    EXPECT_EQ(startServerLauncher(folder.path(), "a"), std::nullopt);
    EXPECT_EQ(startServerLauncher(folder.path(), "a"), std::nullopt);
    EXPECT_EQ(testing::waitForRecords(record(), 2),
              (std::vector<std::string>{recorded("a\n"), recorded("a\n")}));
}

TEST_F(Launchers, MissingLaunchersAreNamed) {
    std::string profile = "Player";
    EXPECT_EQ(startServerLauncher(folder.path(), "a"),
              "Не могу найти файл: TeknoQZ7_Server_Launcher.exe");
    EXPECT_EQ(startClientLauncher(folder.path(), "a", profile),
              "Не могу найти файл: TeknoQZ7_Client_Launcher.exe");
    // A folder of that name is no launcher either.
    std::filesystem::create_directory(game(kServerLauncherName));
    EXPECT_EQ(startServerLauncher(folder.path(), "a"),
              "Не могу найти файл: TeknoQZ7_Server_Launcher.exe");
}

TEST_F(Launchers, LauncherThatCannotRunIsReported) {
    writeBytes(game(kServerLauncherName), "#!/bin/sh\n");  // not executable
    EXPECT_EQ(startServerLauncher(folder.path(), "a"),
              "Не удалось запустить TeknoQZ7_Server_Launcher.exe: нет права на запуск этого "
              "файла");
}

TEST_F(Launchers, ClientProfileIsCopiedByteForByteBeforeTheClientStarts) {
    const std::string profileBytes("[Settings]\r\nName=Игрок\xFF\0\r\n", 25);
    writeBytes(game("Client/Player One/teknogods.ini"), profileBytes);
    writeBytes(game("teknogods.ini"), "older and longer settings of another profile\r\n");
    // The launcher keeps what it found in the game folder's settings when it started.
    installLauncher(kClientLauncherName, "cp teknogods.ini seen.ini\n");
    std::string profile = "Player One";
    EXPECT_EQ(startClientLauncher(folder.path(), kDesignTimeCommand, profile), std::nullopt);
    ASSERT_EQ(testing::waitForRecords(record(), 1).size(), 1u);
    EXPECT_EQ(readBytes(game("seen.ini")), profileBytes);
    EXPECT_EQ(readBytes(game("teknogods.ini")), profileBytes);
    EXPECT_EQ(profile, "Player One");
    EXPECT_TRUE(testing::waitForRecords(record(), 1).front().ends_with("+start_map_rotate\n"));
}

// A copy that cannot be written leaves the folder's settings whole and says why; the client
// still starts (qz7ctl then ends with a failure).
TEST_F(Launchers, AProfileCopyThatFailsLeavesTheSettingsAsTheyWere) {
    writeBytes(game("Client/Player/teknogods.ini"), "player");
    writeBytes(game("teknogods.ini"), "current");
    std::filesystem::permissions(game("teknogods.ini"), std::filesystem::perms::owner_read);
#ifdef _WIN32
    // Windows cannot start the POSIX stand-in: the start is asked for with no launcher there.
    const std::optional<std::string> started = "Не могу найти файл: TeknoQZ7_Client_Launcher.exe";
#else
    installLauncher(kClientLauncherName);
    const std::optional<std::string> started = std::nullopt;
#endif
    std::string profile = "Player";
    ProfileCopy copy;
    EXPECT_EQ(startClientLauncher(folder.path(), "x", profile, &copy), started);
    EXPECT_EQ(copy.outcome, ProfileCopy::Outcome::Failed);
    EXPECT_FALSE(copy.failure.empty());
    EXPECT_EQ(readBytes(game("teknogods.ini")), "current");
    EXPECT_FALSE(std::filesystem::exists(game("teknogods.ini.qz7-tmp")));
    std::filesystem::permissions(game("teknogods.ini"), std::filesystem::perms::owner_all);
}

TEST_F(Launchers, MissingProfileLeavesTheSettingsAndStillStartsTheClient) {
    writeBytes(game("teknogods.ini"), "current");
    std::filesystem::create_directories(game("Client/Player"));  // folder without the file
    installLauncher(kClientLauncherName);
    for (const char* name : {"Player", "Nobody"}) {
        std::string profile = name;
        EXPECT_EQ(startClientLauncher(folder.path(), "x", profile), std::nullopt);
    }
    EXPECT_EQ(testing::waitForRecords(record(), 2).size(), 2u);
    EXPECT_EQ(readBytes(game("teknogods.ini")), "current");
}

TEST_F(Launchers, MissingClientLauncherAfterTheProfileWasCopied) {
    writeBytes(game("Client/Player/teknogods.ini"), "player");
    std::string profile = "Player";
    EXPECT_EQ(startClientLauncher(folder.path(), "x", profile),
              "Не могу найти файл: TeknoQZ7_Client_Launcher.exe");
    EXPECT_EQ(readBytes(game("teknogods.ini")), "player");
}

// A platform whose user name is given by the test and which only notes what it was asked to
// start.
class FakePlatform : public testing::PassThroughPlatform {
  public:
    explicit FakePlatform(std::optional<std::string> user) : user(std::move(user)) {}

    StartResult startProgram(const std::filesystem::path& program,
                             const std::string& parameters) override {
        started.push_back(program.filename().string() + " " + parameters);
        return startResult;
    }
    std::optional<std::string> userName() override { return user; }

    std::optional<std::string> user;
    StartResult startResult{true, {}};
    std::vector<std::string> started;
    testing::PlatformInUse inUse{*this};
};

TEST_F(Launchers, EmptyProfileNameIsFilledOnceWithTheUserName) {
    writeBytes(game(kClientLauncherName), "");
    writeBytes(game("Client/anna/teknogods.ini"), "anna");
    FakePlatform platform("anna");
    std::string profile;
    EXPECT_EQ(startClientLauncher(folder.path(), "p", profile), std::nullopt);
    EXPECT_EQ(profile, "anna");
    EXPECT_EQ(readBytes(game("teknogods.ini")), "anna");

    platform.user = "boris";  // the name is not asked for again
    EXPECT_EQ(startClientLauncher(folder.path(), "p", profile), std::nullopt);
    EXPECT_EQ(profile, "anna");
    EXPECT_EQ(platform.started, (std::vector<std::string>{"TeknoQZ7_Client_Launcher.exe p",
                                                          "TeknoQZ7_Client_Launcher.exe p"}));
}

TEST_F(Launchers, UnreadableUserNameGivesUnknown) {
    writeBytes(game(kClientLauncherName), "");
    writeBytes(game("Client/Unknown/teknogods.ini"), "fallback");
    for (std::optional<std::string> user :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        FakePlatform platform(user);
        std::string profile;
        EXPECT_EQ(startClientLauncher(folder.path(), "", profile), std::nullopt);
        EXPECT_EQ(profile, "Unknown");
    }
    EXPECT_EQ(readBytes(game("teknogods.ini")), "fallback");
}

TEST_F(Launchers, StartThatFailsIsReportedWithItsReason) {
    writeBytes(game(kClientLauncherName), "");
    FakePlatform platform("anna");
    platform.startResult = {false, "wine не найден"};
    std::string profile = "anna";
    EXPECT_EQ(startClientLauncher(folder.path(), "", profile),
              "Не удалось запустить TeknoQZ7_Client_Launcher.exe: wine не найден");
}

}  // namespace
}  // namespace qz7
