#include "app/program_start.h"

#include <QEvent>
#include <QEventLoop>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "app/game_folder_question.h"
#include "app/launch_manager_window.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "app/template_name_dialog.h"

namespace qz7 {

namespace {

// Calls back once, right after a window has first been painted. The window itself may receive no
// paint event when its children cover it, so the first paint of any of its widgets counts; the
// call is queued, so it comes after the whole paint pass.
class FirstPaintWatch : public QObject {
  public:
    FirstPaintWatch(QWidget& window, std::function<void()> onFirstPaint)
        : onFirstPaint_(std::move(onFirstPaint)) {
        window.installEventFilter(this);
        for (QWidget* child : window.findChildren<QWidget*>()) child->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(0, this, onFirstPaint_);
        }
        return false;
    }

  private:
    std::function<void()> onFirstPaint_;
    bool painted_ = false;
};

bool exitWhenShownRequested() {
    const char* value = std::getenv("QZ7_EXIT_WHEN_SHOWN");
    return value != nullptr && *value != '\0';
}

}  // namespace

ProgramWindows::ProgramWindows(ProgramState& program, const QStringList& arguments,
                               const std::function<void(TFormMenedger&)>& afterLaunchManager) {
    FormMenedger = std::make_unique<TFormMenedger>(program, arguments);
    creationOrder_ << FormMenedger->objectName();
    if (afterLaunchManager) afterLaunchManager(*FormMenedger);
    FmQZ7ServerSetup = std::make_unique<TFmQZ7ServerSetup>(program);
    creationOrder_ << FmQZ7ServerSetup->objectName();
    FormMenedger->setServerSetupWindow(FmQZ7ServerSetup.get());
    FmQZ7_Save = std::make_unique<TFmQZ7_Save>(FmQZ7ServerSetup.get());
    creationOrder_ << FmQZ7_Save->objectName();
    FmQZ7ServerSetup->setTemplateNameDialog(FmQZ7_Save.get());
}

// The dialog is a child of the setup window: it goes first, the main window last.
ProgramWindows::~ProgramWindows() {
    FmQZ7_Save.reset();
    FmQZ7ServerSetup.reset();
    FormMenedger.reset();
}

void showAndWaitForFirstPaint(TFormMenedger& launchManager) {
    QEventLoop waiting;
    FirstPaintWatch watch(launchManager, [&waiting] { waiting.quit(); });
    QTimer::singleShot(2000, &waiting, &QEventLoop::quit);
    launchManager.show();
    waiting.exec(QEventLoop::ExcludeUserInputEvents);
}

int runEventLoop(TFormMenedger& mainWindow) {
    // The main window ends the program when it closes; no other window's closing may end it.
    QApplication::setQuitOnLastWindowClosed(false);
    std::unique_ptr<FirstPaintWatch> closer;
    if (exitWhenShownRequested()) {
        const auto close = [&mainWindow] { mainWindow.close(); };
        if (mainWindow.isVisible())
            QTimer::singleShot(0, &mainWindow, close);
        else
            closer = std::make_unique<FirstPaintWatch>(mainWindow, close);
    }
    mainWindow.show();
    return QApplication::exec();
}

int runProgram(int argc, char** argv) {
    Qz7Application application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/app_icon.png")));
    ProgramState program;
    ProgramWindows windows(program, QCoreApplication::arguments(), [](TFormMenedger& manager) {
        showAndWaitForFirstPaint(manager);
        if (exitWhenShownRequested()) {
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
        }
        // Before the setup window fixes the game folder.
        offerGameFolderWhenAbsent(&manager);
    });
    // Closed while it was being shown: the program has already ended.
    if (windows.launchManager().isHidden()) return 0;
    return runEventLoop(windows.launchManager());
}

}  // namespace qz7
