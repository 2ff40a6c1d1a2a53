// The look of the setup window: caption, size and place, background texture, fonts, colours and
// the pictures of the buttons.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>

#include "app/server_setup_window.h"
#include "app/window_fonts.h"
#include "app/window_frames.h"
#include "app/window_look.h"

namespace qz7 {

namespace {

const QColor kCaptionColour(106, 0, 0);
const QColor kModeColour(0, 0, 210);
const QColor kPrivatColour(0, 0, 255);
const QColor kDescriptionColour(0, 0, 202);
const QColor kMapNameColour(119, 0, 0);

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

// The selected row keeps its full highlight while the window is not the active one: the map
// whose picture is shown stays marked in the catalogue (Windows' own inactive highlight is a
// grey barely darker than the list).
void keepSelectionMarked(QListWidget* list) {
    QPalette palette = list->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setBrush(QPalette::Inactive, role, palette.brush(QPalette::Active, role));
    list->setPalette(palette);
}

// Makes a list box tall enough for the line of its font in its edit field, where the style's
// frame leaves less room than the box's row gives (Windows' style at 13 pixels bold).
void growToHoldItsLine(QComboBox* box) {
    QStyleOptionComboBox option;
    option.initFrom(box);
    option.editable = box->isEditable();
    const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, box);
    const int missing = box->fontMetrics().height() - field.height();
    if (missing > 0) box->resize(box->width(), box->height() + missing);
}

QIcon picture(const char* name) {
    return QIcon(QStringLiteral(":/art/") + QLatin1String(name) + QStringLiteral(".png"));
}

void setPicture(QPushButton* button, const char* name) {
    button->setIcon(picture(name));
    button->setIconSize(QSize(16, 16));
}

// Fonts, colours, the texture and the pictures: put in place when the window is first shown,
// before it is first painted, so that a start-up that never shows the window does not pay for
// them.
void applyLook(TFmQZ7ServerSetup& window) {
    window.setFont(windowDefaultFont());
    applyWorkingWindowLook(window);

    const QFont headingFont = tahomaFont(13, true);
    const QFont captionFont = arialNarrowFont(15, true);
    for (QWidget* child : window.findChildren<QWidget*>()) {
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

    window.RzLabelPrivat->setFont(arialFont(14, true));
    setTextColour(window.RzLabelPrivat, kPrivatColour);
    window.RzListBoxListShablon->setFont(arialFont(14, true));

    // The box's own edit line does not follow the box's font by itself.
    window.RzComboBoxMode->setFont(tahomaFont(13, true));
    window.RzComboBoxMode->lineEdit()->setFont(tahomaFont(13, true));
    setTextColour(window.RzComboBoxMode, kModeColour);
    setTextColour(window.RzComboBoxMode->lineEdit(), kModeColour);
    growToHoldItsLine(window.RzComboBoxMode);

    window.RzListBoxMapReposit->setFont(arialFont(14, false));
    window.RzListBoxMap->setFont(arialFont(14, false));
    window.RzLabelInfa->setFont(arialFont(14, true, true));
    setTextColour(window.RzLabelInfa, kDescriptionColour);
    window.RzLblNameMap->setFont(arialFont(15, true));
    setTextColour(window.RzLblNameMap, kMapNameColour);
    window.RzEditCommand->setFont(arialFont(14, false));
    // A link: the supervised server's state, underlined as a way to its window.
    QFont link = windowDefaultFont();
    link.setUnderline(true);
    window.RzBtnPrismotr->setFont(link);
    for (QListWidget* list :
         {window.RzListBoxListShablon, window.RzListBoxMapReposit, window.RzListBoxMap})
        keepSelectionMarked(list);

    setPicture(window.RzBitBtnListShabUp, "arrow_up");
    setPicture(window.RzBitBtnListShabDown, "arrow_down");
    setPicture(window.RzBitBtnNewShablon, "new");
    setPicture(window.RzBitBtnSaveShablon, "save");
    setPicture(window.RzBitBtnDelShablon, "delete");
    QIcon add = picture("arrow_right");
    add.addFile(QStringLiteral(":/art/arrow_right_disabled.png"), QSize(), QIcon::Disabled);
    window.RzBitBtnAddMap->setIcon(add);
    window.RzBitBtnAddMap->setIconSize(QSize(20, 20));
    setPicture(window.RzBitBtnDelMap, "arrow_left");
    window.RzBitBtnDelMap->setIconSize(QSize(20, 20));
    setPicture(window.RzBitBtnClearMap, "cross_red");
    // The rotation's Up and Down stand in a narrow column beside the rotation: captions only.
    setPicture(window.RzBitBtnCreateFiles, "files");
    setPicture(window.RzBitBtnRunServer, "run_server");
    setPicture(window.RzBitBtnRunClient, "run_client");
    setPicture(window.RzMenuButton1, "flag_chequered");
    setPicture(window.RzBitBtn1, "close");
    window.N2->setIcon(picture("ports_forward"));
    window.N3->setIcon(picture("ports_remove"));
    window.N4->setIcon(picture("flag_chequered"));
}

// Runs applyLook once, when the window is first shown.
class LookOnFirstShow : public QObject {
  public:
    explicit LookOnFirstShow(TFmQZ7ServerSetup& window) : QObject(&window), window_(window) {
        window_.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            window_.removeEventFilter(this);
            applyLook(window_);
            deleteLater();
        }
        return false;
    }

  private:
    TFmQZ7ServerSetup& window_;
};

}  // namespace

void TFmQZ7ServerSetup::applyAppearance() {
    setWindowTitle(QStringLiteral("Настройка выделенного сервера QZ7 для TeknoGods 2.8.0.4"));
    setWindowFlags(kFixedSingleFrame);
    setFixedSize(869, 756);

    // Layout properties that do not change how much text a control holds.
    RzLabelInfa->setWordWrap(false);
    RzLabelInfa->setTextFormat(Qt::PlainText);
    RzLabelInfa->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    RzLblNameMap->setFrameStyle(QFrame::Panel | QFrame::Raised);
    RzLblNameMap->setLineWidth(1);

    // Centred on the desktop, kept on it when the desktop is smaller than the window.
    if (QScreen* screen = this->screen()) {
        const QRect desktop = screen->availableGeometry();
        move(std::max(desktop.left(), desktop.center().x() - width() / 2),
             std::max(desktop.top(), desktop.center().y() - height() / 2));
    }
    new LookOnFirstShow(*this);
}

}  // namespace qz7
