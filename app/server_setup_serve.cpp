// The setup window's way to the supervised server: the small button with the serve's state in a
// few words, its window, and the refusals that offer that window while a serve holds the folder.
#include <QPushButton>
#include <QTimer>

#include "app/message_boxes.h"
#include "app/server_setup_window.h"
#include "app/supervised_server_window.h"
#include "server/serve_lock.h"
#include "server/serve_status.h"

namespace qz7 {

void TFmQZ7ServerSetup::RzBtnPrismotrClick() { openSupervisedServer(); }

void TFmQZ7ServerSetup::openSupervisedServer() {
    if (!FmQZ7Prismotr) {
        FmQZ7Prismotr = std::make_unique<TFmQZ7Prismotr>(*this);
        if (serviceHosts_) FmQZ7Prismotr->setServiceHosts(*serviceHosts_);
    }
    FmQZ7Prismotr->show();
    FmQZ7Prismotr->raise();
    FmQZ7Prismotr->activateWindow();
}

void TFmQZ7ServerSetup::refreshServeButton() {
    const QString full = QString::fromStdString(serveShortStatus(readServeStatus(gameFolder_)));
    // What the button's frame and padding leave for the text.
    const int room = RzBtnPrismotr->contentsRect().width() - 8;
    const QString shown = RzBtnPrismotr->fontMetrics().elidedText(full, Qt::ElideRight, room);
    RzBtnPrismotr->setText(shown);
    RzBtnPrismotr->setToolTip(full + QStringLiteral("\nОткрыть окно «Сервер под присмотром»"));
}

bool TFmQZ7ServerSetup::refusedWhileServed() {
    const std::optional<ServeHolder> holder = findServeHolder(gameFolder_);
    if (!holder) return false;
    if (messageBoxes().question(
            this, QString::fromStdString(serveHolderRefusal(*holder, RefusalShownIn::Window)) +
                      QStringLiteral("\n\nОткрыть окно «Сервер под "
                                     "присмотром»?")))
        openSupervisedServer();
    return true;
}

}  // namespace qz7
