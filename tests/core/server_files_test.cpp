#include "server/server_files.h"

#include <gtest/gtest.h>

#include <functional>

#include "server_test_support.h"

namespace qz7 {
namespace {

using testing::readBytes;
using testing::writeBytes;

// The worked example: the three named lines among the other option lines of a base recipe.
const std::string kBaseRecipe =
    "gameOpt commonOption.maxHealth \"100\"\n"
    "gameOpt commonOption.timeLimit \"10\"\n"
    "gameOpt gametype \"war\"\n"
    "gameOpt commonOption.hardcoreModeOn \"1\"\n"
    "gameOpt commonOption.scoreLimit \"750\"\n"
    "gameOpt commonOption.friendlyFire \"0\"\n"
    "gameOpt defaultClasses.axis.[0].class.inUse \"1\"\n"
    "gameOpt commonOption.attachmentRestricted.m320 \"0\"\n"
    "gameOpt commonOption.showKillcam \"0\"\n"
    "gameOpt commonOption.allowPerks \"0\"\n"
    "gameOpt commonOption.forceThirdPersonView \"1\"\n"
    "gameOpt commonOption.allowCustomClasses \"0\"\n"
    "gameOpt commonOption.headshotsOnly \"1\"\n"
    "gameOpt commonOption.radarAlwaysOn \"1\"\n"
    "gameOpt commonOption.spectateModeAllowed \"0\"\n"
    "gameOpt commonOption.allowKillstreaks \"0\"\n"
    "gameOpt commonOption.numLives \"1\"\n"
    "gameOpt commonOption.healthRegen \"10\"";

const std::string kExpectedRecipe =
    "gameOpt commonOption.maxHealth \"50\"\r\n"
    "gameOpt commonOption.timeLimit \"15\"\r\n"
    "gameOpt gametype \"dm\"\r\n"
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

const std::string kBaseConfiguration = "sv_hostname \"Host\"\r\ng_password\r\nsv_maxclients 18\r\n";
const std::string kExpectedConfiguration =
    "sv_hostname \"Host\"\r\ng_password \"\"\r\nsv_maxclients 12\r\n";
const std::string kExpectedPlaylist = "mp_seatown,Manual_Mod,100\r\nmp_dome,Manual_Mod,100\r\n";
const std::vector<std::string> kRotation = {"mp_seatown", "mp_dome"};

class ServerFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        writeBytes(file("Manual_Mod_default.dsr"), kBaseRecipe);
        writeBytes(file("server_mod_default.cfg"), kBaseConfiguration);
    }
    void TearDown() override { setAtomicWriteFailureForTesting(std::nullopt); }

    std::filesystem::path file(const std::string& name) const {
        return folder.path() / "admin" / name;
    }
    std::optional<std::string> output(const std::string& name) const {
        return readBytes(file(name));
    }
    void writeOldOutputs() {
        for (const char* name : {"Manual_Mod.dsr", "Manual_MapRot.dspl", "server_mod.cfg"})
            writeBytes(file(name), "old");
    }
    bool temporaryFilesLeft() const {
        for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "admin"))
            if (entry.path().filename().string().find(".tmp") != std::string::npos) return true;
        return false;
    }
    ServerFilesResult run(const GameSettings& settings = {}, bool randomMapChance = false) {
        return writeServerFiles(folder.path(), settings, kRotation, randomMapChance);
    }

    testing::TemporaryGameFolder folder;  // the current directory too
};

TEST_F(ServerFiles, WorkedExampleWritesTheThreeFiles) {
    writeOldOutputs();
    ServerFilesResult result = run();
    EXPECT_EQ(result.outcome, ServerFilesOutcome::Written);
    EXPECT_EQ(result.message, "");
    EXPECT_EQ(output("Manual_Mod.dsr"), kExpectedRecipe);
    EXPECT_EQ(output("Manual_MapRot.dspl"), kExpectedPlaylist);
    EXPECT_EQ(output("server_mod.cfg"), kExpectedConfiguration);
    EXPECT_EQ(readBytes(file("Manual_Mod_default.dsr")), kBaseRecipe);
    EXPECT_FALSE(temporaryFilesLeft());

    // A second run gives the same bytes.
    run();
    EXPECT_EQ(output("Manual_Mod.dsr"), kExpectedRecipe);
    EXPECT_EQ(output("server_mod.cfg"), kExpectedConfiguration);
}

TEST_F(ServerFiles, RandomChanceGivesWeightsFrom1To999) {
    run({}, true);
    const std::string playlist = *output("Manual_MapRot.dspl");
    ASSERT_TRUE(playlist.starts_with("mp_seatown,Manual_Mod,"));
    const std::size_t second = playlist.find("\r\nmp_dome,Manual_Mod,");
    ASSERT_NE(second, std::string::npos);
    for (std::size_t start : {std::size_t(22), second + 21}) {
        const int weight = std::stoi(playlist.substr(start));
        EXPECT_GE(weight, 1);
        EXPECT_LE(weight, 999);
    }
    EXPECT_TRUE(playlist.ends_with("\r\n"));
}

TEST_F(ServerFiles, MissingBaseRecipeWritesNothing) {
    writeOldOutputs();
    std::filesystem::remove(file("Manual_Mod_default.dsr"));
    ServerFilesResult result = run();
    EXPECT_EQ(result.outcome, ServerFilesOutcome::BaseRecipeMissing);
    EXPECT_EQ(result.message, "Не могу найти базовый файл: \\admin\\Manual_Mod_default.dsr");
    for (const char* name : {"Manual_Mod.dsr", "Manual_MapRot.dspl", "server_mod.cfg"})
        EXPECT_EQ(output(name), "old") << name;
}

TEST_F(ServerFiles, BaseRecipeThatIsAFolderCountsAsMissing) {
    std::filesystem::remove(file("Manual_Mod_default.dsr"));
    std::filesystem::create_directory(file("Manual_Mod_default.dsr"));
    EXPECT_EQ(run().outcome, ServerFilesOutcome::BaseRecipeMissing);
    EXPECT_EQ(output("Manual_Mod.dsr"), std::nullopt);
}

TEST_F(ServerFiles, MissingBaseConfigurationKeepsRecipeAndPlaylistAndTheOldConfiguration) {
    writeOldOutputs();
    std::filesystem::remove(file("server_mod_default.cfg"));
    ServerFilesResult result = run();
    EXPECT_EQ(result.outcome, ServerFilesOutcome::BaseConfigurationMissing);
    EXPECT_EQ(result.message, "Не могу найти базовый файл: \\admin\\server_mod_default.cfg");
    EXPECT_EQ(output("Manual_Mod.dsr"), kExpectedRecipe);
    EXPECT_EQ(output("Manual_MapRot.dspl"), kExpectedPlaylist);
    EXPECT_EQ(output("server_mod.cfg"), "old");
}

TEST_F(ServerFiles, RefusedValuesStopTheRunBeforeAnythingIsWritten) {
    writeOldOutputs();
    struct Case {
        std::function<void(GameSettings&)> change;
        std::vector<std::string> rotation;
        const char* message;
    };
    const Case cases[] = {
        {[](auto& s) { s.Password = "x\"\r\nsv_maxclients 64"; }, kRotation,
         "Недопустимый символ в поле «пароль подключения»: перевод строки не допускается. Файлы "
         "не сформированы."},
        {[](auto& s) { s.ScoreLimit = "5\""; }, kRotation,
         "Недопустимый символ в поле «лимит очков»: двойная кавычка не допускается. Файлы не "
         "сформированы."},
        {[](auto& s) { s.GameMode = "неизвестный режим"; }, kRotation,
         "Режим игры «неизвестный режим» не из списка режимов. Файлы не сформированы."},
        {[](auto&) {},
         {"mp_seatown", "mp_dome,Other_Mod,999"},
         "Недопустимое имя карты «mp_dome,Other_Mod,999» (2-я карта): запятая, пробел и "
         "табуляция не допускаются. Файлы не сформированы."},
        {[](auto&) {},
         {"mp_seatown\r\nmp_evil"},
         "Недопустимое имя карты «mp_seatown\r\nmp_evil» (1-я карта): перевод строки не "
         "допускается. Файлы не сформированы."},
    };
    for (const Case& c : cases) {
        GameSettings settings;
        c.change(settings);
        ServerFilesResult result = writeServerFiles(folder.path(), settings, c.rotation, false);
        EXPECT_EQ(result.outcome, ServerFilesOutcome::Refused);
        EXPECT_EQ(result.message, c.message);
    }
    for (const char* name : {"Manual_Mod.dsr", "Manual_MapRot.dspl", "server_mod.cfg"})
        EXPECT_EQ(output(name), "old") << name;
}

// The server would run without the password or the limit the user set.
TEST_F(ServerFiles, BaseConfigurationWithoutTheLinesToChangeIsReportedNotWritten) {
    writeOldOutputs();
    const std::pair<std::string, std::string> cases[] = {
        {"sv_hostname x\r\nsv_maxclients 4\r\n", "нет строки g_password (пароль подключения):"},
        {"g_password\r\n", "нет строки sv_maxclients (max число игроков):"},
        {"sv_hostname x\r\n",
         "нет строки g_password (пароль подключения) и строки sv_maxclients (max число игроков):"},
    };
    for (const auto& [base, missing] : cases) {
        writeBytes(file("server_mod_default.cfg"), base);
        ServerFilesResult result = run();
        EXPECT_EQ(result.outcome, ServerFilesOutcome::BaseConfigurationIncomplete);
        EXPECT_EQ(result.message, "В базовом файле \\admin\\server_mod_default.cfg " + missing +
                                      " настройки в него не попали бы. Файл "
                                      "\\admin\\server_mod.cfg не записан.");
        EXPECT_EQ(output("server_mod.cfg"), "old");
    }
}

TEST_F(ServerFiles, OutputThatCannotBeWrittenStopsTheRunThere) {
    writeOldOutputs();
    std::filesystem::remove(file("Manual_MapRot.dspl"));
    std::filesystem::create_directory(file("Manual_MapRot.dspl"));
    EXPECT_THROW(run(), FileError);
    EXPECT_EQ(output("Manual_Mod.dsr"), kExpectedRecipe);  // written before the failure
    EXPECT_TRUE(std::filesystem::is_directory(file("Manual_MapRot.dspl")));
    EXPECT_EQ(output("server_mod.cfg"), "old");  // never reached
    EXPECT_FALSE(temporaryFilesLeft());
}

TEST_F(ServerFiles, FailureInTheMiddleOfWritingLeavesThePreviousFileIntact) {
    run();
    setAtomicWriteFailureForTesting(20);  // a full disk after 20 bytes of the recipe
    GameSettings changed;
    changed.MaxHealth = "200";
    EXPECT_THROW(run(changed), FileError);
    EXPECT_EQ(output("Manual_Mod.dsr"), kExpectedRecipe);
    EXPECT_EQ(output("Manual_MapRot.dspl"), kExpectedPlaylist);
    EXPECT_EQ(output("server_mod.cfg"), kExpectedConfiguration);
    EXPECT_FALSE(temporaryFilesLeft());
}

}  // namespace
}  // namespace qz7
