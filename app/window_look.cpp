#include "app/window_look.h"

#include <QBrush>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

namespace qz7 {

namespace {

// Command buttons: very light grey faces in dark blue frames, lighter under the mouse. Link
// buttons: flat, the text in dark blue, a dotted frame while they have the keyboard focus.
const char* const kWindowStyle =
    "QPushButton[qz7role=\"command\"] { background-color: rgb(244, 244, 240);"
    " border: 1px solid rgb(0, 60, 116); border-radius: 2px; padding: 2px 6px;"
    " color: black; }"
    "QPushButton[qz7role=\"command\"]:hover { background-color: rgb(255, 255, 255);"
    " border-color: rgb(0, 110, 210); }"
    "QPushButton[qz7role=\"command\"]:pressed { background-color: rgb(222, 226, 232); }"
    "QPushButton[qz7role=\"command\"]:disabled { color: rgb(150, 150, 150);"
    " border-color: rgb(150, 160, 175); }"
    "QPushButton[qz7role=\"command\"]::menu-indicator { subcontrol-position: right center;"
    " subcontrol-origin: padding; right: 2px; }"
    "QPushButton[qz7role=\"link\"] { background-color: transparent; border: 1px solid"
    " transparent; padding: 0px 2px; color: rgb(0, 60, 116); text-align: left; }"
    "QPushButton[qz7role=\"link\"]:hover { color: rgb(0, 110, 210); }"
    "QPushButton[qz7role=\"link\"]:focus { border: 1px dotted rgb(0, 60, 116); }"
    // The lists draw their selected rows in the highlight colour of their palette, as on Linux:
    // Windows' own style draws them in its theme's pale blue, paler still when the window is
    // inactive, which hides the map whose picture is shown.
    "QListWidget::item:selected { background-color: palette(highlight);"
    " color: palette(highlighted-text); }";

}  // namespace

void applyWorkingWindowLook(QWidget& window, const char* extraRules) {
    QPalette background = window.palette();
    background.setBrush(QPalette::Window,
                        QBrush(QPixmap(QStringLiteral(":/art/desert_camo_tile.png"))));
    window.setPalette(background);
    window.setAutoFillBackground(true);
    window.setStyleSheet(QString::fromLatin1(kWindowStyle) + QString::fromLatin1(extraRules));
}

}  // namespace qz7
