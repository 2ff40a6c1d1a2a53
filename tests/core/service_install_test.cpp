#include "server/service_install.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "server/operation_error.h"
#include "server/serve_lock.h"
#include "tests/fakes/fake_service_hosts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;

ServiceRequest folderRequest(const fs::path& folder) {
    ServiceRequest request;
    request.program = "/usr/bin/qz7ctl";
    request.gameFolder = folder;
    request.stopGrace = std::chrono::seconds(20);
    return request;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(FolderServiceEntry, ServesTheFolderOnItsSettingsWithoutTemplateOrOptions) {
    const ServiceRequest request = folderRequest(pathFromUtf8("/srv/Игра 50%"));
    const std::string name = serviceName(request.gameFolder);
    EXPECT_EQ(name.rfind("qz7-serve-igra-50-", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("qz7-serve-igra-50-").size() + 8);
    EXPECT_NE(name, serviceName(pathFromUtf8("/srv/Другая/Игра 50%")));
    EXPECT_NE(name, serviceName(request.gameFolder, "Игра 50%"));
    EXPECT_EQ(serviceArguments(request),
              (std::vector<std::string>{"--game-dir", "/srv/Игра 50%", "serve"}));
    EXPECT_EQ(serviceDescription(request),
              "QZ7: сервер в /srv/Игра 50% по настройкам qz7-serve.ini");
    EXPECT_NE(systemdUnit(request, {})
                  .find("\nExecStart=\"/usr/bin/qz7ctl\" \"--game-dir\" "
                        "\"/srv/Игра 50%%\" \"serve\"\n"),
              std::string::npos);
}

// Without a serve in the folder, systemd starts the entry's serve at once; with one, the entry is
// only enabled and the running serve is said to run on, so that two never fight for the folder.
TEST(FolderServiceEntry, ARunningServeRunsOnAndTheUnitWaitsForTheNextBoot) {
    testing::TemporaryFolder folder;
    testing::TemporaryFolder units;
    testing::FakeSystemdHost systemd(units.path());
    const ServiceHosts hosts{&systemd, nullptr};
    const ServiceRequest request = folderRequest(folder.path());
    const std::string name = serviceName(folder.path());
    EXPECT_FALSE(folderServiceInstalled(hosts, folder.path()));

    std::string said = installService(hosts, request, true);
    EXPECT_FALSE(fs::exists(units.path() / (name + ".service")));
    EXPECT_TRUE(contains(said, "systemctl --user enable --now " + name + ".service")) << said;
    EXPECT_TRUE(systemd.commands.empty());

    said = installService(hosts, request, false);
    EXPECT_TRUE(folderServiceInstalled(hosts, folder.path()));
    EXPECT_EQ(systemd.commands,
              (std::vector<std::string>{"systemctl --user daemon-reload",
                                        "systemctl --user enable --now " + name + ".service"}));
    EXPECT_TRUE(contains(said, "serve службы запущен")) << said;
    EXPECT_TRUE(contains(said, "loginctl enable-linger")) << said;

    std::optional<ServeHolder> holder;
    std::unique_ptr<FileLock> lock =
        takeServeLock(folder.path(), std::chrono::system_clock::now(), holder);
    ASSERT_TRUE(lock);
    systemd.commands.clear();
    systemd.lingers = true;
    said = installService(hosts, request, false, RunningServe::RunsOn);
    EXPECT_EQ(systemd.commands.back(), "systemctl --user enable " + name + ".service");
    EXPECT_TRUE(contains(said,
                         "работает дальше; служба запустит serve при следующей загрузке "
                         "системы"))
        << said;
    EXPECT_FALSE(contains(said, "enable-linger"));

    // Removing the folder's entry leaves its serve running; stop is the way to end it.
    systemd.commands.clear();
    said = removeService(hosts, folder.path());
    EXPECT_EQ(systemd.commands.front(), "systemctl --user disable " + name + ".service");
    EXPECT_TRUE(contains(said, "работает дальше")) << said;
    EXPECT_FALSE(folderServiceInstalled(hosts, folder.path()));
    EXPECT_THROW(removeService(hosts, folder.path()), OperationError);
}

TEST(FolderServiceEntry, EarlierTemplateEntriesOfTheFolderAreNamed) {
    testing::TemporaryFolder folder;
    testing::TemporaryFolder units;
    testing::FakeSystemdHost systemd(units.path());
    ServiceRequest earlier = folderRequest(folder.path());
    earlier.templateName = "Турнир";
    const std::string earlierName = serviceName(folder.path(), "Турнир");
    writeFileAtomically(units.path() / (earlierName + ".service"), systemdUnit(earlier, {}));
    ServiceRequest elsewhere = earlier;
    elsewhere.gameFolder = folder.path() / "другая";
    writeFileAtomically(units.path() / (serviceName(elsewhere.gameFolder, "Турнир") + ".service"),
                        systemdUnit(elsewhere, {}));

    const std::string said =
        installService({&systemd, nullptr}, folderRequest(folder.path()), false);
    EXPECT_TRUE(contains(said, "Прежние службы шаблонов этой папки тоже запускают serve: " +
                                   earlierName + ". Удалите их"))
        << said;
    // The earlier entry is still removed by its template, with its serve.
    systemd.commands.clear();
    removeService({&systemd, nullptr}, folder.path(), "Турнир");
    EXPECT_EQ(systemd.commands.front(),
              "systemctl --user disable --now " + earlierName + ".service");
}

// Windows: a logon task, the Run key where the Task Scheduler refuses; the switch's caption says
// when it starts.
TEST(FolderServiceEntry, TheLogonTaskOrTheRunKeyServesTheFolder) {
    testing::TemporaryFolder folder;
    testing::FakeTaskSchedulerHost scheduler;
    const ServiceHosts hosts{nullptr, &scheduler};
    const std::string name = serviceName(folder.path());
    EXPECT_EQ(serviceSwitchCaption(hosts),
              "Запускать сервер при входе в Windows (задача планировщика)");
    EXPECT_FALSE(serviceStartsAtInstall(hosts));

    std::string said = installService(hosts, folderRequest(folder.path()), false);
    ASSERT_EQ(scheduler.tasks.count(name), 1u);
    EXPECT_TRUE(
        contains(scheduler.tasks[name], "serve --minimized --restart-on-failure</Arguments>"))
        << scheduler.tasks[name];
    EXPECT_TRUE(contains(said, "запустится при входе в систему")) << said;
    EXPECT_TRUE(folderServiceInstalled(hosts, folder.path()));
    removeService(hosts, folder.path());
    EXPECT_TRUE(scheduler.tasks.empty());

    scheduler.refusal = "Отказано в доступе";
    said = installService(hosts, folderRequest(folder.path()), false);
    EXPECT_TRUE(contains(said,
                         "Планировщик заданий отказал (Отказано в доступе); вместо задачи "
                         "записано значение " +
                             name + " в разделе Run"))
        << said;
    EXPECT_TRUE(folderServiceInstalled(hosts, folder.path()));
}

TEST(FolderServiceEntry, TheSwitchCaptionSaysWhenSystemdStartsTheServer) {
    testing::TemporaryFolder units;
    testing::FakeSystemdHost systemd(units.path());
    const ServiceHosts hosts{&systemd, nullptr};
    EXPECT_EQ(serviceSwitchCaption(hosts),
              "Запускать сервер при входе в систему (служба пользователя)");
    systemd.lingers = true;
    EXPECT_EQ(serviceSwitchCaption(hosts),
              "Запускать сервер при загрузке системы (служба пользователя)");
    systemd.systemWide = true;
    EXPECT_EQ(serviceSwitchCaption(hosts),
              "Запускать сервер при загрузке системы (служба systemd)");
    EXPECT_TRUE(serviceStartsAtInstall(hosts));
    systemd.runs = false;
    EXPECT_EQ(serviceSwitchCaption(hosts), "Служба systemd (systemd здесь не запущен)");
    EXPECT_FALSE(serviceStartsAtInstall(hosts));
}

}  // namespace
}  // namespace qz7
