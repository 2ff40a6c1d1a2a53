#include "server/serve_settings.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

#include "platform/atomic_file.h"
#include "server/folder_alerts.h"
#include "server/operation_error.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string refusalOf(const std::string& text) {
    try {
        parseServeSettings(text);
    } catch (const OperationError& error) {
        EXPECT_EQ(error.kind(), OperationError::Kind::Usage);
        return error.what();
    }
    return "accepted";
}

// A file as a host writes it by hand on Windows: a byte order mark, CR LF, comments of both
// kinds, blanks around keys and values; the template's name taken as it stands.
TEST(ServeSettings, AHandWrittenFileGivesItsValuesAndTheDefaultsForTheRest) {
    const ServeOptions settings = parseServeSettings(
        "\xEF\xBB\xBF# сервер турнира\r\n"
        "Template= -=RUS=- Дуэли \r\n"
        "\r\n"
        "; расписание\r\n"
        "  RestartAt = 16:00,04:00\r\n"
        "RestartEvery=6h\r\n"
        "OnCleanExit=restart\r\n"
        "Ports=1\r\n"
        "StopGrace=2.5\r\n"
        "CrashLimit=3\r\n"
        "AlertFormat=json");
    EXPECT_EQ(settings.templateName, " -=RUS=- Дуэли ");
    EXPECT_EQ(settings.timing.schedule.timesOfDay, (std::vector<std::chrono::minutes>{4h, 16h}));
    EXPECT_EQ(settings.timing.schedule.every, std::chrono::seconds(6h));
    EXPECT_TRUE(settings.timing.restartAfterCleanExit);
    EXPECT_TRUE(settings.forwardPorts);
    EXPECT_EQ(settings.timing.stopGrace, 2500ms);
    EXPECT_EQ(settings.timing.crashLimit, 3);
    EXPECT_EQ(settings.alerts.format, "json");
    // Not named: serve's defaults.
    const ServeOptions defaults;
    EXPECT_EQ(settings.timing.crashWindow, defaults.timing.crashWindow);
    EXPECT_EQ(settings.timing.firstRestartDelay, defaults.timing.firstRestartDelay);
    EXPECT_FALSE(settings.allowSleep);
    EXPECT_FALSE(settings.command);
    EXPECT_FALSE(settings.alerts.any());
}

// Each bad line is refused with the file, its line, its key and why, so that a host can mend it.
TEST(ServeSettings, ABadLineIsRefusedWithItsNumberKeyAndReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"Template=Турнир\nRestartAt=4:00",
         "qz7-serve.ini, строка 2, RestartAt: время «4:00» не в виде ЧЧ:ММ (от 00:00 до 23:59)"},
        {"RestartEvery=5s", "qz7-serve.ini, строка 1, RestartEvery: промежуток «5s» короче 10 с"},
        {"# x\nRestartAt=04:00\nRestartAt=05:00",
         "qz7-serve.ini, строка 3, RestartAt: ключ уже задан в строке 2"},
        {"Ports=yes", "qz7-serve.ini, строка 1, Ports: нужно 0 (нет) или 1 (да)"},
        {"StopGrace=0",
         "qz7-serve.ini, строка 1, StopGrace: нужно число секунд от 0.001 до 86400, "
         "например 10 или 0.5"},
        {"CrashWindow=1e3",
         "qz7-serve.ini, строка 1, CrashWindow: нужно число секунд от 0.001 "
         "до 86400, например 10 или 0.5"},
        {"CrashLimit=1001", "qz7-serve.ini, строка 1, CrashLimit: нужно целое число от 1 до 1000"},
        {"OnCleanExit=Restart", "qz7-serve.ini, строка 1, OnCleanExit: нужно stop или restart"},
        {"AlertFormat=xml", "qz7-serve.ini, строка 1, AlertFormat: нужно discord, json или пусто"},
        {"\n\nRestart-At=04:00",
         "qz7-serve.ini, строка 3, Restart-At: неизвестный ключ (известны: Template, "
         "FixedWeights, Command, RestartAt, RestartEvery, OnCleanExit, Ports, Igd, AllowSleep, "
         "CrashLimit, CrashWindow, RestartDelay, MaxRestartDelay, StopGrace, QueryPort, "
         "HealthInterval, HangAfter, OnHang, RestartWhenEmpty, EmptyWait, WarnBefore, "
         "AlertFormat)"},
        {"QueryPort=65536", "qz7-serve.ini, строка 1, QueryPort: нужно целое число от 1 до 65535"},
        {"HangAfter=1", "qz7-serve.ini, строка 1, HangAfter: нужно целое число от 2 до 1000"},
        {"OnHang=kill", "qz7-serve.ini, строка 1, OnHang: нужно restart или alert"},
        {"HealthInterval=5s",
         "qz7-serve.ini, строка 1, HealthInterval: промежуток «5s» короче 10 с"},
        {"WarnBefore=5m,x",
         "qz7-serve.ini, строка 1, WarnBefore: промежуток «x» не в виде числа с единицей s, m "
         "или h (например 90s, 30m, 6h)"},
        {"Ports",
         "qz7-serve.ini, строка 1, Ports: нет знака «=»: строка должна быть "
         "Ключ=значение"},
        {"Template=\xD2\xF3\xF0\xED\xE8\xF0",
         "qz7-serve.ini, строка 1: строка не в кодировке UTF-8"},
        {"Command=+set\tx", "qz7-serve.ini, строка 1, Command: в значении есть управляющий символ"},
    };
    for (const auto& [text, refusal] : cases) EXPECT_EQ(refusalOf(text), refusal) << text;
    EXPECT_EQ(refusalOf(std::string(64 * 1024 + 1, '#')),
              "qz7-serve.ini, строка 0: файл больше 64 КиБ");
}

ServeOptions everyKeySet() {
    ServeOptions settings;
    settings.templateName = "-=RUS=- Дуэли";
    settings.fixedWeights = true;
    settings.command = "+set dedicated 1";
    settings.timing.schedule.timesOfDay = {4h, 16h + 30min};
    settings.timing.schedule.every = 90s;
    settings.timing.restartAfterCleanExit = true;
    settings.forwardPorts = true;
    settings.igdUrl = "http://192.168.1.1:5000/rootDesc.xml";
    settings.allowSleep = true;
    settings.timing.crashLimit = 7;
    settings.timing.crashWindow = 300s;
    settings.timing.firstRestartDelay = 50ms;
    settings.timing.longestRestartDelay = 30s;
    settings.timing.stopGrace = 2500ms;
    settings.alerts.format = "discord";
    settings.health.queryPort = 27960;
    settings.health.interval = 45s;
    settings.health.missesForHang = 4;
    settings.health.restartOnHang = false;
    settings.timing.restartWhenEmpty = true;
    settings.timing.emptyWait = 90min;
    settings.timing.warnBefore = {5min, 1min};
    return settings;
}

TEST(ServeSettings, EveryKeyIsReadBackAsItWasWritten) {
    const std::string text = serveSettingsText(everyKeySet());
    const ServeOptions read = parseServeSettings(text);
    EXPECT_EQ(serveSettingsText(read), text);
    EXPECT_EQ(read.templateName, "-=RUS=- Дуэли");
    EXPECT_EQ(read.timing.schedule.every, 90s);
    EXPECT_EQ(read.timing.firstRestartDelay, 50ms);
    EXPECT_NE(text.find("\nRestartAt=04:00,16:30\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nRestartEvery=90s\n"), std::string::npos);
    EXPECT_NE(text.find("\nRestartDelay=0.05\n"), std::string::npos);
    EXPECT_NE(text.find("\nStopGrace=2.5\n"), std::string::npos);
    for (const char* line : {"QueryPort=27960", "HealthInterval=45s", "HangAfter=4", "OnHang=alert",
                             "RestartWhenEmpty=1", "EmptyWait=90m", "WarnBefore=5m,1m"})
        EXPECT_NE(text.find("\n" + std::string(line) + "\n"), std::string::npos) << line;
    EXPECT_EQ(read.health.queryPort, 27960);
    EXPECT_EQ(read.timing.warnBefore, (std::vector<std::chrono::seconds>{5min, 1min}));
    // Defaults are written too, so that the file shows every key a host may change.
    const std::string plain = serveSettingsText(ServeOptions{});
    EXPECT_NE(plain.find("\nRestartAt=\n"), std::string::npos) << plain;
    EXPECT_NE(plain.find("\nCrashLimit=5\n"), std::string::npos);
    EXPECT_NE(plain.find("\nOnCleanExit=stop\n"), std::string::npos);
    EXPECT_NE(plain.find("\nQueryPort=\n"), std::string::npos);
    EXPECT_NE(plain.find("\nEmptyWait=1h\n"), std::string::npos);
    EXPECT_EQ(plain.rfind("# ", 0), 0u);
}

// A rewrite changes values only: a host's comments, order and line ends stay, and keys the file
// lacked (added by a later version) follow at the end.
TEST(ServeSettings, ARewriteKeepsWhatTheHostWroteAroundTheValues) {
    const std::string earlier =
        "# мой сервер\r\nRestartAt = 05:00 \r\n\r\n; его шаблон\r\nTemplate=Старый\r\n";
    const std::string text = serveSettingsText(everyKeySet(), earlier);
    EXPECT_EQ(text.rfind("# мой сервер\r\nRestartAt=04:00,16:30\r\n\r\n; его шаблон\r\n"
                         "Template=-=RUS=- Дуэли\r\n\r\n# ",
                         0),
              0u)
        << text;
    EXPECT_EQ(text.find("Template=", text.find("Template=") + 1), std::string::npos);
    EXPECT_NE(text.find("\r\nStopGrace=2.5\r\n"), std::string::npos);
    EXPECT_EQ(serveSettingsText(parseServeSettings(text), text), text);
}

TEST(ServeSettings, TheFolderFileIsWrittenWholeAndABadOneReplaced) {
    testing::TemporaryFolder folder;
    EXPECT_EQ(serveSettingsText(readServeSettings(folder.path())), serveSettingsText({}));
    writeServeSettings(folder.path(), everyKeySet());
    EXPECT_EQ(readServeSettings(folder.path()).templateName, "-=RUS=- Дуэли");
    writeFileAtomically(folder.path() / kServeSettingsFile, "# оставить\nTemplate=A\n");
    writeServeSettings(folder.path(), everyKeySet());
    EXPECT_EQ(testing::readBytes(folder.path() / kServeSettingsFile)->rfind("# оставить\n", 0), 0u);

    writeFileAtomically(folder.path() / kServeSettingsFile, "Ports=maybe\n# оставить\n");
    EXPECT_THROW(readServeSettings(folder.path()), OperationError);
    writeServeSettings(folder.path(), everyKeySet());
    EXPECT_EQ(readServeSettings(folder.path()).timing.crashLimit, 7);
    EXPECT_EQ(testing::readBytes(folder.path() / kServeSettingsFile)->find("оставить"),
              std::string::npos);
}

// On serve's command line, the options given win over the file for that run; the others, and
// the template when none is named, come from the file.
TEST(ServeSettings, TheCommandLineWinsForTheOptionsItGives) {
    const ServeOptions settings = everyKeySet();
    ServeOptions commandLine;
    commandLine.timing.stopGrace = 1s;            // given
    commandLine.timing.crashLimit = 2;            // not given: the file's stays
    commandLine.timing.schedule.timesOfDay = {};  // given: no times for this run
    commandLine.force = true;                     // a run's own
    commandLine.quietServer = true;               // a run's own: the window's serve
    commandLine.alerts.urls = {"https://example.org/x"};
    ServeOptions options = serveOptionsOverSettings(
        settings, commandLine, {"--stop-grace", "--restart-at", "--force", "--quiet-server"});
    EXPECT_EQ(options.timing.stopGrace, 1s);
    EXPECT_EQ(options.timing.crashLimit, 7);
    EXPECT_TRUE(options.timing.schedule.timesOfDay.empty());
    EXPECT_EQ(options.timing.schedule.every, 90s);
    EXPECT_EQ(options.templateName, "-=RUS=- Дуэли");
    EXPECT_TRUE(options.force);
    EXPECT_TRUE(options.quietServer);
    EXPECT_EQ(options.alerts.urls, commandLine.alerts.urls);
    EXPECT_EQ(options.alerts.format, "discord");

    commandLine.templateName = "#2";
    commandLine.command = "";
    options = serveOptionsOverSettings(settings, commandLine, {"--command"});
    EXPECT_EQ(options.templateName, "#2");
    EXPECT_EQ(options.command, "");  // an empty command line of its own, not the template's
    EXPECT_TRUE(isServeSetting("--restart-every"));
    EXPECT_FALSE(isServeSetting("--force"));
    EXPECT_FALSE(isServeSetting("--quiet-server"));
    EXPECT_FALSE(isServeSetting("--notify"));
}

TEST(ServeSettings, ServeNeedsATemplateFromOneSideOrTheOther) {
    testing::TemporaryFolder folder;
    std::ostringstream err;
    try {
        serveOptionsFor(folder.path(), ServeOptions{}, {}, err);
        FAIL() << "served without a template";
    } catch (const OperationError& error) {
        EXPECT_EQ(error.kind(), OperationError::Kind::Usage);
        EXPECT_NE(std::string(error.what()).find("Template= в qz7-serve.ini"), std::string::npos);
    }
    ServeOptions settings;
    settings.templateName = "Турнир";
    writeServeSettings(folder.path(), settings);
    EXPECT_EQ(serveOptionsFor(folder.path(), ServeOptions{}, {}, err).templateName, "Турнир");
    EXPECT_TRUE(err.str().empty());
}

TEST(FolderAlerts, AddressesAreWrittenPrivateAndABadOneIsRefusedRedacted) {
    testing::TemporaryFolder folder;
    EXPECT_TRUE(readFolderAlerts(folder.path()).empty());
    const std::vector<std::string> addresses = {"https://discord.com/api/webhooks/1/SeCrEt",
                                                "http://127.0.0.1:8080/qz7"};
    writeFolderAlerts(folder.path(), addresses);
    EXPECT_EQ(readFolderAlerts(folder.path()), addresses);
#ifndef _WIN32
    EXPECT_EQ(fs::status(folderAlertFile(folder.path())).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#endif
    try {
        writeFolderAlerts(folder.path(), {"https://example.org/a", "ftp://example.org/SeCrEt"});
        FAIL() << "a bad address was written";
    } catch (const OperationError& error) {
        EXPECT_EQ(std::string(error.what()).find("SeCrEt"), std::string::npos) << error.what();
    }
    EXPECT_EQ(readFolderAlerts(folder.path()), addresses);
    writeFolderAlerts(folder.path(), {});
    EXPECT_TRUE(readFolderAlerts(folder.path()).empty());
    EXPECT_TRUE(fs::exists(folderAlertFile(folder.path())));
}

// The alert files of the per-template entries of earlier versions are taken over once, and serve
// uses the folder's addresses unless its command line names its own.
TEST(FolderAlerts, EarlierEntriesFilesAreTakenOverOnceAndUsedByServe) {
    testing::TemporaryFolder folder;
    writeFileAtomically(folder.path() / "qz7-serve-turnir-0000aaaa.alerts",
                        "https://example.org/a\n# x\nhttps://example.org/b\n");
    writeFileAtomically(folder.path() / "qz7-serve-dueli-0000bbbb.alerts",
                        "https://example.org/b\nnot an address\n");
    const std::string said = adoptTemplateAlertFiles(folder.path());
    EXPECT_EQ(said,
              "Адреса оповещений из qz7-serve-dueli-0000bbbb.alerts, "
              "qz7-serve-turnir-0000aaaa.alerts перенесены в qz7-serve.alerts (2 шт.); прежние "
              "файлы оставлены для их служб");
    EXPECT_EQ(readFolderAlerts(folder.path()),
              (std::vector<std::string>{"https://example.org/b", "https://example.org/a"}));
    EXPECT_TRUE(fs::exists(folder.path() / "qz7-serve-turnir-0000aaaa.alerts"));
    writeFolderAlerts(folder.path(), {});
    EXPECT_EQ(adoptTemplateAlertFiles(folder.path()), "");
    EXPECT_TRUE(readFolderAlerts(folder.path()).empty());

    ServeOptions settings;
    settings.templateName = "Турнир";
    writeServeSettings(folder.path(), settings);
    std::ostringstream err;
    EXPECT_FALSE(serveOptionsFor(folder.path(), {}, {}, err).alerts.file);
    writeFolderAlerts(folder.path(), {"https://example.org/c"});
    EXPECT_EQ(serveOptionsFor(folder.path(), {}, {}, err).alerts.file,
              folderAlertFile(folder.path()).string());
    ServeOptions commandLine;
    commandLine.alerts.urls = {"https://example.org/own"};
    const ServeOptions own = serveOptionsFor(folder.path(), commandLine, {"--notify"}, err);
    EXPECT_FALSE(own.alerts.file);
    EXPECT_EQ(own.alerts.urls, commandLine.alerts.urls);
}

// The README's table of the settings file names every key the file has, and no other.
TEST(ServeSettings, TheReadmeTableNamesEveryKey) {
    const std::string readme =
        testing::readBytes(fs::path(QZ7_TEST_DATA_DIR) / "../../README.md").value_or("");
    const std::size_t table = readme.find("| key | option of `serve` | value (default) |");
    ASSERT_NE(table, std::string::npos);
    const std::string rows = readme.substr(table, readme.find("\n\n", table) - table);
    std::set<std::string> named;
    const std::regex keyInRow(R"(`([A-Za-z]+)`)");
    std::istringstream lines(rows);
    for (std::string line; std::getline(lines, line);) {
        const std::string firstCell = line.substr(0, line.find(" | ", 1));
        for (std::sregex_iterator key(firstCell.begin(), firstCell.end(), keyInRow), end;
             key != end; ++key)
            named.insert((*key)[1]);
    }
    std::set<std::string> keys;
    std::istringstream text(serveSettingsText(ServeOptions{}));
    for (std::string line; std::getline(text, line);)
        if (!line.empty() && line[0] != '#' && line.find('=') != std::string::npos)
            keys.insert(line.substr(0, line.find('=')));
    EXPECT_EQ(named, keys);
}

}  // namespace
}  // namespace qz7
