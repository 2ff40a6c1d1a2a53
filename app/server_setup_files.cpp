// Forming the server files and starting the launchers from the setup window.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/busy_ports_question.h"
#include "app/message_boxes.h"
#include "app/server_setup_window.h"
#include "server/launchers.h"
#include "server/server_files.h"

namespace qz7 {

namespace {

void showLaunchError(QWidget* owner, const std::optional<std::string>& error) {
    if (error) messageBoxes().error(owner, QString::fromStdString(*error));
}

}  // namespace

void TFmQZ7ServerSetup::RzBitBtnCreateFilesClick() {
    if (refusedWhileServed()) return;
    const ServerFilesResult result =
        writeServerFiles(gameFolder_, readSettings(), readRotation(), RzCheckBoxShans->isChecked());
    if (result.outcome != ServerFilesOutcome::Written) {
        messageBoxes().error(this, QString::fromStdString(result.message));
        return;
    }
    RzBitBtnRunServer->setEnabled(true);
}

void TFmQZ7ServerSetup::RzBitBtnRunServerClick() {
    if (refusedWhileServed()) return;
    // A missing launcher is reported as before; with the launcher there, ports that another
    // program already holds are a question first.
    if (!missingLauncherError(gameFolder_, kServerLauncherName) && !startDespiteBusyPorts(this))
        return;
    showLaunchError(this, startServerLauncher(gameFolder_, RzEditCommand->text().toStdString()));
}

void TFmQZ7ServerSetup::RzBitBtnRunClientClick() {
    showLaunchError(this, startClientLauncher(gameFolder_, RzEditCommand->text().toStdString(),
                                              program_.ClientProfileName));
}

}  // namespace qz7
