
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <stdexcept>

#include "app/game_folder_question.h"
#include "app/launch_manager_window.h"
#include "app/program_start.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "app/template_name_dialog.h"
#include "platform/game_paths.h"
#include "support/recording_message_boxes.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;

namespace {

// Counts the close events that reach a window.
class CloseEventCounter : public QObject {
  public:
    int closeEvents = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close) ++closeEvents;
        return false;
    }
};

// Counts the paint events of a window and its widgets.
class PaintCounter : public QObject {
  public:
    int count = 0;
    void watch(QWidget& window) {
        window.installEventFilter(this);
        for (QWidget* child : window.findChildren<QWidget*>()) child->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

// The time of a file's last modification; any rewrite, also one through a temporary file, gives
// it a new one.
std::filesystem::file_time_type modifiedAt(const std::filesystem::path& file) {
    return std::filesystem::last_write_time(file);
}

// Ends a stuck event loop so that a fault fails the test instead of hanging it.
class LoopWatchdog {
  public:
    LoopWatchdog() {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        timer_.start(10000);
    }

  private:
    QTimer timer_;
};

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void windowsAreCreatedInOrderWithTheirNamesAndCaptions() {
        testing::TemporaryGameFolder folder;
        ProgramState program;
        ProgramWindows windows(program, {"qz7manager"});
        QCOMPARE(windows.creationOrder(),
                 QStringList({"FormMenedger", "FmQZ7ServerSetup", "FmQZ7_Save"}));
        QCOMPARE(windows.launchManager().windowTitle(),
                 QStringLiteral("Менеджер запуска игры Steel Horizon"));
        QCOMPARE(QCoreApplication::applicationName(),
                 QStringLiteral("Менеджер запуска игры Steel Horizon"));
        QCOMPARE(windows.serverSetup().windowTitle(),
                 QStringLiteral("Настройка выделенного сервера QZ7 для TeknoGods 2.8.0.4"));
        // The setup window is created hidden, its creation having read the game folder; the
        // supervised server's window only when first opened.
        QVERIFY(!windows.serverSetup().isVisible());
        QVERIFY(windows.serverSetup().supervisedServerWindow() == nullptr);
        QCOMPARE(windows.serverSetup().gameFolder(), folder.path());
        QCOMPARE(windows.serverSetup().templateStorePath(),
                 gamePath(folder.path(), "\\ServerSetup_QZ7.cfg"));
        // The dialog belongs to the setup window and is placed beside it as it stood.
        QCOMPARE(windows.templateNameDialog().parentWidget(), &windows.serverSetup());
        QCOMPARE(windows.templateNameDialog().pos(),
                 windows.serverSetup().pos() + QPoint(-20, 120));
    }

    void theLaunchManagerIsPaintedBeforeTheSetupWindowIsBuiltWhoseErrorsStillShow() {
        testing::TemporaryGameFolder folder;
        std::filesystem::create_directory(folder.path() / "ServerSetup_QZ7.cfg");  // unreadable
        testing::RecordingMessageBoxes boxes;
        PaintCounter paints;
        int paintsBeforeSetup = -1;
        qsizetype boxesBeforeSetup = -1;
        ProgramState program;
        ProgramWindows windows(program, {"qz7manager"}, [&](TFormMenedger& manager) {
            paints.watch(manager);
            showAndWaitForFirstPaint(manager);
            paintsBeforeSetup = paints.count;
            boxesBeforeSetup = boxes.shown.size();
        });
        QVERIFY(paintsBeforeSetup > 0);
        QCOMPARE(boxesBeforeSetup, 0);
        QCOMPARE(windows.creationOrder(),
                 QStringList({"FormMenedger", "FmQZ7ServerSetup", "FmQZ7_Save"}));
        QVERIFY(windows.launchManager().isVisible());
        QVERIFY(!windows.serverSetup().isVisible());
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].startsWith("application: "));
    }

    // Started where the game is not (the menu entry starts it in the home folder), the program
    // says so and offers a folder for this run, before the setup window fixes its game folder.
    void outsideAGameFolderTheProgramOffersToPickOne() {
        testing::TemporaryFolder home, wrong, game;
        testing::CurrentDirectory inHome(home.path());
        std::filesystem::create_directory(wrong.path() / "admin");  // a folder, no base file
        testing::writeBytes(game.path() / "TeknoQZ7_Client_Launcher.exe", "");
        testing::RecordingMessageBoxes boxes;
        std::deque<std::optional<std::filesystem::path>> picks;
        int dialogs = 0;
        setGameFolderDialogForTesting([&](QWidget*) {
            ++dialogs;
            if (picks.empty()) return std::optional<std::filesystem::path>();
            const std::optional<std::filesystem::path> pick = picks.front();
            picks.pop_front();
            return pick;
        });
        const QString askedAbout = QStringLiteral(
            "question: В папке %1 нет файлов игры: ни "
            "TeknoQZ7_Server_Launcher.exe или "
            "TeknoQZ7_Client_Launcher.exe, ни "
            "admin\\Manual_Mod_default.dsr или "
            "admin\\server_mod_default.cfg, ни файла шаблонов "
            "ServerSetup_QZ7.cfg.\n\nВыбрать папку игры? «Нет» "
            "оставит папку %2.");
        auto asked = [&](const std::filesystem::path& folder) {
            return askedAbout.arg(QString::fromStdString(folder.string()),
                                  QString::fromStdString(home.path().string()));
        };

        boxes.answers = {false};  // "Нет"
        offerGameFolderWhenAbsent(nullptr);
        boxes.answers = {true};  // "Да", then the dialog's cancel
        offerGameFolderWhenAbsent(nullptr);
        QCOMPARE(dialogs, 1);
        QCOMPARE(boxes.shown, (QStringList{asked(home.path()), asked(home.path())}));
        QVERIFY(std::filesystem::equivalent(std::filesystem::current_path(), home.path()));

        // A folder without the game's files is named and the offer made again.
        boxes.shown.clear();
        boxes.answers = {true, true};
        picks = {wrong.path(), game.path()};
        offerGameFolderWhenAbsent(nullptr);
        QCOMPARE(boxes.shown, (QStringList{asked(home.path()), asked(wrong.path())}));
        QVERIFY(std::filesystem::equivalent(std::filesystem::current_path(), game.path()));
        ProgramState program;
        ProgramWindows windows(program, {"qz7manager", "Player"});
        QVERIFY(std::filesystem::equivalent(windows.serverSetup().gameFolder(), game.path()));
        QCOMPARE(QString::fromStdString(program.ClientProfileName), QStringLiteral("Player"));
        setGameFolderDialogForTesting({});
    }

    // Any one of the game's files makes a game folder: nothing is asked there.
    void inAGameFolderNothingIsAsked() {
        testing::RecordingMessageBoxes boxes;
        setGameFolderDialogForTesting([](QWidget*) {
            QTest::qFail("the folder dialog was shown", __FILE__, __LINE__);
            return std::optional<std::filesystem::path>();
        });
        for (const char* file : {"TeknoQZ7_Server_Launcher.exe", "TeknoQZ7_Client_Launcher.exe",
                                 "admin/Manual_Mod_default.dsr", "admin/server_mod_default.cfg",
                                 "ServerSetup_QZ7.cfg"}) {
            testing::TemporaryFolder game;
            testing::CurrentDirectory inGame(game.path());
            testing::writeBytes(game.path() / file, "");
            offerGameFolderWhenAbsent(nullptr);
            QVERIFY2(boxes.shown.isEmpty(), file);
            QVERIFY(std::filesystem::equivalent(std::filesystem::current_path(), game.path()));
        }
        setGameFolderDialogForTesting({});
    }

    void profileNameComesFromTheFirstArgument() {
        testing::TemporaryGameFolder folder;
        ProgramState program;
        TFormMenedger withArgument(program, {"qz7manager", "Player One"});
        QCOMPARE(QString::fromStdString(program.ClientProfileName), QStringLiteral("Player One"));
        TFormMenedger emptyArgument(program, {"qz7manager", ""});
        QVERIFY(program.ClientProfileName.empty());
        TFormMenedger cyrillic(program, {"qz7manager", "Игрок", "second"});
        QCOMPARE(QString::fromStdString(program.ClientProfileName), QStringLiteral("Игрок"));
        TFormMenedger without(program, {"qz7manager"});
        QVERIFY(program.ClientProfileName.empty());
    }

    void serverButtonTwiceLeavesOneSetupWindowInFront() {
        testing::TemporaryGameFolder folder;
        ProgramState program;
        ProgramWindows windows(program, {"qz7manager"});
        TFormMenedger& manager = windows.launchManager();
        TFmQZ7ServerSetup& setup = windows.serverSetup();
        manager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&manager));

        QTest::mouseClick(manager.RzBtnServerRun, Qt::LeftButton);
        QVERIFY(setup.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        manager.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&manager));

        QTest::mouseClick(manager.RzBtnServerRun, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        const auto windowsShown = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windowsShown.begin(), windowsShown.end(),
                               [](QWidget* w) {
                                   return w->objectName() == "FmQZ7ServerSetup" && w->isVisible();
                               }),
                 1);
        // Showing it gives the template list the keyboard focus.
        QCOMPARE(QApplication::focusWidget(), setup.RzListBoxListShablon);
    }

    void closingTheLaunchManagerEndsTheProgramWithoutClosingTheSetupWindow() {
        testing::TemporaryGameFolder folder;
        const std::filesystem::path store = folder.path() / "ServerSetup_QZ7.cfg";
        testing::writeBytes(store, "");
        // An old time, which a rewrite now cannot give it again.
        const auto before = modifiedAt(store) - std::chrono::hours(24 * 365);
        std::filesystem::last_write_time(store, before);

        testing::RecordingMessageBoxes boxes;
        ProgramState program;
        ProgramWindows windows(program, {"qz7manager"});
        TFormMenedger& manager = windows.launchManager();
        TFmQZ7ServerSetup& setup = windows.serverSetup();
        setup.PortsMapped = true;  // a close of the setup window would ask about the ports
        CloseEventCounter counter;
        setup.installEventFilter(&counter);

        QTimer::singleShot(0, &manager, [&] {
            QTest::mouseClick(manager.RzBtnServerRun, Qt::LeftButton);
            manager.close();
        });
        LoopWatchdog watchdog;
        QCOMPARE(runEventLoop(manager), 0);

        QCOMPARE(counter.closeEvents, 0);
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(setup.isVisible());  // never hidden by a close of its own
        QVERIFY(modifiedAt(store) == before);
    }

    void exitWhenShownClosesTheMainWindowAfterItsFirstPaint() {
        testing::TemporaryGameFolder folder;
        ProgramState program;
        ProgramWindows windows(program, {"qz7manager"});
        qputenv("QZ7_EXIT_WHEN_SHOWN", "1");
        LoopWatchdog watchdog;
        const int result = runEventLoop(windows.launchManager());
        qunsetenv("QZ7_EXIT_WHEN_SHOWN");
        QCOMPARE(result, 0);
        QVERIFY(!windows.launchManager().isVisible());
        QVERIFY(!windows.serverSetup().isVisible());
    }

    void anExceptionEscapingAHandlerIsShownAndTheProgramGoesOn() {
        testing::RecordingMessageBoxes boxes;
        QPushButton button;
        QString failure;
        int clicks = 0;
        QObject::connect(&button, &QPushButton::clicked, [&] {
            ++clicks;
            throw std::runtime_error(failure.toStdString());
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));

        const QStringList texts = {"Не удалось открыть файл",
                                   "Ошибка ввода-вывода 103",
                                   "Файл \\ServerSetup_QZ7.cfg.",
                                   "Нет доступа!",
                                   "Отказано (код 5)",
                                   "Конец строки "};
        for (const QString& text : texts) {
            failure = text;
            QTest::mouseClick(&button, Qt::LeftButton);
        }
        QCOMPARE(clicks, int(texts.size()));
        QCOMPARE(boxes.shown, QStringList({
                                  "application: Не удалось открыть файл.",
                                  "application: Ошибка ввода-вывода 103.",
                                  "application: Файл \\ServerSetup_QZ7.cfg.",
                                  "application: Нет доступа!",
                                  "application: Отказано (код 5)",
                                  "application: Конец строки ",
                              }));
    }

    void theApplicationErrorTextEndsInAFullStopAfterALetterOrDigit() {
        QCOMPARE(applicationErrorText("Ошибка"), QStringLiteral("Ошибка."));
        QCOMPARE(applicationErrorText("I/O error 32"), QStringLiteral("I/O error 32."));
        QCOMPARE(applicationErrorText("Готово."), QStringLiteral("Готово."));
        QCOMPARE(applicationErrorText("Что?"), QStringLiteral("Что?"));
        QCOMPARE(applicationErrorText(""), QString());
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "startup_test.moc"
