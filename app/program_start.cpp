#include "app/program_start.h"

#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <cstdlib>

#include "app/launch_manager_window.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "settings/template_name_dialog.h"

namespace qz7 {

namespace {

// Closes a window once, right after it has first been painted. The window itself may receive no
// paint event when its children cover it, so the first paint of any of its widgets counts; the
// close is queued, so it comes after the whole paint pass.
class CloseAfterFirstPaint : public QObject {
  public:
    explicit CloseAfterFirstPaint(QWidget& window) : Window(window) {
        Window.installEventFilter(this);
        for (QWidget* child : Window.findChildren<QWidget*>()) child->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !Closing) {
            Closing = true;
            QTimer::singleShot(0, &Window, [this] { Window.close(); });
        }
        return false;
    }

  private:
    QWidget& Window;
    bool Closing = false;
};

bool exitWhenShownRequested() {
    const char* value = std::getenv("QZ7_EXIT_WHEN_SHOWN");
    return value != nullptr && *value != '\0';
}

}  // namespace

ProgramWindows::ProgramWindows(ProgramState& program, const QStringList& arguments) {
    FormMenedger = std::make_unique<TFormMenedger>(program, arguments);
    creationOrder_ << FormMenedger->objectName();
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

int runEventLoop(TFormMenedger& mainWindow) {
    // The main window ends the program when it closes; no other window's closing may end it.
    QApplication::setQuitOnLastWindowClosed(false);
    std::unique_ptr<CloseAfterFirstPaint> closer;
    if (exitWhenShownRequested()) closer = std::make_unique<CloseAfterFirstPaint>(mainWindow);
    mainWindow.show();
    return QApplication::exec();
}

int runProgram(int argc, char** argv) {
    Qz7Application application(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/app_icon.png")));
    ProgramState program;
    ProgramWindows windows(program, QCoreApplication::arguments());
    return runEventLoop(windows.launchManager());
}

}  // namespace qz7
