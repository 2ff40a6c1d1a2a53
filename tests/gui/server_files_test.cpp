#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QUdpSocket>
#include <QtTest>

#include "../core/server_test_support.h"
#include "app/launch_manager_window.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "platform/atomic_file.h"
#include "support/recording_message_boxes.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;
using qz7::testing::readBytes;
using qz7::testing::writeBytes;

namespace {

const char kBaseRecipe[] =
    "gameOpt commonOption.maxHealth \"100\"\r\n"
    "gameOpt commonOption.timeLimit \"10\"\r\n"
    "gameOpt gametype \"war\"\r\n";
const char kBaseConfiguration[] = "sv_hostname \"Host\"\r\ng_password\r\nsv_maxclients 18\r\n";

// A game folder with both base files, as the current directory, and a setup window made in it
// with a two-map rotation and the random chance off.
struct GameWithSetupWindow {
    GameWithSetupWindow() {
        writeBytes(file("admin/Manual_Mod_default.dsr"), kBaseRecipe);
        writeBytes(file("admin/server_mod_default.cfg"), kBaseConfiguration);
        window.RzListBoxMap->addItems({"mp_seatown", "mp_dome"});
        window.RzBitBtnCreateFiles->setEnabled(true);
        window.RzCheckBoxShans->setChecked(false);
        window.show();
    }
    std::filesystem::path file(const std::string& relative) const {
        return folder.path() / relative;
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    testing::TemporaryGameFolder folder;
    testing::RecordingMessageBoxes boxes;
    ProgramState program;
    TFmQZ7ServerSetup window{program};
};

}  // namespace

class ServerFilesTest : public QObject {
    Q_OBJECT

  private slots:
    void formingTheFilesEnablesTheServerButton() {
        GameWithSetupWindow game;
        QVERIFY(!game.window.RzBitBtnRunServer->isEnabled());
        game.click(game.window.RzBitBtnCreateFiles);
        QCOMPARE(game.boxes.shown, QStringList());
        QVERIFY(game.window.RzBitBtnRunServer->isEnabled());
        QVERIFY(game.window.RzBitBtnCreateFiles->isEnabled());
        QCOMPARE(readBytes(game.file("admin/Manual_MapRot.dspl")).value_or(""),
                 std::string("mp_seatown,Manual_Mod,100\r\nmp_dome,Manual_Mod,100\r\n"));
        QCOMPARE(readBytes(game.file("admin/server_mod.cfg")).value_or(""),
                 std::string("sv_hostname \"Host\"\r\ng_password \"\"\r\nsv_maxclients 12\r\n"));
        const std::string recipe = readBytes(game.file("admin/Manual_Mod.dsr")).value_or("");
        QVERIFY(
            recipe.starts_with("gameOpt commonOption.maxHealth \"50\"\r\n"
                               "gameOpt commonOption.timeLimit \"15\"\r\n"
                               "gameOpt gametype \"dm\"\r\n"));
    }

    void typedValuesReachTheFiles() {
        GameWithSetupWindow game;
        game.window.RzEditPasswordGames->setText(QStringLiteral("секрет"));
        game.window.RzEditMaxPlayer->setText(QStringLiteral("18"));
        game.click(game.window.RzBitBtnCreateFiles);
        QCOMPARE(readBytes(game.file("admin/server_mod.cfg")).value_or(""),
                 std::string("sv_hostname \"Host\"\r\ng_password \"\xF1\xE5\xEA\xF0\xE5\xF2\"\r\n"
                             "sv_maxclients 18\r\n"));
    }

    void missingBaseRecipeWritesNothing() {
        GameWithSetupWindow game;
        std::filesystem::remove(game.file("admin/Manual_Mod_default.dsr"));
        game.click(game.window.RzBitBtnCreateFiles);
        QCOMPARE(game.boxes.shown,
                 QStringList{"error: Не могу найти базовый файл: \\admin\\Manual_Mod_default.dsr"});
        QVERIFY(!game.window.RzBitBtnRunServer->isEnabled());
        QVERIFY(!std::filesystem::exists(game.file("admin/Manual_Mod.dsr")));
        QVERIFY(!std::filesystem::exists(game.file("admin/Manual_MapRot.dspl")));
    }

    void missingBaseConfigurationKeepsTheButtonAsItWas() {
        GameWithSetupWindow game;
        std::filesystem::remove(game.file("admin/server_mod_default.cfg"));
        writeBytes(game.file("admin/server_mod.cfg"), "old");
        game.click(game.window.RzBitBtnCreateFiles);
        QCOMPARE(game.boxes.shown,
                 QStringList{"error: Не могу найти базовый файл: \\admin\\server_mod_default.cfg"});
        QVERIFY(!game.window.RzBitBtnRunServer->isEnabled());
        QVERIFY(std::filesystem::exists(game.file("admin/Manual_Mod.dsr")));
        QVERIFY(std::filesystem::exists(game.file("admin/Manual_MapRot.dspl")));
        QCOMPARE(readBytes(game.file("admin/server_mod.cfg")).value_or(""), std::string("old"));
    }

    void quoteInThePasswordIsRefused() {
        GameWithSetupWindow game;
        QTest::keyClicks(game.window.RzEditPasswordGames, QStringLiteral("a\"b"));
        game.click(game.window.RzBitBtnCreateFiles);
        QCOMPARE(game.boxes.shown.size(), 1);
        QVERIFY(game.boxes.shown.front().startsWith(QStringLiteral("error: ")));
        QVERIFY(game.boxes.shown.front().contains(QStringLiteral("«пароль подключения»")));
        QVERIFY(!game.window.RzBitBtnRunServer->isEnabled());
        QVERIFY(!std::filesystem::exists(game.file("admin/Manual_Mod.dsr")));
    }

    void outputThatCannotBeWrittenGoesToTheDefaultErrorHandling() {
        GameWithSetupWindow game;
        std::filesystem::create_directory(game.file("admin/Manual_MapRot.dspl"));
        game.click(game.window.RzBitBtnCreateFiles);
        QCOMPARE(game.boxes.shown.size(), 1);
        QVERIFY(game.boxes.shown.front().startsWith(
            QStringLiteral("application: Не удалось заменить файл ")));
        QVERIFY(!game.window.RzBitBtnRunServer->isEnabled());
        QVERIFY(std::filesystem::exists(game.file("admin/Manual_Mod.dsr")));
        QVERIFY(!std::filesystem::exists(game.file("admin/server_mod.cfg")));
    }

    void aFullDiskIsReportedWithTheFileInFull() {
        GameWithSetupWindow game;
        setAtomicWriteFailureForTesting(20);
        game.click(game.window.RzBitBtnCreateFiles);
        setAtomicWriteFailureForTesting(std::nullopt);
        const QString recipe = QString::fromStdString(game.file("admin/Manual_Mod.dsr").string());
        QCOMPARE(game.boxes.shown,
                 QStringList{QStringLiteral("application: Не удалось записать файл ") + recipe +
                             QStringLiteral(": на диске нет места.")});
        QVERIFY(!std::filesystem::exists(game.file("admin/Manual_Mod.dsr")));
    }

    void serverButtonStartsTheLauncherEveryTime() {
        GameWithSetupWindow game;
        testing::writeRecordingLauncher(game.file("TeknoQZ7_Server_Launcher.exe"),
                                        game.file("launched"));
        game.window.RzBitBtnRunServer->setEnabled(true);
        game.window.RzEditCommand->setText(QStringLiteral("+set a \"b c\""));
        game.click(game.window.RzBitBtnRunServer);
        game.click(game.window.RzBitBtnRunServer);
        const std::string expected =
            std::filesystem::canonical(game.folder.path()).string() + "\n+set\na\nb c\n";
        QCOMPARE(testing::waitForRecords(game.file("launched"), 2),
                 (std::vector<std::string>{expected, expected}));
        QCOMPARE(game.boxes.shown, QStringList());
        QVERIFY(game.window.RzBitBtnRunServer->isEnabled());
    }

    void busyServerPortsAskBeforeTheStart() {
        GameWithSetupWindow game;
        testing::writeRecordingLauncher(game.file("TeknoQZ7_Server_Launcher.exe"),
                                        game.file("launched"));
        game.window.RzBitBtnRunServer->setEnabled(true);
        QUdpSocket held;
        QVERIFY(held.bind(QHostAddress::LocalHost, 27001));
        game.boxes.answers = {false, true};
        game.click(game.window.RzBitBtnRunServer);
        QTest::qWait(300);
        QVERIFY(!std::filesystem::exists(game.file("launched")));
        game.click(game.window.RzBitBtnRunServer);
        QCOMPARE(testing::waitForRecords(game.file("launched"), 1).size(), std::size_t(1));
        const QString question =
            QStringLiteral(
                "question: Порты сервера уже заняты другой программой: UDP 27001 "
                "(IPv4; server_files_te (pid %1)). Всё равно запустить?")
                .arg(QCoreApplication::applicationPid());
        QCOMPARE(game.boxes.shown, (QStringList{question, question}));
    }

    void missingOrBrokenServerLauncherIsReported() {
        GameWithSetupWindow game;
        game.window.RzBitBtnRunServer->setEnabled(true);
        game.click(game.window.RzBitBtnRunServer);
        writeBytes(game.file("TeknoQZ7_Server_Launcher.exe"), "not a program");
        game.click(game.window.RzBitBtnRunServer);
        QCOMPARE(game.boxes.shown,
                 (QStringList{"error: Не могу найти файл: TeknoQZ7_Server_Launcher.exe",
                              "error: Не удалось запустить TeknoQZ7_Server_Launcher.exe: нет "
                              "права на запуск этого файла"}));
    }

    void launchManagerStartsTheClientWithTheSetupWindowsCommand() {
        testing::TemporaryGameFolder folder;
        testing::RecordingMessageBoxes boxes;
        const std::filesystem::path game = folder.path();
        writeBytes(game / "Client/Player/teknogods.ini", "[Player]\r\n");
        testing::writeRecordingLauncher(game / "TeknoQZ7_Client_Launcher.exe", game / "launched",
                                        "cp teknogods.ini seen.ini\n");
        ProgramState program;
        TFormMenedger manager(program, {"qz7manager", "Player"});
        TFmQZ7ServerSetup setup(program);
        manager.setServerSetupWindow(&setup);
        manager.show();
        QTest::mouseClick(manager.RzBtnClientRun, Qt::LeftButton);
        const std::vector<std::string> records = testing::waitForRecords(game / "launched", 1);
        QCOMPARE(records.size(), std::size_t(1));
        QVERIFY(
            records[0].ends_with("\n+set\ndedicated\n1\n+set\nsv_config\nserver_mod.cfg\n"
                                 "+set\nsv_hostname\n^4~^1Host\n^3Rovazid^4~+set\n"
                                 "sv_maprotation\nManual_MapRot\n+start_map_rotate\n"));
        QCOMPARE(readBytes(game / "seen.ini").value_or(""), std::string("[Player]\r\n"));
        QCOMPARE(QString::fromStdString(program.ClientProfileName), QStringLiteral("Player"));
        QCOMPARE(boxes.shown, QStringList());
        QVERIFY(!setup.isVisible());
    }

    void missingClientLauncherIsReportedAfterTheCopy() {
        GameWithSetupWindow game;
        game.program.ClientProfileName = "Player";
        writeBytes(game.file("Client/Player/teknogods.ini"), "player");
        game.click(game.window.RzBitBtnRunClient);
        QCOMPARE(game.boxes.shown,
                 QStringList{"error: Не могу найти файл: TeknoQZ7_Client_Launcher.exe"});
        QCOMPARE(readBytes(game.file("teknogods.ini")).value_or(""), std::string("player"));
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    ServerFilesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "server_files_test.moc"
