#include "server/serve_start.h"

#include <gtest/gtest.h>

#include "platform/game_paths.h"
#include "server/serve_lock.h"
#include "server/serve_settings.h"
#include "tests/support/file_bytes.h"
#include "tests/support/hand_built_record.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;

const std::string kSettingsLine = "все против всех;50;0;5000;15;1;1;1;0;;1;0;1;0;0;1;0;1;5;12;";

std::string problemIn(const fs::path& qz7ctl, const fs::path& folder) {
    return serveStartProblem(qz7ctl, folder).value_or("none");
}

// Before the window starts a serve it says, in serve's own words, what would make that serve end
// at once: each problem in the order serve meets it, the next one once the first is mended.
TEST(ServeStart, WhatWouldEndTheServeAtOnceIsSaidFirst) {
    testing::TemporaryFolder folder;
    const fs::path game = folder.path() / pathFromUtf8("игра");
    fs::create_directories(game / "admin");
    const fs::path qz7ctl = folder.path() / "bin" / "qz7ctl";

    EXPECT_EQ(problemIn(qz7ctl, game)
                  .rfind("Не найден qz7ctl рядом с программой (" +
                             utf8FromPath(qz7ctl.parent_path()) + ")",
                         0),
              0u)
        << problemIn(qz7ctl, game);
    fs::create_directories(qz7ctl.parent_path());
    testing::writeBytes(qz7ctl, "stand-in");

    EXPECT_EQ(problemIn(qz7ctl, game).rfind("Не могу найти файл: TeknoQZ7_Server_Launcher.exe", 0),
              0u);
    testing::writeBytes(game / "TeknoQZ7_Server_Launcher.exe", "stand-in");

    EXPECT_EQ(problemIn(qz7ctl, game), "Шаблон не задан: выберите его в окне настройки сервера.");
    testing::writeBytes(game / kServeSettingsFile, "Template=Турнир\nPorts=2\n");
    EXPECT_EQ(problemIn(qz7ctl, game), "qz7-serve.ini, строка 2, Ports: нужно 0 (нет) или 1 (да)");
    testing::writeBytes(game / kServeSettingsFile, "Template=Турнир\n");
    EXPECT_NE(problemIn(qz7ctl, game).find("ServerSetup_QZ7.cfg"), std::string::npos)
        << problemIn(qz7ctl, game);
    testing::writeBytes(game / "ServerSetup_QZ7.cfg",
                        testing::handBuiltRecord("Турнир", kSettingsLine, "mp_dome;", "") +
                            testing::handBuiltRecord("Турнир", kSettingsLine, "mp_dome;", ""));
    EXPECT_NE(problemIn(qz7ctl, game).find("Турнир"), std::string::npos);
    testing::writeBytes(game / "ServerSetup_QZ7.cfg",
                        testing::handBuiltRecord("Турнир", kSettingsLine, "mp_dome;", ""));
    EXPECT_EQ(problemIn(qz7ctl, game), "none");

    std::optional<ServeHolder> holder;
    std::unique_ptr<FileLock> lock = takeServeLock(game, std::chrono::system_clock::now(), holder);
    ASSERT_TRUE(lock);
    EXPECT_EQ(problemIn(qz7ctl, game).rfind("В папке игры уже работает qz7ctl serve (pid ", 0), 0u);
}

TEST(ServeStart, TheOutputShownIsTheEndOfTheFileFromALineStart) {
    testing::TemporaryFolder folder;
    EXPECT_EQ(serveOutput(folder.path()), "");
    testing::writeBytes(folder.path() / kServeOutputFile, "В папке игры уже работает\r\n\n");
    EXPECT_EQ(serveOutput(folder.path()), "В папке игры уже работает");
    std::string many;
    for (int i = 0; i < 500; ++i) many += "строка " + std::to_string(i) + "\n";
    testing::writeBytes(folder.path() / kServeOutputFile, many);
    const std::string shown = serveOutput(folder.path());
    EXPECT_LE(shown.size(), 4096u);
    EXPECT_EQ(shown.rfind("строка ", 0), 0u) << shown.substr(0, 40);
    EXPECT_TRUE(shown.ends_with("\nстрока 499")) << shown.substr(shown.size() - 40);
}

}  // namespace
}  // namespace qz7
