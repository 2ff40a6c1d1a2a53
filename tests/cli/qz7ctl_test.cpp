#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "platform/windows1251.h"
#include "qz7ctl_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/hand_built_record.h"
#include "tests/support/temporary_folder.h"

namespace qz7::testing {
namespace {

const std::string kDefaultLine = "все против всех;50;0;5000;15;1;1;1;0;;1;0;1;0;0;1;0;1;5;12;";
const std::string kCommand = "+set dedicated 1 +set sv_config server_mod.cfg";

std::string record(const std::string& name, const std::string& settings,
                   const std::string& mapField1, const std::string& command = kCommand) {
    return handBuiltRecord(name, settings, mapField1, command);
}

class Qz7ctl : public ::testing::Test {
  protected:
    std::filesystem::path store() const { return folder / "ServerSetup_QZ7.cfg"; }
    ProcessResult run(const std::vector<std::string>& arguments) {
        return runQz7ctl(arguments, folder);
    }

    // Three templates: two carry the same name, the last a mode label the game does not know.
    void writeThreeTemplates() {
        writeBytes(store(), record("Альфа", kDefaultLine, "mp_dome;mp_alpha;") +
                                record("Дубль", kDefaultLine, "mp_seatown;") +
                                record("Дубль",
                                       "неизвестный режим;100;1;15000 ;10;0;0;0;1;секрет;0;1;0;1;"
                                       "1;0;3;2;10;18;",
                                       "mp_nowhere;mp_dome;"));
    }

    TemporaryGameFolder game;
    const std::filesystem::path folder = game.path();
};

TEST_F(Qz7ctl, ListsTemplatesInStoreOrder) {
    writeThreeTemplates();
    ProcessResult result = run({"list"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "#1\tАльфа\tвсе против всех\tкарт: 2\n"
              "#2\tДубль\tвсе против всех\tкарт: 1\n"
              "#3\tДубль\tнеизвестный режим\tкарт: 2\n");

    ProcessResult json = run({"list", "--json"});
    ASSERT_EQ(json.exitCode, 0);
    nlohmann::json rows = nlohmann::json::parse(json.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2]["position"], 3);
    EXPECT_EQ(rows[2]["mode"], "неизвестный режим");
    EXPECT_EQ(rows[0]["maps"], 2);
}

TEST_F(Qz7ctl, ShowsSettingsAsTheWindowShowsThem) {
    writeThreeTemplates();
    ProcessResult result = run({"show", "#3"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("Шаблон #3: Дубль\n- режим игры: неизвестный режим\n"),
              std::string::npos);
    EXPECT_NE(result.out.find("- лимит очков: 15000 \n"), std::string::npos);
    EXPECT_NE(result.out.find("- хардкор включен: вкл\n"), std::string::npos);
    EXPECT_NE(result.out.find("- пароль подключения: секрет\n"), std::string::npos);
    EXPECT_NE(result.out.find("- жизни: 3\n"), std::string::npos);
    EXPECT_NE(result.out.find("- наблюдатель: для всех\n"), std::string::npos);
    EXPECT_NE(result.out.find("- восстановление здоровья: быстро\n"), std::string::npos);
    EXPECT_NE(result.out.find("  1. mp_nowhere - (нет в списке карт)\n  2. mp_dome - Dome\n"),
              std::string::npos);
    EXPECT_NE(result.out.find("Строка запуска сервера: " + kCommand + "\n"), std::string::npos);

    ProcessResult byName = run({"show", "Альфа", "--json"});
    ASSERT_EQ(byName.exitCode, 0) << byName.err;
    nlohmann::json shown = nlohmann::json::parse(byName.out);
    EXPECT_EQ(shown["settings"][16]["value"], "неогран.");
    EXPECT_EQ(shown["settings"][16]["stored"], "0");
    EXPECT_EQ(shown["rotation"][1]["name"], "Lockdown");
}

TEST_F(Qz7ctl, AmbiguousOrUnknownTemplatesAreErrors) {
    writeThreeTemplates();
    ProcessResult ambiguous = run({"show", "Дубль"});
    EXPECT_EQ(ambiguous.exitCode, 1);
    EXPECT_NE(ambiguous.err.find("#2, #3"), std::string::npos);
    EXPECT_TRUE(ambiguous.out.empty());
    EXPECT_EQ(run({"show", "Нет такого"}).exitCode, 1);
    EXPECT_EQ(run({"show", "#4"}).exitCode, 1);
    EXPECT_EQ(run({"show", "#0"}).exitCode, 1);
}

TEST_F(Qz7ctl, ExportThenImportGivesTheSameRecord) {
    writeThreeTemplates();
    const std::string before = readBytes(store()).value_or("");
    ASSERT_EQ(run({"export", "#1", "-o", "first.txt"}).exitCode, 0);
    std::string text = readBytes(folder / "first.txt").value_or("");
    writeBytes(folder / "first.txt", "\xEF\xBB\xBF" + text);  // as Notepad saves it
    ProcessResult imported = run({"import", "first.txt"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const std::string after = readBytes(store()).value_or("");
    ASSERT_EQ(after.size(), 4u * 1737);
    EXPECT_EQ(after.substr(0, 3 * 1737), before);
    EXPECT_EQ(after.substr(3 * 1737), before.substr(0, 1737));

    writeBytes(folder / "first.txt", text + "Map=mp_nowhere\n");
    imported = run({"import", "first.txt", "--name", "Новое имя"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.err.find("предупреждение: карта «mp_nowhere» не из списка карт"),
              std::string::npos);  // warned, not refused
    EXPECT_EQ(run({"list"}).out.substr(run({"list"}).out.rfind("#5")),
              "#5\tНовое имя\tвсе против всех\tкарт: 3\n");
}

// A template the window would not have stored does not come in through import either.
TEST_F(Qz7ctl, ImportRefusesWhatTheWindowRefuses) {
    writeThreeTemplates();
    const std::string before = readBytes(store()).value_or("");
    ASSERT_EQ(run({"export", "#3", "-o", "third.txt"}).exitCode, 0);
    ProcessResult unknownMode = run({"import", "third.txt"});
    EXPECT_EQ(unknownMode.exitCode, 1);
    EXPECT_NE(unknownMode.err.find(
                  "ошибка: поле «GameMode»: режим «неизвестный режим» не из шестнадцати режимов"),
              std::string::npos)
        << unknownMode.err;
    ASSERT_EQ(run({"export", "#1", "-o", "first.txt"}).exitCode, 0);
    ProcessResult blankName = run({"import", "first.txt", "--name", "  "});
    EXPECT_EQ(blankName.exitCode, 1);
    EXPECT_NE(blankName.err.find("имя из --name: пустое или из одних пробелов"), std::string::npos)
        << blankName.err;
    EXPECT_EQ(readBytes(store()), before);
}

// Input is bounded: a file over 1 MiB is no template, and of many problems the first 50 are
// listed and the rest counted.
TEST_F(Qz7ctl, ImportIsBounded) {
    writeBytes(folder / "huge.txt", std::string(1024 * 1024 + 1, 'x'));
    ProcessResult huge = run({"import", "huge.txt"});
    EXPECT_EQ(huge.exitCode, 1);
    EXPECT_NE(huge.err.find("больше 1 МиБ"), std::string::npos) << huge.err;

    std::string lines;
    for (int i = 0; i < 60; ++i) lines += "no equals sign\n";
    writeBytes(folder / "bad.txt", lines);
    ProcessResult bad = run({"import", "bad.txt"});
    EXPECT_EQ(bad.exitCode, 1);
    // 60 lines without "=" and 22 missing fields: 50 listed, 32 counted.
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 50 + 1 + 1);
    EXPECT_NE(bad.err.find("bad.txt:50: ошибка"), std::string::npos);
    EXPECT_EQ(bad.err.find("bad.txt:51: ошибка"), std::string::npos);
    EXPECT_NE(bad.err.find("bad.txt: и ещё 32 ошибки\n"), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(store()));
}

TEST_F(Qz7ctl, BrokenImportsReportEveryProblemAndWriteNothing) {
    writeThreeTemplates();
    const std::string before = readBytes(store()).value_or("");
    ProcessResult exported = run({"export", "Альфа"});
    ASSERT_EQ(exported.exitCode, 0);
    std::string text = exported.out;

    auto lineOf = [&](const std::string& key) {
        const std::size_t at = text.find("\n" + key + "=");
        return 2 + std::count(text.begin(), text.begin() + at, '\n');
    };
    auto replaceLine = [&](const std::string& key, const std::string& line) {
        const std::size_t start = text.find("\n" + key + "=") + 1;
        text.replace(start, text.find('\n', start) - start, line);
    };
    const int passwordLine = int(lineOf("Password"));
    const int commandLine = int(lineOf("CommandLine"));
    const int healthLine = int(lineOf("MaxHealth"));
    replaceLine("Password", "Password=a;b");
    replaceLine("CommandLine", "CommandLine=" + std::string(256, 'x'));
    replaceLine("MaxHealth", "Colour=red");  // an unknown key, and MaxHealth now missing
    text += "Map=mp_\xFF\n";
    const int badBytesLine = int(std::count(text.begin(), text.end(), '\n'));
    writeBytes(folder / "broken.txt", text);

    ProcessResult result = run({"import", "broken.txt"});
    EXPECT_EQ(result.exitCode, 1);
    for (int line : {passwordLine, commandLine, healthLine, badBytesLine})
        EXPECT_NE(result.err.find("broken.txt:" + std::to_string(line) + ": ошибка"),
                  std::string::npos)
            << "line " << line << " in:\n"
            << result.err;
    EXPECT_NE(result.err.find("«MaxHealth»"), std::string::npos);
    EXPECT_EQ(readBytes(store()), before);
}

// A stand-in launcher that records its working folder and its arguments, one per line.
void writeStandInLauncher(const std::filesystem::path& file, const std::filesystem::path& record) {
    std::ofstream(file) << "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > \""
                        << record.string() << ".part\"\nmv \"" << record.string() << ".part\" \""
                        << record.string() << "\"\n";
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

std::string waitForRecord(const std::filesystem::path& record) {
    for (int i = 0; i < 400 && !std::filesystem::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    return readBytes(record).value_or("");
}

TEST_F(Qz7ctl, StartsTheServerWithTheTemplatesCommandLine) {
    writeThreeTemplates();
    writeStandInLauncher(folder / "TeknoQZ7_Server_Launcher.exe", folder / "server.txt");
    ProcessResult result = run({"start-server", "#1"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(waitForRecord(folder / "server.txt"),
              folder.string() +
                  "\n[+set]\n[dedicated]\n[1]\n[+set]\n[sv_config]\n"
                  "[server_mod.cfg]\n");

    std::filesystem::remove(folder / "server.txt");
    ASSERT_EQ(run({"start-server", "--command", "+set  \"a b\" c"}).exitCode, 0);
    EXPECT_EQ(waitForRecord(folder / "server.txt"), folder.string() + "\n[+set]\n[a b]\n[c]\n");
}

// The demo folder's base files and stand-in server launcher, which QZ7_STAND_IN steers.
void copyDemoServer(const std::filesystem::path& folder) {
    const std::filesystem::path demo = QZ7_DEMO_DIR;
    for (const char* file : {"TeknoQZ7_Server_Launcher.exe", "admin/Manual_Mod_default.dsr",
                             "admin/server_mod_default.cfg"})
        std::filesystem::copy_file(demo / file, folder / file,
                                   std::filesystem::copy_options::overwrite_existing);
}

TEST_F(Qz7ctl, ServeRestartsTheServerUntilItEndsAndStopsACrashLoop) {
    writeThreeTemplates();
    copyDemoServer(folder);
    const std::vector<std::string> serve = {"serve",         "#1", "--restart-delay", "0.05",
                                            "--crash-limit", "2"};
    struct Case {
        const char* plan;
        int exitCode;
        std::vector<std::string> lines;  // expected in this order on stderr
    };
    const Case cases[] = {
        {"crash clean",
         0,
         {" Файлы сервера сформированы", " сервер запущен (pid ",
          " сервер упал: код выхода 3 (pid ", "падений за последние 600 с: 1)",
          " перезапуск через 0.05 с\n", " сервер запущен (pid ",
          " сервер завершился сам (код выхода 0"}},
        {"crash",
         1,
         {" сервер упал: код выхода 3", " перезапуск через 0.05 с", " сервер упал: код выхода 3",
          "падений за последние 600 с: 2)",
          " сервер упал 2 раза за 600 с: перезапуски прекращены"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plan);
        std::filesystem::remove(folder / "stand-in-starts");
        ::setenv("QZ7_STAND_IN", c.plan, 1);
        ProcessResult result = run(serve);
        ::unsetenv("QZ7_STAND_IN");
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        std::size_t at = 0;
        for (const std::string& line : c.lines) {
            at = result.err.find(line, at);
            ASSERT_NE(at, std::string::npos) << line << " in:\n" << result.err;
        }
        EXPECT_TRUE(std::filesystem::exists(folder / "admin" / "Manual_MapRot.dspl"));
    }
}

// Without a template and options, serve takes them from the folder's settings file; options on
// its command line win for the run; a bad file is refused with its line, key and reason.
TEST_F(Qz7ctl, ServeWithoutArgumentsServesTheFolderSettings) {
    writeThreeTemplates();
    copyDemoServer(folder);
    ProcessResult none = run({"serve"});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.err.find("Шаблон не задан"), std::string::npos) << none.err;

    writeBytes(folder / "qz7-serve.ini",
               "# мой сервер\nTemplate=Дубль\nCrashLimit=1\nRestartDelay=0.05\n");
    ::setenv("QZ7_STAND_IN", "crash", 1);
    ProcessResult fromFile = run({"serve", "--allow-sleep"});
    EXPECT_EQ(fromFile.exitCode, 1) << fromFile.err;
    // The template's name is no longer unique: the file's name is what serve looked for.
    EXPECT_NE(fromFile.err.find("Дубль"), std::string::npos) << fromFile.err;

    ProcessResult given = run({"serve", "#1", "--crash-limit", "2", "--allow-sleep"});
    ::unsetenv("QZ7_STAND_IN");
    EXPECT_EQ(given.exitCode, 1) << given.err;
    EXPECT_NE(given.err.find("сервер упал 2 раза за 600 с"), std::string::npos) << given.err;
    EXPECT_NE(given.err.find("перезапуск через 0.05 с"), std::string::npos) << given.err;
    EXPECT_NE(readBytes(folder / "qz7-serve.json")->find("\"template\": \"Альфа\""),
              std::string::npos);

    writeBytes(folder / "qz7-serve.ini", "Template=Альфа\nRestartAt=25:00\n");
    ProcessResult bad = run({"serve", "#1"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("qz7-serve.ini, строка 2, RestartAt: время «25:00»"), std::string::npos)
        << bad.err;
}

TEST_F(Qz7ctl, ServeWritesOneJsonObjectPerEvent) {
    writeThreeTemplates();
    copyDemoServer(folder);
    ::setenv("QZ7_STAND_IN", "killed clean", 1);
    // Whether the machine may sleep is an event of its own, which depends on the machine.
    ProcessResult result =
        run({"serve", "#1", "--json", "--restart-delay", "0.01", "--allow-sleep"});
    ::unsetenv("QZ7_STAND_IN");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::vector<nlohmann::json> events;
    std::istringstream lines(result.err);
    for (std::string line; std::getline(lines, line);)
        events.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(events.size(), 6u) << result.err;
    EXPECT_EQ(events[2]["event"], "crashed");
    EXPECT_EQ(events[2]["signal"], 9);
    EXPECT_EQ(events[2]["pid"], events[1]["pid"]);
    EXPECT_EQ(events[3]["delaySeconds"], 0.01);
    EXPECT_EQ(events[5]["event"], "exited");
    EXPECT_EQ(events[5]["message"].get<std::string>().rfind("сервер завершился сам", 0), 0u);
    EXPECT_EQ(events[0]["time"].get<std::string>().size(),
              std::string("2026-12-08T01:30:00.125Z").size());
}

// A serve whose output goes to a file for weeks (the window's) keeps the server's output out of
// it: with --quiet-server the server reads from and writes to /dev/null, serve's own lines stay.
TEST_F(Qz7ctl, QuietServerKeepsWhatTheServerPrintsOutOfServesOutput) {
    writeThreeTemplates();
    copyDemoServer(folder);
    const std::filesystem::path handles = folder / "handles.txt";
    std::ofstream(folder / "TeknoQZ7_Server_Launcher.exe")
        << "#!/bin/sh\nseen=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
        << "printf '%s\\n' \"$seen\" > \"" << handles.string()
        << "\"\necho 'сервер: на вывод'\necho 'сервер: на ошибки' >&2\n";
    std::filesystem::permissions(folder / "TeknoQZ7_Server_Launcher.exe",
                                 std::filesystem::perms::owner_all);
    for (const bool quiet : {false, true}) {
        SCOPED_TRACE(quiet ? "--quiet-server" : "the server's output kept");
        std::filesystem::remove(handles);
        std::vector<std::string> arguments = {"serve", "#1", "--allow-sleep"};
        if (quiet) arguments.push_back("--quiet-server");
        const ProcessResult result = run(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_NE(result.err.find("сервер завершился сам"), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find("сервер: на вывод") == std::string::npos, quiet) << result.out;
        EXPECT_EQ(result.err.find("сервер: на ошибки") == std::string::npos, quiet) << result.err;
        const std::string seen = readBytes(handles).value_or("none recorded");
        if (quiet) {
            EXPECT_EQ(seen, "/dev/null\n/dev/null\n/dev/null\n");
        } else {
            EXPECT_EQ(seen.find("/dev/null\n/dev/null\n/dev/null"), std::string::npos) << seen;
        }
    }
}

TEST_F(Qz7ctl, BusyServerPortsRefuseTheStartUnlessForced) {
    writeThreeTemplates();
    copyDemoServer(folder);
    writeStandInLauncher(folder / "TeknoQZ7_Server_Launcher.exe", folder / "server.txt");
    const int held = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(27030);
    ASSERT_EQ(::bind(held, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string named = "Порты сервера уже заняты другой программой: UDP 27030 (IPv4; " +
                              std::string("qz7ctl_test (pid ") + std::to_string(::getpid()) + "))";

    for (const std::string command : {"start-server", "serve"}) {
        SCOPED_TRACE(command);
        ProcessResult refused = run({command, "#1"});
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_NE(refused.err.find(named), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("--force"), std::string::npos);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_FALSE(std::filesystem::exists(folder / "server.txt"));
    }
    ProcessResult forced = run({"start-server", "#1", "--force"});
    ::close(held);
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_NE(waitForRecord(folder / "server.txt").find("[dedicated]"), std::string::npos);
}

TEST_F(Qz7ctl, TheUpnpLibrarysOwnLinesStayOffTheTerminal) {
    // A TCP port on loopback bound but not listening: the router's address refuses connections,
    // which the library reports with its own "connect: Connection refused".
    const int bound = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t size = sizeof address;
    ASSERT_EQ(::getsockname(bound, reinterpret_cast<sockaddr*>(&address), &size), 0);
    const std::string igd =
        "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/rootDesc.xml";
    for (const std::string action : {"close", "status"}) {
        ProcessResult result = run({"ports", action, "--igd", igd});
        EXPECT_EQ(result.exitCode, 1);
        // One line, the program's own, naming the router's address.
        EXPECT_EQ(result.err.rfind("Ошибка при выполнении операции: роутер не отвечает по UPnP", 0),
                  0u)
            << result.err;
        EXPECT_TRUE(result.err.ends_with(" (" + igd + ")\n")) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    ::close(bound);
}

TEST_F(Qz7ctl, StartsTheClientAfterCopyingTheProfile) {
    writeStandInLauncher(folder / "TeknoQZ7_Client_Launcher.exe", folder / "client.txt");
    std::filesystem::create_directories(folder / "Client" / "Игрок");
    writeBytes(folder / "Client" / "Игрок" / "teknogods.ini", "[Profile]\r\nName=Igrok\r\n");
    ProcessResult result = run({"start-client", "--profile", "Игрок"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Запущен TeknoQZ7_Client_Launcher.exe (профиль Игрок)\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readBytes(folder / "teknogods.ini"), "[Profile]\r\nName=Igrok\r\n");
    // No store: the default command line, as the window shows it when it opens.
    EXPECT_NE(waitForRecord(folder / "client.txt").find("[+start_map_rotate]"), std::string::npos);
}

// The client starts without its profile, as the window starts it, and qz7ctl says why.
TEST_F(Qz7ctl, AProfileNotFoundOrNotCopiedIsToldAndTheClientStartsAllTheSame) {
    writeStandInLauncher(folder / "TeknoQZ7_Client_Launcher.exe", folder / "client.txt");
    ProcessResult missing = run({"start-client", "--profile", "NoSuchProfile"});
    EXPECT_EQ(missing.exitCode, 0) << missing.err;
    EXPECT_EQ(missing.out, "Запущен TeknoQZ7_Client_Launcher.exe\n");
    EXPECT_EQ(missing.err, "Профиль NoSuchProfile не найден: нет файла " +
                               (folder / "Client" / "NoSuchProfile" / "teknogods.ini").string() +
                               "; teknogods.ini в папке игры не изменён\n");

    writeBytes(folder / "Client" / "Player" / "teknogods.ini", "[Profile]\r\n");
    std::filesystem::create_directory(folder / "teknogods.ini");  // nothing can replace it
    ProcessResult failed = run({"start-client", "--profile", "Player"});
    // The client starts, but the command failed: its profile was not copied.
    EXPECT_EQ(failed.exitCode, 1) << failed.err;
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err.rfind("Файл " + (folder / "Client" / "Player" / "teknogods.ini").string() +
                                   " не скопирован в папку игры: ",
                               0),
              0u)
        << failed.err;
    EXPECT_FALSE(waitForRecord(folder / "client.txt").empty());
}

TEST_F(Qz7ctl, MissingLaunchersAndEmptyRotationsAreErrors) {
    writeThreeTemplates();
    ProcessResult server = run({"start-server"});
    EXPECT_EQ(server.exitCode, 1);
    const std::string inFolder = " (папка игры: " + folder.string() + ")";
    EXPECT_NE(server.err.find("Не могу найти файл: TeknoQZ7_Server_Launcher.exe" + inFolder),
              std::string::npos)
        << server.err;
    ProcessResult client = run({"start-client", "--profile", "x"});
    EXPECT_EQ(client.exitCode, 1);
    EXPECT_NE(client.err.find("Не могу найти файл: TeknoQZ7_Client_Launcher.exe" + inFolder),
              std::string::npos)
        << client.err;

    writeBytes(store(), record("Пусто", kDefaultLine, ""));
    ProcessResult generate = run({"generate", "Пусто"});
    EXPECT_EQ(generate.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "admin" / "Manual_Mod.dsr"));
}

TEST_F(Qz7ctl, GenerateReportsAMissingBaseRecipe) {
    writeThreeTemplates();
    ProcessResult result = run({"generate", "#1", "--fixed-weights"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("Не могу найти базовый файл: admin/Manual_Mod_default.dsr (папка "
                              "игры: " +
                              folder.string() + ")"),
              std::string::npos)
        << result.err;

    // With the base files it names the files as this system writes paths, and the folder.
    copyDemoServer(folder);
    ProcessResult written = run({"generate", "#1"});
    EXPECT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(written.out,
              "Файлы сервера сформированы: admin/Manual_Mod.dsr, "
              "admin/Manual_MapRot.dspl, admin/server_mod.cfg (папка игры: " +
                  folder.string() + ")\n");
}

TEST_F(Qz7ctl, UsageErrorsExitWithTwoAndAreWordedInRussian) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--game-dir", "."}, "не указана команда (list, show, "},
        {{"show"}, "не указан обязательный аргумент ШАБЛОН"},
        {{"list", "--bogus"}, "лишние или неизвестные аргументы: --bogus"},
        {{"frobnicate"}, "неизвестная команда frobnicate (команды: list, show, "},
        {{"ports", "sideways"}, "недопустимое значение ДЕЙСТВИЕ"},
        {{"ports", "open", "--timeout", "0"}, "недопустимое значение --timeout"},
    };
    for (const auto& [arguments, message] : cases) {
        ProcessResult result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << message;
        EXPECT_EQ(result.err.rfind("Ошибка в командной строке: " + message, 0), 0u) << result.err;
        EXPECT_TRUE(result.err.ends_with("\nПодробнее: qz7ctl --help\n")) << result.err;
    }
    ProcessResult help = run({"import", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--name"), std::string::npos);
    EXPECT_NE(help.out.find("показать эту справку и выйти"), std::string::npos);
}

TEST_F(Qz7ctl, ListWithoutTemplatesSaysSo) {
    ProcessResult none = run({"list"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "Шаблонов нет: файл " + store().string() + " не найден\n");
    ProcessResult show = run({"show", "#1"});
    EXPECT_EQ(show.exitCode, 1);
    EXPECT_NE(show.err.find("Нет шаблона на позиции 1 (шаблонов: 0): файл " + store().string() +
                            " не найден"),
              std::string::npos)
        << show.err;
    writeBytes(store(), "");
    ProcessResult empty = run({"list", "--json"});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "[]\n");
    EXPECT_EQ(empty.err, "Шаблонов нет: в файле " + store().string() + " нет ни одного шаблона\n");
}

TEST_F(Qz7ctl, WorksInTheGivenGameFolder) {
    writeThreeTemplates();
    ProcessResult result = runQz7ctl({"--game-dir", folder.string(), "list"}, "/");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("#3"), std::string::npos);
    EXPECT_EQ(run({"--game-dir", (folder / "missing").string(), "list"}).exitCode, 1);
}

}  // namespace
}  // namespace qz7::testing
