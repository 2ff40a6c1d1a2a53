// "Сервер под присмотром" checks what a host types by the settings' own rule: a value that cannot
// work is refused, named with its key, and nothing is written. Its service switch sees the one
// entry of the folder however the folder was written, and replaces an entry of an earlier name.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "app/supervised_server_window.h"
#include "platform/game_paths.h"
#include "server/serve_settings.h"
#include "server/service_entry.h"
#include "server/service_install.h"
#include "support/recording_message_boxes.h"
#include "tests/fakes/fake_service_hosts.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;
namespace fs = std::filesystem;

namespace {

const fs::path kDemo = fs::absolute(QZ7_DEMO_DIR);
constexpr int kWait = 30000;

void prepareGame(const fs::path& game) {
    fs::create_directories(game / "admin");
    for (const char* file :
         {"ServerSetup_QZ7.cfg", "admin/Manual_Mod_default.dsr", "admin/server_mod_default.cfg"})
        fs::copy_file(kDemo / file, game / file, fs::copy_options::overwrite_existing);
    testing::writeBytes(game / kServeSettingsFile, "# мой\nStopGrace=3\n");
}

// The folder as another program wrote it: on Windows in other letters' case, elsewhere with
// "." and ".." in it.
fs::path writtenDifferently(const fs::path& folder) {
#ifdef _WIN32
    std::wstring text = folder.native();
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(c >= L'a' && c <= L'z'   ? c - 32
                                 : c >= L'A' && c <= L'Z' ? c + 32
                                                          : c);
    return fs::path(text);
#else
    return folder / "." / ".." / folder.filename();
#endif
}

}  // namespace

class ServeValuesTest : public QObject {
    Q_OBJECT

  private slots:
    void aValueThatCannotWorkIsRefusedAndNothingWritten_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("key");
        for (const char* value :
             {"-1:00", "24:00", "4:60", "nan", "inf", "-1", "1e300", "99999", "04:00,-1:00"})
            QTest::newRow(value) << "RzEditRestartAt" << value << "RestartAt";
        for (const char* value : {"nan", "inf", "-1", "1e300", "-1:00", "-5m", "99999"})
            QTest::newRow((std::string("every ") + value).c_str())
                << "RzEditRestartEvery" << value << "RestartEvery";
        QTest::newRow("line end") << "RzEditRestartAt"
                                  << "04:00\n05:00"
                                  << "RestartAt";
    }
    void aValueThatCannotWorkIsRefusedAndNothingWritten() {
        QFETCH(QString, control);
        QFETCH(QString, value);
        QFETCH(QString, key);
        testing::TemporaryFolder top;
        const fs::path game = top.path() / "game";
        prepareGame(game);
        testing::CurrentDirectory current(game);
        testing::RecordingMessageBoxes boxes;
        ProgramState program;
        testing::TemporaryFolder units;
        testing::FakeSystemdHost systemd(units.path());
        TFmQZ7ServerSetup setup(program);
        setup.useServiceHosts({&systemd, nullptr});
        setup.openSupervisedServer();
        TFmQZ7Prismotr* window = setup.supervisedServerWindow();
        auto* edit = window->findChild<QLineEdit*>(control);
        QVERIFY(edit != nullptr);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, value.left(value.indexOf(QLatin1Char('\n'))));
        // A line end comes by paste, not by the keyboard.
        if (value.contains(QLatin1Char('\n'))) edit->setText(value);
        QVERIFY(window->RzBitBtnServeSave->isEnabled());
        QTest::mouseClick(window->RzBitBtnServeSave, Qt::LeftButton);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown.front().startsWith(QStringLiteral("error: Настройка не сохранена. ") +
                                                key + QStringLiteral(": ")),
                 qPrintable(boxes.shown.front()));
        QCOMPARE(testing::readBytes(game / kServeSettingsFile).value_or(""),
                 std::string("# мой\nStopGrace=3\n"));
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(edit));

        // The service switch refuses the same before it writes or installs anything.
        QTRY_VERIFY_WITH_TIMEOUT(window->RzCheckBoxService->isEnabled(), kWait);
        QTest::mouseClick(window->RzCheckBoxService, Qt::LeftButton, {},
                          QPoint(8, window->RzCheckBoxService->height() / 2));
        QCOMPARE(boxes.shown.size(), 2);
        QVERIFY(!window->RzCheckBoxService->isChecked());
        QVERIFY(fs::is_empty(units.path()));
        QCOMPARE(testing::readBytes(game / kServeSettingsFile).value_or(""),
                 std::string("# мой\nStopGrace=3\n"));
    }

    // An entry an earlier version named from the folder written another way is the folder's: the
    // switch shows it installed, installing replaces it, removing removes it; never two.
    void theFolderWrittenDifferentlyHasOneEntry() {
        testing::TemporaryFolder top;
        const fs::path game = top.path() / "game";
        prepareGame(game);
        testing::CurrentDirectory current(writtenDifferently(game));
        testing::RecordingMessageBoxes boxes;
        testing::TemporaryFolder units;
        testing::FakeSystemdHost systemd(units.path());
        testing::FakeTaskSchedulerHost scheduler;
        ServiceRequest earlier;
        earlier.program = "qz7ctl";
        earlier.gameFolder = writtenDifferently(game);
#ifdef _WIN32
        const ServiceHosts hosts{nullptr, &scheduler};
        scheduler.tasks["qz7-serve-game-0badc0de"] = serviceDescription(earlier);
        auto entries = [&scheduler] { return scheduler.tasks.size() + scheduler.runValues.size(); };
#else
        const ServiceHosts hosts{&systemd, nullptr};
        testing::writeBytes(units.path() / "qz7-serve-game-0badc0de.service",
                            "[Unit]\nDescription=" + serviceDescription(earlier) + "\n");
        auto entries = [&units] {
            return std::size_t(std::distance(fs::directory_iterator(units.path()), {}));
        };
#endif
        ProgramState program;
        TFmQZ7ServerSetup setup(program);
        setup.useServiceHosts(hosts);
        setup.openSupervisedServer();
        TFmQZ7Prismotr* window = setup.supervisedServerWindow();
        QTRY_VERIFY_WITH_TIMEOUT(window->RzCheckBoxService->isEnabled(), kWait);
        QVERIFY(window->RzCheckBoxService->isChecked());
        const QPoint onTheBox(8, window->RzCheckBoxService->height() / 2);

        // Off: the entry of the earlier name goes.
        QTest::mouseClick(window->RzCheckBoxService, Qt::LeftButton, {}, onTheBox);
        QTRY_VERIFY_WITH_TIMEOUT(window->RzCheckBoxService->isEnabled(), kWait);
        QVERIFY(!window->RzCheckBoxService->isChecked());
        QCOMPARE(entries(), std::size_t(0));
        QVERIFY2(window->RzLabelServiceReport->text().contains(QStringLiteral("0badc0de удалена")),
                 qPrintable(window->RzLabelServiceReport->text()));

        // On, with an entry of the earlier name back: one entry, of the folder's own name.
#ifdef _WIN32
        scheduler.runValues["qz7-serve-game-0badc0de"] = runKeyCommand(earlier);
#else
        testing::writeBytes(units.path() / "qz7-serve-game-0badc0de.service",
                            "[Unit]\nDescription=" + serviceDescription(earlier) + "\n");
#endif
        QTest::mouseClick(window->RzCheckBoxService, Qt::LeftButton, {}, onTheBox);
        QTRY_VERIFY_WITH_TIMEOUT(window->RzCheckBoxService->isEnabled(), kWait);
        QVERIFY(window->RzCheckBoxService->isChecked());
        QCOMPARE(entries(), std::size_t(1));
        QVERIFY(folderServiceInstalled(hosts, game));
        QCOMPARE(serviceName(setup.gameFolder()), serviceName(game));
        QVERIFY2(window->RzLabelServiceReport->text().contains(QStringLiteral("заменена")),
                 qPrintable(window->RzLabelServiceReport->text()));
        QCOMPARE(readServeSettings(game).timing.stopGrace, std::chrono::milliseconds(3000));
        QCOMPARE(boxes.shown, QStringList());
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    ServeValuesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "serve_values_test.moc"
