#include <QAction>
#include <QPushButton>
#include <QtTest>
#include <fstream>

#include "app/server_setup_window.h"
#include "platform/local_time.h"
#include "platform/watched_process.h"
#include "server/serve_lock.h"
#include "support/recording_message_boxes.h"
#include "tests/fakes/fake_port_gateway.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;

// While a qz7ctl serve holds the game folder, the window leaves forming the files, starting a
// server and removing the ports to it.
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
        QTest::mouseClick(setup.RzBitBtnCreateFiles, Qt::LeftButton);
        QTest::mouseClick(setup.RzBitBtnRunServer, Qt::LeftButton);
        setup.N3->trigger();

        // The start in the host's local time, 20:00 UTC on 27 April 2026.
        const QString refusal =
            QStringLiteral(
                "error: В папке игры работает qz7ctl serve (pid %1, с %2): он сам формирует "
                "файлы, запускает сервер и держит порты. Остановите его командой qz7ctl stop "
                "(или Ctrl+C в его окне).")
                .arg(currentProcessId())
                .arg(QString::fromStdString(localTimeText(since)));
        QCOMPARE(boxes.shown, QStringList(3, refusal));
        QVERIFY(!std::filesystem::exists(folder.path() / "admin" / "Manual_Mod.dsr"));
        QVERIFY(gateway.collection.requests.empty());
        QVERIFY(setup.PortsMapped);

        // Once the serve has gone, the removal goes ahead.
        lock.reset();
        setup.N3->trigger();
        QCOMPARE(gateway.collection.requests.size(), size_t(70));
        QVERIFY(!boxes.shown.last().startsWith(QStringLiteral("error: В папке игры")));
    }
};

QTEST_MAIN(ServeRefusalTest)
#include "serve_refusal_test.moc"
