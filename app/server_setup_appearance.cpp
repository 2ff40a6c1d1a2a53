// The look of the setup window: caption, size, fonts and colours.
#include <QLabel>

#include "app/server_setup_window.h"

namespace qz7 {

void TFmQZ7ServerSetup::applyAppearance() {
    setWindowTitle(QStringLiteral("Настройка выделенного сервера QZ7 для TeknoGods 2.8.0.4"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(869, 756);
}

}  // namespace qz7
