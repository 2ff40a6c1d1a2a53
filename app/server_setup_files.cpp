// Forming the server files and starting the launchers from the setup window.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/message_boxes.h"
#include "app/server_setup_window.h"
#include "net/busy_ports.h"
#include "server/launchers.h"
#include "server/serve_lock.h"
#include "server/server_files.h"

namespace qz7 {

namespace {

void showLaunchError(QWidget* owner, const std::optional<std::string>& error) {
    if (error) messageBoxes().error(owner, QString::fromStdString(*error));
}

}  // namespace

bool TFmQZ7ServerSetup::refusedWhileServed() {
    const std::optional<ServeHolder> holder = findServeHolder(gameFolder_);
    if (holder) messageBoxes().error(this, QString::fromStdString(serveHolderRefusal(*holder)));
    return holder.has_value();
}

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
    if (!missingLauncherError(gameFolder_, kServerLauncherName)) {
        const std::vector<BusyPort> busy = findBusyServerPorts();
        const QString question = QString::fromStdString(busyPortsMessage(busy)) +
                                 QStringLiteral(" Всё равно запустить?");
        if (!busy.empty() && !messageBoxes().question(this, question)) return;
    }
    showLaunchError(this, startServerLauncher(gameFolder_, RzEditCommand->text().toStdString()));
}

void TFmQZ7ServerSetup::RzBitBtnRunClientClick() {
    showLaunchError(this, startClientLauncher(gameFolder_, RzEditCommand->text().toStdString(),
                                              program_.ClientProfileName));
}

}  // namespace qz7
