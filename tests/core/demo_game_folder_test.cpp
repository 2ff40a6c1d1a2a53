#include <gtest/gtest.h>

#include "server/launchers.h"
#include "server/server_files.h"
#include "server/text_lines.h"
#include "server_test_support.h"

namespace qz7 {
namespace {

// The demo game folder shipped with the program, copied so that runs leave it untouched.
class DemoGameFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::copy(demo, folder.path(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }
    std::filesystem::path game(const std::string& relative) const {
        return folder.path() / relative;
    }

    // Made absolute before the test folder becomes the current directory: on Windows a path
    // without a drive letter would otherwise be read on the test folder's drive.
    const std::filesystem::path demo =
        std::filesystem::absolute(std::filesystem::path(QZ7_TEST_DATA_DIR) / "../../demo");
    testing::TemporaryGameFolder folder;  // the current directory too
};

TEST_F(DemoGameFolder, BaseRecipeHoldsEveryOptionLine) {
    ASSERT_EQ(writeServerFiles(folder.path(), {}, {"mp_dome"}, true).outcome,
              ServerFilesOutcome::Written);
    const std::string base = *testing::readBytes(game("admin/Manual_Mod_default.dsr"));
    const std::string recipe = *testing::readBytes(game("admin/Manual_Mod.dsr"));
    // No option had to be added: every one of them found its line in the base.
    EXPECT_EQ(splitRecipeLines(recipe).size(), splitRecipeLines(base).size());
    EXPECT_NE(recipe.find("\r\ngameOpt gametype \"dm\"\r\n"), std::string::npos);
    const std::string configuration = *testing::readBytes(game("admin/server_mod.cfg"));
    EXPECT_NE(configuration.find("\r\ng_password \"\"\r\nsv_maxclients 12\r\n"), std::string::npos);
}

TEST_F(DemoGameFolder, StandInLauncherLogsItsParameters) {
    std::string profile = "Player";
    ASSERT_EQ(startClientLauncher(folder.path(), "+set \"a b\"", profile), std::nullopt);
    EXPECT_EQ(testing::readBytes(game("teknogods.ini")),
              testing::readBytes(game("Client/Player/teknogods.ini")));
    // The log grows line by line; wait until its last line is there.
    std::string log;
    for (int attempt = 0; attempt < 2000 && !log.ends_with("    [a b]\n"); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        log = testing::readBytes(game("launchers.log")).value_or("");
    }
    EXPECT_NE(log.find(" TeknoQZ7_Client_Launcher.exe\n  working folder: " +
                       std::filesystem::canonical(folder.path()).string() +
                       "\n  2 parameters:\n    [+set]\n    [a b]\n"),
              std::string::npos)
        << log;
}

}  // namespace
}  // namespace qz7
