// "Сервер под присмотром" with the real qz7ctl: a serve started from the window runs, restarts
// and stops, outlives the window's program and is found again; the settings it serves on are the
// window's; what would end a serve at once is said in serve's words; the test message and the
// service switch. The server is the demo's stand-in on Linux and the recording stand-in
// stop_recorder.exe on Windows (under wine).
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <chrono>
#include <thread>

#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "app/supervised_server_window.h"
#include "platform/detached_program.h"
#include "platform/game_paths.h"
#include "server/folder_alerts.h"
#include "server/serve_settings.h"
#include "server/serve_start.h"
#include "server/service_entry.h"
#include "support/recording_message_boxes.h"
#include "tests/fakes/fake_service_hosts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/pass_through_platform.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;
namespace fs = std::filesystem;

namespace {

// Waits that a serve and its server take, bounded.
constexpr int kServeWait = 60000;

// Made absolute before any test changes the current folder (under wine a Unix path is one of
// the current drive).
const fs::path kQz7ctl = fs::absolute(QZ7CTL_PATH);
const fs::path kDemo = fs::absolute(QZ7_DEMO_DIR);
#ifdef _WIN32
const fs::path kStopRecorder = fs::absolute(QZ7_STOP_RECORDER);
#endif

// The program's file beside the qz7ctl under test, so that the window finds that one.
class ProgramBesideQz7ctl : public testing::PassThroughPlatform {
  public:
    fs::path folder = kQz7ctl.parent_path();
    fs::path programFile() override { return folder / "qz7manager"; }
};

// The demo's templates and base files, and a stand-in server launcher that runs until asked to
// stop: on Windows the recorder in its window mode (the settings give it "window"), elsewhere the
// demo's script (QZ7_STAND_IN=run).
void prepareGame(const fs::path& game) {
    const fs::path& demo = kDemo;
    for (const char* file :
         {"ServerSetup_QZ7.cfg", "admin/Manual_Mod_default.dsr", "admin/server_mod_default.cfg"})
        fs::copy_file(demo / file, game / file, fs::copy_options::overwrite_existing);
#ifdef _WIN32
    fs::copy_file(kStopRecorder, game / "TeknoQZ7_Server_Launcher.exe");
    testing::writeBytes(game / kServeSettingsFile, "# для теста\nStopGrace=3\nCommand=window\n");
#else
    fs::copy_file(demo / "TeknoQZ7_Server_Launcher.exe", game / "TeknoQZ7_Server_Launcher.exe");
    testing::writeBytes(game / kServeSettingsFile, "# для теста\nStopGrace=3\n");
    qputenv("QZ7_STAND_IN", "run");
#endif
}

// `qz7ctl status` of the folder, as a program of its own: its exit status and output.
std::pair<int, std::string> qz7ctlStatus(const fs::path& game) {
    const fs::path output = game.parent_path() / "status.txt";
    std::string error;
    std::unique_ptr<DetachedProgram> status = DetachedProgram::start(
        kQz7ctl, {"--game-dir", utf8FromPath(game), "status"}, game, output, error);
    if (!status) return {-1, error};
    for (int attempt = 0; attempt < 600; ++attempt) {
        if (std::optional<int> code = status->exitStatus())
            return {*code, testing::readBytes(output).value_or("")};
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {-1, "did not end"};
}

// A game folder inside a temporary folder (the status output goes beside it), the current
// directory while it lives.
struct GameFolder {
    testing::TemporaryFolder top;
    fs::path path = top.path() / pathFromUtf8("игра");
    GameFolder() { fs::create_directories(path / "admin"); }
};

}  // namespace

class SupervisedServerTest : public QObject {
    Q_OBJECT

    ProgramBesideQz7ctl platform;

  private slots:
    void init() { setPlatformForTesting(&platform); }
    void cleanup() { setPlatformForTesting(nullptr); }

    // The whole way of a host: the button opens the window, the schedule is saved, the serve
    // starts on it, restarts on request, runs on when the program ends, is found again by the
    // next start of the program and stops with progress.
    void aServeStartedFromTheWindowRestartsOutlivesTheProgramAndStops() {
        GameFolder game;
        testing::CurrentDirectory current(game.path);
        prepareGame(game.path);
        testing::RecordingMessageBoxes boxes;
        ProgramState program;
        auto setup = std::make_unique<TFmQZ7ServerSetup>(program);
        setup->show();
        QCOMPARE(setup->RzBtnPrismotr->text(), QStringLiteral("Сервер: не запущен"));
        QVERIFY(setup->supervisedServerWindow() == nullptr);
        setup->RzBtnPrismotr->setFocus();
        QTest::keyClick(setup->RzBtnPrismotr, Qt::Key_Return);
        QTRY_VERIFY(setup->supervisedServerWindow() != nullptr &&
                    setup->supervisedServerWindow()->isVisible());
        TFmQZ7Prismotr* window = setup->supervisedServerWindow();
        QVERIFY(window->RzLabelServeState->text().startsWith(
            QStringLiteral("qz7ctl serve: не запущен")));
        QVERIFY(!window->RzBitBtnServeStop->isEnabled());

        // Opened, the window is at "Запустить"; the host goes on by keyboard.
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->focusWidget(), window->RzBitBtnServeStart);
        QTest::keyClicks(window->RzEditRestartAt, QStringLiteral("04:00"));
        QVERIFY(window->RzBitBtnServeSave->isEnabled());
        window->RzBitBtnServeStart->setFocus();
        QTest::keyClick(window->RzBitBtnServeStart, Qt::Key_Space);
        // Saved before the start, the host's comment and the keys the window does not show kept.
        const std::string settings =
            testing::readBytes(game.path / kServeSettingsFile).value_or("");
        QVERIFY2(settings.starts_with("# для теста\nStopGrace=3\n"), settings.c_str());
        for (const char* line :
             {"\nTemplate=Турнир\n", "\nRestartAt=04:00\n", "\nFixedWeights=0\n"})
            QVERIFY2(settings.find(line) != std::string::npos, line);
        QVERIFY(!window->settingsEdited());

        QTRY_VERIFY_WITH_TIMEOUT(
            window->RzLabelServeState->text().contains(QStringLiteral("Сервер: работает, pid")),
            kServeWait);
        QTRY_VERIFY_WITH_TIMEOUT(
            window->RzMemoServeLog->toPlainText().contains(QStringLiteral("сервер запущен")),
            kServeWait);
        // The schedule of the settings is served: a next restart is due.
        QVERIFY(
            window->RzLabelServeState->text().contains(QStringLiteral("Следующий перезапуск: ")));
        QVERIFY(!window->RzLabelServeState->text().contains(
            QStringLiteral("Следующий перезапуск: нет")));
        QVERIFY(!window->RzBitBtnServeStart->isEnabled());
        QVERIFY(window->RzBitBtnServeStop->isEnabled());
        // The disabled "Запустить" handed the keyboard on to the next button, not to the log.
        QCOMPARE(window->focusWidget(), window->RzBitBtnServeRestart);
        setup->refreshServeButton();
        QVERIFY2(setup->RzBtnPrismotr->text().startsWith(QStringLiteral("Сервер: работает 0:0")),
                 qPrintable(setup->RzBtnPrismotr->text()));

        QTest::mouseClick(window->RzBitBtnServeRestart, Qt::LeftButton);
        QVERIFY(window->RzProgressServe->isVisible());
        QVERIFY(!window->RzBitBtnServeRestart->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(window->RzLabelServeProgress->text().startsWith(
                                     QStringLiteral("Сервер перезапущен (pid")),
                                 kServeWait);
        QVERIFY(!window->RzProgressServe->isVisible());
        QTRY_VERIFY(window->RzMemoServeLog->toPlainText().contains(QStringLiteral("по запросу")));
        QTRY_VERIFY(window->RzLabelServeState->text().contains(QStringLiteral("Перезапусков: 1")));

        // The program ends; the serve runs on, as qz7ctl status says.
        setup.reset();
        const auto [running, said] = qz7ctlStatus(game.path);
        QVERIFY2(running == 0, said.c_str());
        QVERIFY2(said.starts_with("Работает qz7ctl serve (pid "), said.c_str());

        // The program again: the button and the window show the serve it left running.
        setup = std::make_unique<TFmQZ7ServerSetup>(program);
        setup->show();
        QVERIFY2(setup->RzBtnPrismotr->text().startsWith(QStringLiteral("Сервер: работает")),
                 qPrintable(setup->RzBtnPrismotr->text()));
        setup->openSupervisedServer();
        window = setup->supervisedServerWindow();
        QVERIFY(window->RzLabelServeState->text().startsWith(
            QStringLiteral("Работает qz7ctl serve (pid ")));
        QVERIFY(window->RzMemoServeLog->toPlainText().contains(QStringLiteral("по запросу")));

        QVERIFY(QTest::qWaitForWindowActive(window));
        window->RzBitBtnServeStop->setFocus();
        QTest::keyClick(window->RzBitBtnServeStop, Qt::Key_Space);
        QVERIFY(window->RzProgressServe->isVisible());
        QVERIFY(!window->RzBitBtnServeStop->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(window->RzLabelServeProgress->text(),
                                  QStringLiteral("qz7ctl serve остановлен"), kServeWait);
        QTRY_VERIFY(window->RzLabelServeState->text().startsWith(
            QStringLiteral("qz7ctl serve: не запущен")));
        QVERIFY(window->RzBitBtnServeStart->isEnabled());
        QTRY_COMPARE(window->focusWidget(), window->RzBitBtnServeStart);
        QCOMPARE(boxes.shown, QStringList());
        QCOMPARE(qz7ctlStatus(game.path).first, 3);
        // The serve's output file holds its own lines, none of what the server printed at its
        // two starts (the demo's script prints its parameters).
        const std::string output =
            testing::readBytes(game.path / kServeOutputFile).value_or("none");
        QVERIFY2(output.find("сервер запущен") != std::string::npos, output.c_str());
        QVERIFY2(output.find("parameters:") == std::string::npos, output.c_str());
    }

    // What would end a serve at once is said before it starts, in serve's words; what only the
    // serve finds (here an alert file others may read) comes from its own output once it ended.
    void whatEndsAServeAtOnceReachesTheWindowInItsOwnWords() {
        GameFolder game;
        testing::CurrentDirectory current(game.path);
        prepareGame(game.path);
        testing::RecordingMessageBoxes boxes;
        ProgramState program;
        TFmQZ7ServerSetup setup(program);
        setup.show();
        setup.openSupervisedServer();
        TFmQZ7Prismotr* window = setup.supervisedServerWindow();

        fs::rename(game.path / "TeknoQZ7_Server_Launcher.exe", game.path / "launcher.away");
        QTest::mouseClick(window->RzBitBtnServeStart, Qt::LeftButton);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown.last().startsWith(
                     QStringLiteral("error: Не могу найти файл: TeknoQZ7_Server_Launcher.exe")),
                 qPrintable(boxes.shown.last()));
        fs::rename(game.path / "launcher.away", game.path / "TeknoQZ7_Server_Launcher.exe");

        platform.folder = game.path.parent_path();  // no qz7ctl there
        QTest::mouseClick(window->RzBitBtnServeStart, Qt::LeftButton);
        QVERIFY2(boxes.shown.last().startsWith(QStringLiteral("error: Не найден qz7ctl")),
                 qPrintable(boxes.shown.last()));
        platform.folder = kQz7ctl.parent_path();

        // Unsaved edits of the template are offered to be saved first.
        window->RzEditRestartAt->setText(QStringLiteral("4:00"));
        setup.RzEditMaxPlayer->setText(QStringLiteral("17"));
        boxes.answers = {true};
        QTest::mouseClick(window->RzBitBtnServeStart, Qt::LeftButton);
        QVERIFY(
            boxes.shown.at(boxes.shown.size() - 2)
                .startsWith(QStringLiteral("question: Окно настройки сервера показывает не то")));
        QCOMPARE(boxes.shown.last(),
                 QStringLiteral("error: Настройка не сохранена. RestartAt: время «4:00» не в "
                                "виде ЧЧ:ММ (от 00:00 до 23:59)"));
        QVERIFY(!setup.selectedTemplateDiffers());  // saved into the template

        // A router that does not answer: serve itself finds it, says so and ends.
        window->RzEditRestartAt->setText(QString());
        window->RzCheckBoxServePorts->setChecked(true);
        const std::string router = testing::refusingAddress("/rootDesc.xml");
        ServeOptions settings = readServeSettings(game.path);
        settings.igdUrl = router;
        writeServeSettings(game.path, settings);
        const qsizetype before = boxes.shown.size();
        QTest::mouseClick(window->RzBitBtnServeStart, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(boxes.shown.size() > before, kServeWait);
        const QString ended = boxes.shown.last();
        QVERIFY2(ended.startsWith(QStringLiteral("error: qz7ctl serve (pid ")) &&
                     ended.contains(QStringLiteral("завершился с кодом 1:\n")) &&
                     ended.contains(QStringLiteral("порт")),
                 qPrintable(ended));
        QVERIFY(readServeSettings(game.path).forwardPorts);
        QTRY_VERIFY(window->RzBitBtnServeStart->isEnabled());
    }

    // "Проверить" sends one test message off the window's thread and says whether it arrived.
    void aTestMessageSaysWhetherItArrived() {
        GameFolder game;
        testing::CurrentDirectory current(game.path);
        testing::RecordingMessageBoxes boxes;
        ProgramState program;
        TFmQZ7ServerSetup setup(program);
        setup.openSupervisedServer();
        TFmQZ7Prismotr* window = setup.supervisedServerWindow();
        testing::LoopbackHttpServer server(204);
        QVERIFY(server.listening());
        const QString address = QString::fromStdString(server.address("/hook/SeCrEt"));

        QTest::keyClicks(window->RzEditAlert, address);
        QTest::mouseClick(window->RzBitBtnAlertCheck, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window->RzLabelAlertCheck->text().startsWith(
                                     QStringLiteral("Оповещение доставлено на http://127.0.0.1:")),
                                 30000);
        QCOMPARE(server.requests().size(), std::size_t(1));
        QVERIFY(!window->RzLabelAlertCheck->text().contains(QStringLiteral("SeCrEt")));

        QTest::keyClick(window->RzEditAlert, Qt::Key_Return);  // added
        QCOMPARE(window->RzListBoxAlerts->count(), 1);
        QVERIFY(!window->RzListBoxAlerts->item(0)->text().contains(QStringLiteral("SeCrEt")));
        QTest::mouseClick(window->RzBitBtnServeSave, Qt::LeftButton);
        QCOMPARE(readFolderAlerts(game.path), std::vector<std::string>{address.toStdString()});

        server.setStatus(500);
        // The address added is the one checked next, without a click in the list.
        QCOMPARE(window->RzListBoxAlerts->currentRow(), 0);
        QTest::mouseClick(window->RzBitBtnAlertCheck, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(
            window->RzLabelAlertCheck->text().contains(QStringLiteral("не доставлено")), 30000);
        QCOMPARE(boxes.shown, QStringList());
    }

    // An alert address added in the window reaches the serve the window starts: the file the
    // window writes passes serve's own check that nobody else may read it, and the serve's first
    // alert arrives. The address is shown nowhere.
    void anAlertAddressAddedInTheWindowReachesTheServeItStarts() {
        GameFolder game;
        testing::CurrentDirectory current(game.path);
        prepareGame(game.path);
        testing::RecordingMessageBoxes boxes;
        testing::LoopbackHttpServer webhook(204);
        QVERIFY(webhook.listening());
        const QString address = QString::fromStdString(webhook.address("/hook/SeCrEt"));
        ProgramState program;
        TFmQZ7ServerSetup setup(program);
        setup.show();
        setup.openSupervisedServer();
        TFmQZ7Prismotr* window = setup.supervisedServerWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));

        window->RzEditAlert->setFocus();
        QTest::keyClicks(window->RzEditAlert, address);
        QTest::keyClick(window->RzEditAlert, Qt::Key_Return);
        QCOMPARE(window->RzListBoxAlerts->count(), 1);
        window->RzBitBtnServeStart->setFocus();
        QTest::keyClick(window->RzBitBtnServeStart, Qt::Key_Space);
        // A serve that refuses the file ends at once and the window says why.
        QTRY_VERIFY_WITH_TIMEOUT(!webhook.requests().empty() || !boxes.shown.isEmpty(), kServeWait);
        QCOMPARE(boxes.shown, QStringList());
        const std::string first = webhook.requests().front().body;
        QVERIFY2(first.find("\"event\":\"started\"") != std::string::npos, first.c_str());
        QCOMPARE(readFolderAlerts(game.path), std::vector<std::string>{address.toStdString()});

        window->RzBitBtnServeStop->setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(window->RzBitBtnServeStop->isEnabled(), kServeWait);
        QTest::keyClick(window->RzBitBtnServeStop, Qt::Key_Space);
        QTRY_COMPARE_WITH_TIMEOUT(window->RzLabelServeProgress->text(),
                                  QStringLiteral("qz7ctl serve остановлен"), kServeWait);
        QCOMPARE(boxes.shown, QStringList());
        const QString shown = window->RzMemoServeLog->toPlainText() +
                              window->RzLabelServeState->text() +
                              window->RzListBoxAlerts->item(0)->text();
        QVERIFY2(!shown.contains(QStringLiteral("SeCrEt")), qPrintable(shown));
        for (const char* file : {"qz7-serve.log", "qz7-serve.json", "qz7-serve.err"}) {
            const std::string bytes = testing::readBytes(game.path / file).value_or("");
            QVERIFY2(bytes.find("SeCrEt") == std::string::npos, file);
        }
    }

    // The switch installs and removes the folder's entry off the window's thread and reports what
    // it did; the entry serves the folder on its settings.
    void theServiceSwitchInstallsAndRemovesTheFolderEntry() {
        GameFolder game;
        testing::CurrentDirectory current(game.path);
        prepareGame(game.path);
        testing::RecordingMessageBoxes boxes;
        testing::TemporaryFolder units;
        testing::FakeSystemdHost systemd(units.path());
        testing::FakeTaskSchedulerHost scheduler;
#ifdef _WIN32
        const ServiceHosts hosts{nullptr, &scheduler};
#else
        const ServiceHosts hosts{&systemd, nullptr};
#endif
        ProgramState program;
        TFmQZ7ServerSetup setup(program);
        setup.useServiceHosts(hosts);
        setup.openSupervisedServer();
        TFmQZ7Prismotr* window = setup.supervisedServerWindow();
        QTRY_VERIFY_WITH_TIMEOUT(window->RzCheckBoxService->isEnabled(), kServeWait);
        QVERIFY(!window->RzCheckBoxService->isChecked());
        // On the box itself: a click right of a short caption misses the check box.
        const QPoint onTheBox(8, window->RzCheckBoxService->height() / 2);
#ifdef _WIN32
        QCOMPARE(window->RzCheckBoxService->text(),
                 QStringLiteral("Запускать сервер при входе в Windows (задача планировщика)"));
#else
        QCOMPARE(window->RzCheckBoxService->text(),
                 QStringLiteral("Запускать сервер при входе в систему (служба пользователя)"));
#endif

        QTest::mouseClick(window->RzCheckBoxService, Qt::LeftButton, {}, onTheBox);
        QTRY_VERIFY_WITH_TIMEOUT(window->RzCheckBoxService->isEnabled(), 30000);
        QVERIFY(window->RzCheckBoxService->isChecked());
        const std::string name = serviceName(setup.gameFolder());
#ifdef _WIN32
        QVERIFY(scheduler.tasks.count(name) == 1);
        QVERIFY(scheduler.tasks[name].find("serve --minimized --restart-on-failure</Arguments>") !=
                std::string::npos);
        QVERIFY2(window->RzLabelServiceReport->text().contains(
                     QStringLiteral("Задача планировщика «qz7-serve-")),
                 qPrintable(window->RzLabelServiceReport->text()));
#else
        const std::string unit =
            testing::readBytes(units.path() / (name + ".service")).value_or("");
        QVERIFY2(unit.find("\" \"serve\"\n") != std::string::npos, unit.c_str());
        QVERIFY2(
            window->RzLabelServiceReport->text().contains(QStringLiteral("loginctl enable-linger")),
            qPrintable(window->RzLabelServiceReport->text()));
#endif
        // The entry needs the template: the selected one went into the settings.
        QVERIFY(readServeSettings(game.path).templateName == "Турнир");

        QTest::mouseClick(window->RzCheckBoxService, Qt::LeftButton, {}, onTheBox);
        QTRY_VERIFY_WITH_TIMEOUT(window->RzCheckBoxService->isEnabled(), 30000);
        QVERIFY(!window->RzCheckBoxService->isChecked());
        QVERIFY(window->RzLabelServiceReport->text().contains(QStringLiteral("удалена")));
        QVERIFY(scheduler.tasks.empty());
        QVERIFY(!fs::exists(units.path() / (name + ".service")));
        QCOMPARE(boxes.shown, QStringList());
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    SupervisedServerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "supervised_server_test.moc"
