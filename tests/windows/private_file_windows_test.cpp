// The folder's alert addresses as the window writes them, against the system's own access lists
// and replace: private from the temporary file's creation on, so that serve's own check takes
// the file whatever the replace carries over (Windows keeps the replaced file's list, wine the
// new file's).
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "platform/private_file.h"
#include "server/folder_alerts.h"
#include "server/serve_alerts.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;

TEST(WindowsOwnerOnlyWrite, TheTemporaryFileIsPrivateFromItsCreation) {
    testing::TemporaryFolder folder;
    const fs::path file = folder.path() / pathFromUtf8("адреса.txt");
    fs::path temporary = file;
    temporary += ".qz7-tmp";
    for (int round = 0; round < 2; ++round) {  // made, then replaced
        std::optional<std::string> onTheWay = "not looked at";
        writeFileAtomically(
            file,
            [&](const ByteSink& sink) {
                onTheWay = othersMayRead(temporary);
                sink("https://example.org/hook\n");
            },
            FileAccess::OwnerOnly);
        EXPECT_EQ(onTheWay, std::nullopt) << round;
        EXPECT_EQ(othersMayRead(file), std::nullopt) << round;
    }
}

TEST(WindowsOwnerOnlyWrite, ServeTakesTheAlertFileTheWindowWrote) {
    testing::TemporaryFolder folder;
    const fs::path game = folder.path() / pathFromUtf8("папка игры");
    fs::create_directories(game);
    for (const char* address : {"http://127.0.0.1:9/first", "http://127.0.0.1:9/second"}) {
        writeFolderAlerts(game, {address});  // the second replaces the first
        AlertOptions options;
        options.file = utf8FromPath(folderAlertFile(game));
        std::vector<AlertTarget> targets;
        ASSERT_NO_THROW(targets = alertTargets(options)) << address;
        ASSERT_EQ(targets.size(), 1u);
        EXPECT_EQ(targets[0].url, address);
    }
}

}  // namespace
}  // namespace qz7
