// The edges of a serve the window started: in a game folder whose name is Windows-1251 bytes it
// runs and stops, and it is collected when it ends while the window is hidden (no zombie); the
// program's end waits only a few seconds for a request still waiting for its serve.
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "app/background_work.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "app/supervised_server_window.h"
#include "server/serve_requests.h"
#include "server/serve_settings.h"
#include "server/serve_start.h"
#include "support/recording_message_boxes.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pass_through_platform.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;
namespace fs = std::filesystem;

namespace {

constexpr int kServeWait = 60000;

const fs::path kQz7ctl = fs::absolute(QZ7CTL_PATH);
const fs::path kDemo = fs::absolute(QZ7_DEMO_DIR);

// The program's file beside the qz7ctl under test, so that the window finds that one.
class ProgramBesideQz7ctl : public testing::PassThroughPlatform {
  public:
    fs::path programFile() override { return kQz7ctl.parent_path() / "qz7manager"; }
};

#ifndef _WIN32
// Whether the process is a zombie: ended, and not yet collected by its parent (this test).
bool isZombie(int processId) {
    std::ifstream stat("/proc/" + std::to_string(processId) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const std::size_t nameEnd = line.rfind(')');
    return nameEnd != std::string::npos && line.size() > nameEnd + 2 && line[nameEnd + 2] == 'Z';
}
#endif

}  // namespace

class SupervisedServerEdgesTest : public QObject {
    Q_OBJECT

    ProgramBesideQz7ctl platform;

  private slots:
    void init() { setPlatformForTesting(&platform); }
    void cleanup() { setPlatformForTesting(nullptr); }

#ifndef _WIN32
    void aServeStartedInAWindows1251FolderIsCollectedWhileTheWindowIsHidden() {
        testing::TemporaryFolder top;
        const fs::path game = top.path() / "\xC8\xE3\xF0\xE0";  // "Игра" in Windows-1251
        fs::create_directories(game / "admin");
        for (const char* file : {"ServerSetup_QZ7.cfg", "TeknoQZ7_Server_Launcher.exe",
                                 "admin/Manual_Mod_default.dsr", "admin/server_mod_default.cfg"})
            fs::copy_file(kDemo / file, game / file);
        testing::writeBytes(game / kServeSettingsFile, "StopGrace=3\n");
        qputenv("QZ7_STAND_IN", "run");
        testing::CurrentDirectory current(game);
        testing::RecordingMessageBoxes boxes;
        ProgramState program;
        auto setup = std::make_unique<TFmQZ7ServerSetup>(program);
        setup->show();
        setup->openSupervisedServer();
        TFmQZ7Prismotr* window = setup->supervisedServerWindow();
        QVERIFY(window != nullptr);
        QTest::mouseClick(window->RzBitBtnServeStart, Qt::LeftButton);
        const QString started = window->RzLabelServeProgress->text();
        QVERIFY2(started.startsWith(QStringLiteral("Запущен qz7ctl serve (pid ")) &&
                     started.endsWith(QStringLiteral("он работает и без этой программы")),
                 qPrintable(started));
        const int serveId = started.section(QLatin1Char(' '), 4, 4).chopped(2).toInt();
        QVERIFY(serveId > 0);
        QTRY_VERIFY_WITH_TIMEOUT(
            window->RzLabelServeState->text().contains(QStringLiteral("Сервер: работает, pid")),
            kServeWait);

        // Hidden, the window refreshes nothing; the serve ends all the same (qz7ctl stop).
        window->hide();
        QVERIFY(stopServe(game).served);
        QTRY_VERIFY_WITH_TIMEOUT(
            !fs::exists("/proc/" + std::to_string(serveId)) || !isZombie(serveId), kServeWait);
        QVERIFY(!fs::exists("/proc/" + std::to_string(serveId)) || !isZombie(serveId));
        // Ended well: shown again, the window has nothing to complain of.
        setup->openSupervisedServer();
        QTRY_VERIFY(window->RzLabelServeState->text().startsWith(
            QStringLiteral("qz7ctl serve: не запущен")));
        QCOMPARE(boxes.shown, QStringList());
        const std::string output = testing::readBytes(game / kServeOutputFile).value_or("");
        QVERIFY2(output.find("json.exception") == std::string::npos, output.c_str());
        qunsetenv("QZ7_STAND_IN");
    }
#endif

    // A request that waits for its serve longer than the program's end may wait: the end goes
    // on after a few seconds, says what it did not wait for, and the request is left to itself.
    void theEndOfTheProgramDoesNotWaitOutARequest() {
        std::atomic<bool> release{false};
        std::atomic<bool> finished{false};
        {
            QObject owner;
            auto* work = new BackgroundWork(&owner);
            QVERIFY(work->run(
                [&](const BackgroundWork::Progress& tell) {
                    tell("Остановка qz7ctl serve (pid 4242)...");
                    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    finished = true;
                    return std::string("qz7ctl serve остановлен");
                },
                [](const QString&) {}, [](bool, const QString&) {}));
            QTRY_VERIFY(work->busy());
        }  // the owner goes as the program ends, with the work still waiting
        QVERIFY(!finished);
        const std::string said = BackgroundWork::leftAtEnd();
        QVERIFY2(said.find("не дождавшись") != std::string::npos, said.c_str());
        QVERIFY2(said.find("Остановка qz7ctl serve (pid 4242)...") != std::string::npos,
                 said.c_str());
        release = true;
        QTRY_VERIFY(finished);
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    SupervisedServerEdgesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "supervised_server_edges_test.moc"
