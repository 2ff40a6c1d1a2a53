#include <QPushButton>
#include <QtTest>

#include "app/launch_manager_window.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "settings/template_name_dialog.h"
#include "support/game_folder.h"
#include "support/recording_message_boxes.h"

using namespace qz7;

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void windowsCarryTheirNamesAndCaptions() {
        testing::TemporaryGameFolder folder;
        ProgramState program;
        TFormMenedger manager(program, {"qz7manager"});
        TFmQZ7ServerSetup setup(program);
        TFmQZ7_Save dialog(&setup);
        QCOMPARE(manager.objectName(), QStringLiteral("FormMenedger"));
        QCOMPARE(manager.windowTitle(), QStringLiteral("Менеджер запуска игры Steel Horizon"));
        QCOMPARE(setup.objectName(), QStringLiteral("FmQZ7ServerSetup"));
        QCOMPARE(setup.windowTitle(),
                 QStringLiteral("Настройка выделенного сервера QZ7 для TeknoGods 2.8.0.4"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("FmQZ7_Save"));
        QVERIFY(!setup.isVisible());
        QCOMPARE(setup.gameFolder(), folder.path());
    }

    void profileNameComesFromTheFirstArgument() {
        testing::TemporaryGameFolder folder;
        ProgramState program;
        TFormMenedger withArgument(program, {"qz7manager", "Player One"});
        QCOMPARE(QString::fromStdString(program.ClientProfileName), QStringLiteral("Player One"));
        TFormMenedger without(program, {"qz7manager"});
        QVERIFY(program.ClientProfileName.empty());
    }

    void serverButtonShowsOneSetupWindow() {
        testing::TemporaryGameFolder folder;
        ProgramState program;
        TFormMenedger manager(program, {"qz7manager"});
        TFmQZ7ServerSetup setup(program);
        manager.setServerSetupWindow(&setup);
        manager.show();
        QTest::mouseClick(manager.RzBtnServerRun, Qt::LeftButton);
        QVERIFY(setup.isVisible());
        QTest::mouseClick(manager.RzBtnServerRun, Qt::LeftButton);
        QVERIFY(setup.isVisible());
        const auto windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](QWidget* w) {
                                   return w->objectName() == "FmQZ7ServerSetup" && w->isVisible();
                               }),
                 1);
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "startup_test.moc"
