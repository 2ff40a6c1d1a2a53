// One entry per game folder: its name comes from the folder however it is written, and an entry
// an earlier version named from another spelling of the folder is found, replaced and removed.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/game_paths.h"
#include "server/service_install.h"
#include "tests/fakes/fake_service_hosts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::size_t lineCount(const std::string& text) {
    return std::size_t(std::count(text.begin(), text.end(), '\n'));
}

// The folder as another face wrote it: with "." and ".." in it.
fs::path writtenDifferently(const fs::path& folder) {
    return folder / "." / ".." / folder.filename() / "";
}

ServiceRequest folderRequest(const fs::path& folder) {
    ServiceRequest request;
    request.program = "/usr/bin/qz7ctl";
    request.gameFolder = folder;
    return request;
}

// The description an entry of the folder carries, from the folder as it was written.
std::string descriptionOf(const fs::path& folder) {
    return serviceDescription(folderRequest(folder));
}

TEST(FolderServiceNames, OneFolderWrittenInDifferentWaysHasOneName) {
    testing::TemporaryFolder top;
    const fs::path game = top.path() / pathFromUtf8("Игра");
    fs::create_directories(game);
    EXPECT_EQ(serviceName(writtenDifferently(game)), serviceName(game));
    EXPECT_EQ(folderIdentity(writtenDifferently(game)), folderIdentity(game));
#ifndef _WIN32
    EXPECT_EQ(folderIdentity(game), utf8FromPath(fs::canonical(game)));
#endif
    std::error_code linkRefused;
    fs::create_directory_symlink(game, top.path() / "link", linkRefused);
    if (!linkRefused) {
        EXPECT_EQ(serviceName(top.path() / "link"), serviceName(game));
    }
    EXPECT_NE(serviceName(top.path()), serviceName(game));
#ifdef _WIN32
    EXPECT_EQ(folderIdentity("c:/games/QZ7/"), folderIdentity("C:\\Games\\qz7"));
    EXPECT_EQ(folderIdentity(pathFromUtf8("c:\\игры\\QZ7")), "C:\\игры\\qz7");
#endif
}

// A unit an earlier version named from the folder as the window gave it: seen as the folder's,
// listed as one to replace, replaced by install, never two.
TEST(FolderServiceNames, AUnitOfTheEarlierNameIsReplacedNotDoubled) {
    testing::TemporaryFolder game;
    testing::TemporaryFolder units;
    testing::FakeSystemdHost systemd(units.path());
    const ServiceHosts hosts{&systemd, nullptr};
    const fs::path earlierUnit = units.path() / "qz7-serve-game-0badc0de.service";
    testing::writeBytes(earlierUnit,
                        "[Unit]\nDescription=" + descriptionOf(writtenDifferently(game.path())) +
                            "\n\n[Service]\nExecStart=\"/usr/bin/qz7ctl\"\n");
    EXPECT_TRUE(folderServiceInstalled(hosts, game.path()));
    EXPECT_TRUE(contains(listServices(hosts), "прежнее имя")) << listServices(hosts);

    const std::string said = installService(hosts, folderRequest(game.path()), false);
    const std::string name = serviceName(game.path());
    EXPECT_TRUE(fs::exists(units.path() / (name + ".service")));
    EXPECT_FALSE(fs::exists(earlierUnit));
    EXPECT_TRUE(contains(said, "qz7-serve-game-0badc0de заменена службой " + name)) << said;
    EXPECT_TRUE(contains(systemd.commands.back(), "daemon-reload"));
    const std::string listed = listServices(hosts);
    EXPECT_EQ(lineCount(listed), 1u) << listed;
    EXPECT_FALSE(contains(listed, "прежнее имя")) << listed;

    // Installing again keeps the one entry; removing by the other spelling removes it.
    installService(hosts, folderRequest(game.path()), false);
    EXPECT_EQ(lineCount(listServices(hosts)), 1u);
    EXPECT_TRUE(contains(removeService(hosts, writtenDifferently(game.path())), name));
    EXPECT_FALSE(folderServiceInstalled(hosts, game.path()));
    EXPECT_EQ(listServices(hosts), "Служб qz7ctl нет\n");
}

// The same with the Task Scheduler: a task and a Run value of earlier names go, the logon brings
// one serve.
TEST(FolderServiceNames, ATaskAndARunValueOfEarlierNamesAreReplaced) {
    testing::TemporaryFolder game;
    testing::FakeTaskSchedulerHost scheduler;
    const ServiceHosts hosts{nullptr, &scheduler};
    const fs::path other = writtenDifferently(game.path());
    scheduler.tasks["qz7-serve-game-11111111"] = descriptionOf(other);
    scheduler.runValues["qz7-serve-game-22222222"] = runKeyCommand(folderRequest(other));
    // A template's entry of an earlier version is no folder entry: it stays, and is named.
    ServiceRequest templateEntry = folderRequest(game.path());
    templateEntry.templateName = "Турнир";
    scheduler.tasks[serviceName(game.path(), "Турнир")] = serviceDescription(templateEntry);
    EXPECT_TRUE(folderServiceInstalled(hosts, game.path()));

    const std::string said = installService(hosts, folderRequest(game.path()), false);
    const std::string name = serviceName(game.path());
    EXPECT_EQ(scheduler.tasks.count(name), 1u);
    EXPECT_EQ(scheduler.tasks.count("qz7-serve-game-11111111"), 0u);
    EXPECT_TRUE(scheduler.runValues.empty());
    EXPECT_EQ(scheduler.tasks.size(), 2u);
    EXPECT_TRUE(contains(said, "Прежние службы шаблонов этой папки")) << said;

    removeService(hosts, game.path());
    EXPECT_FALSE(folderServiceInstalled(hosts, game.path()));
    EXPECT_EQ(scheduler.tasks.size(), 1u);
}

}  // namespace
}  // namespace qz7
