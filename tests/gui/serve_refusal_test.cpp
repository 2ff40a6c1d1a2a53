#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <fstream>

#include "app/server_setup_window.h"
#include "app/supervised_server_window.h"
#include "platform/local_time.h"
#include "platform/watched_process.h"
#include "server/serve_lock.h"
#include "support/recording_message_boxes.h"
#include "tests/fakes/fake_port_gateway.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;

// While a qz7ctl serve holds the game folder, the window leaves forming the files, starting a
// server and removing the ports to it, and offers the supervised server's window.
class ServeRefusalTest : public QObject {
    Q_OBJECT

  private slots:
    void theServeOfTheFolderIsNamedInsteadOfActing() {
        testing::TemporaryGameFolder folder;
        testing::RecordingMessageBoxes boxes;
        testing::FakePortGateway gateway;
        ProgramState program;
        TFmQZ7ServerSetup setup{program};
        setup.setPortMappingGateway(&gateway);
        setup.PortsMapped = true;
        // A launcher that would run and base files that would be formed, were it not refused.
        for (const char* file : {"TeknoQZ7_Server_Launcher.exe", "admin/Manual_Mod_default.dsr"})
            std::ofstream(folder.path() / file) << "x";

        std::optional<ServeHolder> holder;
        const auto since = std::chrono::system_clock::time_point(std::chrono::hours(493700));
        std::unique_ptr<FileLock> lock = takeServeLock(folder.path(), since, holder);
        QVERIFY(lock != nullptr);
        setup.show();
        // As a rotation and formed files would have them.
        setup.RzBitBtnCreateFiles->setEnabled(true);
        setup.RzBitBtnRunServer->setEnabled(true);
        boxes.answers = {false, false, false, true};
        QTest::mouseClick(setup.RzBitBtnCreateFiles, Qt::LeftButton);
        QTest::mouseClick(setup.RzBitBtnRunServer, Qt::LeftButton);
        setup.N3->trigger();

        // The start in the host's local time, 20:00 UTC on 27 April 2026.
        const QString refusal =
            QStringLiteral(
                "question: В папке игры работает qz7ctl serve (pid %1, с %2): он сам формирует "
                "файлы, запускает сервер и держит порты. Остановите его кнопкой «Остановить» "
                "окна «Сервер под присмотром» или командой qz7ctl stop.\n\nОткрыть окно «Сервер "
                "под присмотром»?")
                .arg(currentProcessId())
                .arg(QString::fromStdString(localTimeText(since)));
        QCOMPARE(boxes.shown, QStringList(3, refusal));
        QVERIFY(setup.supervisedServerWindow() == nullptr);
        QVERIFY(!std::filesystem::exists(folder.path() / "admin" / "Manual_Mod.dsr"));
        QVERIFY(gateway.collection.requests.empty());
        QVERIFY(setup.PortsMapped);
        // "Да" opens the supervised server's window, which shows that serve.
        setup.N3->trigger();
        QCOMPARE(boxes.shown.size(), 4);
        QVERIFY(setup.supervisedServerWindow() != nullptr);
        QVERIFY(setup.supervisedServerWindow()->isVisible());
        QVERIFY(setup.supervisedServerWindow()->RzLabelServeState->text().startsWith(
            QStringLiteral("Работает qz7ctl serve (pid %1").arg(currentProcessId())));
        QVERIFY(gateway.collection.requests.empty());

        // Once the serve has gone, the removal goes ahead.
        lock.reset();
        setup.N3->trigger();
        QCOMPARE(gateway.collection.requests.size(), size_t(70));
        QVERIFY(!boxes.shown.last().startsWith(QStringLiteral("question: В папке игры")));
    }
};

QTEST_MAIN(ServeRefusalTest)
#include "serve_refusal_test.moc"
