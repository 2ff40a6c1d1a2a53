// Renders the program's two windows, and the setup window's "Вернуть шаблон…" with the versions
// the folder keeps, to PNG files for a look at their appearance:
//   render_windows OUTPUT_FOLDER
// Run it in a game folder (it becomes the program's game folder). With QT_QPA_PLATFORM=offscreen
// the windows are drawn without a screen; under an X server they are real windows.
#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTextStream>

#include "app/launch_manager_window.h"
#include "app/program_start.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "app/template_restore_dialog.h"

namespace {

bool save(QWidget& window, const QString& path) {
    const bool saved = window.grab().save(path);
    QTextStream(stdout) << (saved ? "wrote " : "could not write ") << path << '\n';
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    qz7::Qz7Application application(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(output);

    qz7::ProgramState program;
    qz7::ProgramWindows windows(program, {QStringLiteral("qz7manager")});
    auto& manager = windows.launchManager();
    auto& setup = windows.serverSetup();
    manager.show();
    manager.RzBtnServerRunClick();
    if (!QTest::qWaitForWindowExposed(&setup)) return 1;
    QTest::qWait(300);  // lets the ticker move in a little

    bool saved = save(manager, output + QStringLiteral("/launch_manager.png"));
    saved = save(setup, output + QStringLiteral("/server_setup.png")) && saved;

    // The launch manager's client button under the mouse shows its highlight.
    QTest::mouseMove(manager.RzBtnClientRun);
    for (int wait = 0; wait < 100 && !manager.RzBtnClientRun->underMouse(); ++wait)
        QTest::qWait(10);
    saved = save(manager, output + QStringLiteral("/launch_manager_hover.png")) && saved;

    // The way back: the kept versions of the store, the oldest chosen with its templates.
    setup.N7Click();
    qz7::TemplateRestoreDialog* restore = setup.templateRestoreDialog();
    if (!restore || !QTest::qWaitForWindowExposed(restore)) return 1;
    restore->versionList->setCurrentRow(restore->versionList->count() - 1);
    saved = save(*restore, output + QStringLiteral("/template_restore.png")) && saved;
    return saved ? 0 : 1;
}
