// The look of the setup window: caption, size and place, background texture, fonts, colours and
// the pictures of the buttons.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include "app/server_setup_window.h"
#include "app/window_fonts.h"

namespace qz7 {

namespace {

const QColor kCaptionColour(106, 0, 0);
const QColor kModeColour(0, 0, 210);
const QColor kPrivatColour(0, 0, 255);
const QColor kDescriptionColour(0, 0, 202);
const QColor kMapNameColour(119, 0, 0);

// Command buttons: very light grey faces in dark blue frames, lighter under the mouse.
const char* const kCommandButtonStyle =
    "QPushButton[qz7role=\"command\"] { background-color: rgb(244, 244, 240);"
    " border: 1px solid rgb(0, 60, 116); border-radius: 2px; padding: 2px 6px;"
    " color: black; }"
    "QPushButton[qz7role=\"command\"]:hover { background-color: rgb(255, 255, 255);"
    " border-color: rgb(0, 110, 210); }"
    "QPushButton[qz7role=\"command\"]:pressed { background-color: rgb(222, 226, 232); }"
    "QPushButton[qz7role=\"command\"]:disabled { color: rgb(150, 150, 150);"
    " border-color: rgb(150, 160, 175); }"
    "QPushButton[qz7role=\"command\"]::menu-indicator { subcontrol-position: right center;"
    " subcontrol-origin: padding; right: 2px; }";

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QIcon picture(const char* name) {
    return QIcon(QStringLiteral(":/art/") + QLatin1String(name) + QStringLiteral(".png"));
}

void setPicture(QPushButton* button, const char* name) {
    button->setIcon(picture(name));
    button->setIconSize(QSize(16, 16));
}

}  // namespace

void TFmQZ7ServerSetup::applyAppearance() {
    setWindowTitle(QStringLiteral("Настройка выделенного сервера QZ7 для TeknoGods 2.8.0.4"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(869, 756);
    setFont(windowDefaultFont());

    // The beige desert camouflage, tiled over the whole window.
    QPalette background = palette();
    background.setBrush(QPalette::Window,
                        QBrush(QPixmap(QStringLiteral(":/art/desert_camo_tile.png"))));
    setPalette(background);
    setAutoFillBackground(true);
    setStyleSheet(QString::fromLatin1(kCommandButtonStyle));

    const QFont headingFont = tahomaFont(13, true);
    const QFont captionFont = arialNarrowFont(15, true);
    for (QWidget* child : findChildren<QWidget*>()) {
        const QVariant role = child->property("qz7role");
        if (role == QLatin1String("heading")) {
            child->setFont(headingFont);
        } else if (role == QLatin1String("caption")) {
            child->setFont(captionFont);
            setTextColour(child, kCaptionColour);
        } else if (role == QLatin1String("command")) {
            child->setFont(headingFont);
        }
    }

    RzLabelPrivat->setFont(arialFont(14, true));
    setTextColour(RzLabelPrivat, kPrivatColour);
    RzListBoxListShablon->setFont(arialFont(14, true));

    // The box's own edit line does not follow the box's font by itself.
    RzComboBoxMode->setFont(tahomaFont(13, true));
    RzComboBoxMode->lineEdit()->setFont(tahomaFont(13, true));
    setTextColour(RzComboBoxMode, kModeColour);
    setTextColour(RzComboBoxMode->lineEdit(), kModeColour);

    RzListBoxMapReposit->setFont(arialFont(14, false));
    RzListBoxMap->setFont(arialFont(14, false));
    RzLabelInfa->setFont(arialFont(14, true, true));
    setTextColour(RzLabelInfa, kDescriptionColour);
    RzLabelInfa->setWordWrap(false);
    RzLabelInfa->setTextFormat(Qt::PlainText);
    RzLabelInfa->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    RzLblNameMap->setFont(arialFont(15, true));
    setTextColour(RzLblNameMap, kMapNameColour);
    RzLblNameMap->setFrameStyle(QFrame::Panel | QFrame::Raised);
    RzLblNameMap->setLineWidth(1);
    RzEditCommand->setFont(arialFont(14, false));

    setPicture(RzBitBtnListShabUp, "arrow_up");
    setPicture(RzBitBtnListShabDown, "arrow_down");
    setPicture(RzBitBtnNewShablon, "new");
    setPicture(RzBitBtnSaveShablon, "save");
    setPicture(RzBitBtnDelShablon, "delete");
    QIcon add = picture("arrow_right");
    add.addFile(QStringLiteral(":/art/arrow_right_disabled.png"), QSize(), QIcon::Disabled);
    RzBitBtnAddMap->setIcon(add);
    RzBitBtnAddMap->setIconSize(QSize(20, 20));
    setPicture(RzBitBtnDelMap, "arrow_left");
    RzBitBtnDelMap->setIconSize(QSize(20, 20));
    setPicture(RzBitBtnClearMap, "cross_red");
    setPicture(RzBitBtnListMapUp, "arrow_up");
    setPicture(RzBitBtnListMapDown, "arrow_down");
    setPicture(RzBitBtnCreateFiles, "files");
    setPicture(RzBitBtnRunServer, "run_server");
    setPicture(RzBitBtnRunClient, "run_client");
    setPicture(RzMenuButton1, "flag_chequered");
    setPicture(RzBitBtn1, "close");
    N2->setIcon(picture("ports_forward"));
    N3->setIcon(picture("ports_remove"));

    // Centred on the desktop, kept on it when the desktop is smaller than the window.
    if (QScreen* screen = this->screen()) {
        const QRect desktop = screen->availableGeometry();
        move(std::max(desktop.left(), desktop.center().x() - width() / 2),
             std::max(desktop.top(), desktop.center().y() - height() / 2));
    }
}

}  // namespace qz7
