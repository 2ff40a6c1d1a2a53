// "Вернуть настройки…": an earlier version of the serve settings comes back from the kept versions
// into the supervised server's window, the replaced file kept in its turn; a kept alert address is
// shown only without its secret part.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "app/settings_restore_dialog.h"
#include "app/supervised_server_window.h"
#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "server/folder_alerts.h"
#include "server/serve_settings.h"
#include "settings/kept_versions.h"
#include "support/recording_message_boxes.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;
namespace fs = std::filesystem;

namespace {

// Versions of the settings file, oldest first.
std::vector<KeptVersion> settingsVersions(const fs::path& folder) {
    std::vector<KeptVersion> found;
    for (const KeptVersion& version : keptVersions(folder))
        if (version.fileName == kServeSettingsFile) found.push_back(version);
    return found;
}

}  // namespace

class SettingsRestoreTest : public QObject {
    Q_OBJECT

  private slots:
    void anEarlierScheduleComesBackIntoTheWindowAndTheReplacedOneIsKept() {
        testing::TemporaryFolder top;
        const fs::path game = top.path() / pathFromUtf8("игра");
        fs::create_directories(game / "admin");
        fs::copy_file(fs::path(QZ7_DEMO_DIR) / "ServerSetup_QZ7.cfg", game / "ServerSetup_QZ7.cfg");
        testing::CurrentDirectory current(game);
        ServeOptions settings;
        setServeSetting(settings, "RestartAt", "04:00");
        setServeSetting(settings, "Command", "+set rcon_password Tajna-77 +set net_port 28960");
        writeServeSettings(game, settings);
        const std::string early = readWholeFile(game / kServeSettingsFile);
        setServeSetting(settings, "RestartAt", "05:30");
        writeServeSettings(game, settings);
        writeFolderAlerts(game, {"https://hooks.example.net/api/webhooks/1/SECRET-TOKEN"});
        writeFolderAlerts(game, {});
        QCOMPARE(settingsVersions(game).size(), std::size_t(1));

        testing::RecordingMessageBoxes boxes;
        ProgramState program;
        auto setup = std::make_unique<TFmQZ7ServerSetup>(program);
        setup->show();
        setup->openSupervisedServer();
        TFmQZ7Prismotr* window = setup->supervisedServerWindow();
        QVERIFY(window != nullptr);
        QCOMPARE(window->RzEditRestartAt->text(), QStringLiteral("05:30"));
        QCOMPARE(window->RzBitBtnServeRestore->text(), QStringLiteral("Вернуть настройки…"));
        window->RzBitBtnServeRestore->setFocus();
        QTest::keyClick(window->RzBitBtnServeRestore, Qt::Key_Space);
        SettingsRestoreDialog* dialog = window->settingsRestoreDialog();
        QVERIFY(dialog != nullptr);
        QTRY_VERIFY(dialog->isVisible());

        // The newest first: the alert addresses, then the settings.
        QCOMPARE(dialog->versionList->count(), 2);
        QVERIFY(dialog->versionList->item(0)->text().contains(QStringLiteral("адреса оповещений")));
        const QString alerts = dialog->content->toPlainText();
        QVERIFY2(alerts.contains(QStringLiteral("https://hooks.example.net")), qPrintable(alerts));
        QVERIFY2(!alerts.contains(QStringLiteral("SECRET")), qPrintable(alerts));
        dialog->versionList->setCurrentRow(1);
        const QString shown = dialog->content->toPlainText();
        QVERIFY2(shown.contains(QStringLiteral("RestartAt=04:00")), qPrintable(shown));
        QVERIFY2(!shown.contains(QStringLiteral("Tajna-77")), qPrintable(shown));
        dialog->restoreButton->click();

        QCOMPARE(window->RzEditRestartAt->text(), QStringLiteral("04:00"));
        QCOMPARE(readWholeFile(game / kServeSettingsFile), early);
        const std::vector<KeptVersion> versions = settingsVersions(game);
        QCOMPARE(versions.size(), std::size_t(2));
        QVERIFY(readWholeFile(versions.back().path).find("RestartAt=05:30") != std::string::npos);
        QVERIFY(dialog->report->text().contains(QStringLiteral("прежний файл сохранён")));
        QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.shown.join(QLatin1Char(10))));
        dialog->closeButton->click();
        window->close();
        setup->close();
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    SettingsRestoreTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "settings_restore_test.moc"
