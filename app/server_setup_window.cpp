#include "app/server_setup_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "app/list_selection.h"
#include "app/message_boxes.h"
#include "app/supervised_server_window.h"
#include "app/template_restore_dialog.h"
#include "platform/platform.h"
#include "platform/version_label.h"
#include "settings/settings_fields.h"
#include "settings/template_store.h"

namespace qz7 {

namespace {

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TFmQZ7ServerSetup::TFmQZ7ServerSetup(ProgramState& program, QWidget* parent)
    : QWidget(parent), program_(program) {
    setObjectName(QStringLiteral("FmQZ7ServerSetup"));
    createTemplateControls();
    createSettingsControls();
    createMapControls();
    createCommandControls();
    applyAppearance();
    connectEvents();
    FormCreate();
}

TFmQZ7ServerSetup::~TFmQZ7ServerSetup() = default;

void TFmQZ7ServerSetup::connectEvents() {
    // Every handler runs under the default error handling: an exception is shown and stops the
    // operation, and never crosses Qt's event dispatch.
    using Handler = void (TFmQZ7ServerSetup::*)();
    auto guarded = [this](Handler handler) {
        return [this, handler] { runWithDefaultErrorHandling([&] { (this->*handler)(); }); };
    };
    auto onClick = [&](QPushButton* button, Handler handler) {
        connect(button, &QPushButton::clicked, this, guarded(handler));
    };
    using Self = TFmQZ7ServerSetup;

    connectListClick(RzListBoxListShablon, guarded(&Self::LoadShablon));
    RzListBoxListShablon->installEventFilter(this);
    connect(N1, &QAction::triggered, this, guarded(&Self::N1Click));
    connect(N7, &QAction::triggered, this, guarded(&Self::N7Click));
    restoreHintTimer_ = new QTimer(this);
    restoreHintTimer_->setSingleShot(true);
    restoreHintTimer_->setInterval(5000);
    connect(restoreHintTimer_, &QTimer::timeout, RzLabelRestoreHint, &QWidget::hide);
    onClick(RzBitBtnListShabUp, &Self::RzBitBtnListShabUpClick);
    onClick(RzBitBtnListShabDown, &Self::RzBitBtnListShabDownClick);
    onClick(RzBitBtnNewShablon, &Self::RzBitBtnNewShablonClick);
    onClick(RzBitBtnSaveShablon, &Self::RzBitBtnSaveShablonClick);
    onClick(RzBitBtnDelShablon, &Self::RzBitBtnDelShablonClick);

    connectListClick(RzListBoxMapReposit, guarded(&Self::RzListBoxMapRepositClick));
    RzListBoxMapReposit->installEventFilter(this);
    connect(RzListBoxMapReposit, &QListWidget::itemDoubleClicked, this,
            guarded(&Self::RzBitBtnAddMapClick));
    connectListClick(RzListBoxMap, guarded(&Self::RzListBoxMapClick));
    onClick(RzBitBtnAddMap, &Self::RzBitBtnAddMapClick);
    onClick(RzBitBtnDelMap, &Self::RzBitBtnDelMapClick);
    onClick(RzBitBtnClearMap, &Self::RzBitBtnClearMapClick);
    onClick(RzBitBtnListMapUp, &Self::RzBitBtnListMapUpClick);
    onClick(RzBitBtnListMapDown, &Self::RzBitBtnListMapDownClick);

    onClick(RzBitBtnCreateFiles, &Self::RzBitBtnCreateFilesClick);
    onClick(RzBitBtnRunServer, &Self::RzBitBtnRunServerClick);
    onClick(RzBitBtnRunClient, &Self::RzBitBtnRunClientClick);
    connect(N2, &QAction::triggered, this, guarded(&Self::N2Click));
    connect(N3, &QAction::triggered, this, guarded(&Self::N3Click));
    connect(N4, &QAction::triggered, this, guarded(&Self::N4Click));
    if (N5 != nullptr) connect(N5, &QAction::triggered, this, guarded(&Self::N5Click));
    if (N6 != nullptr) connect(N6, &QAction::triggered, this, guarded(&Self::N6Click));
    onClick(RzBitBtn1, &Self::RzBitBtn5Click);
    onClick(RzBtnPrismotr, &Self::RzBtnPrismotrClick);
    RzBtnPrismotr->installEventFilter(this);
    // The serve's state on its button, every second while this window is shown.
    serveButtonTimer_ = new QTimer(this);
    serveButtonTimer_->setInterval(1000);
    connect(serveButtonTimer_, &QTimer::timeout, this,
            [this] { runWithDefaultErrorHandling([this] { refreshServeButton(); }); });
}

bool TFmQZ7ServerSetup::eventFilter(QObject* watched, QEvent* event) {
    // Enter opens the supervised server's window as a click does.
    if (watched == RzBtnPrismotr && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RzBtnPrismotr->animateClick();
            return true;
        }
    }
    // The catalogue shows the selection of the moment before the key moves it.
    if (watched == RzListBoxMapReposit && event->type() == QEvent::KeyPress)
        runWithDefaultErrorHandling([this] { RzListBoxMapRepositKeyDown(); });
    // The Menu key opens the template menu at the selected row (the mouse opens it where it
    // was pressed, through customContextMenuRequested).
    if (watched == RzListBoxListShablon && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        const int row = selectedRow(RzListBoxListShablon);
        showTemplateMenu(
            row >= 0
                ? RzListBoxListShablon->visualItemRect(RzListBoxListShablon->item(row)).bottomLeft()
                : QPoint(0, 0));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TFmQZ7ServerSetup::FormCreate() {
    Platform& platform = currentPlatform();
    const std::filesystem::path programFile = platform.programFile();

    PortsMapped = false;
    RzLabelPrivat->setText(
        fromUtf8(versionLabelText(RzLabelPrivat->text().toStdString(), programFile, platform)));

    gameFolder_ = std::filesystem::current_path();

    const QString shownMode = RzComboBoxMode->currentText();
    RzComboBoxMode->clear();
    for (const GameMode& mode : gameModeTable())
        RzComboBoxMode->addItem(QString::fromUtf8(mode.label.data(), qsizetype(mode.label.size())));
    setModeLabel(shownMode);

    loadMapCatalogue();

    TemplateStorePath = templateStoreFile(gameFolder_);
    loadTemplateStore();
}

void TFmQZ7ServerSetup::FormShow() { RzListBoxListShablon->setFocus(); }

void TFmQZ7ServerSetup::FormClose() {
    // A store that could not be read is left as it is; one that another program changed is read
    // again and not overwritten (storeMayBeRewritten says so).
    if (!templateStore_.readable() || !storeMayBeRewritten()) return;
    writeTemplateStore();
}

void TFmQZ7ServerSetup::RzBitBtn5Click() { close(); }

void TFmQZ7ServerSetup::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    runWithDefaultErrorHandling([this] { refreshServeButton(); });
    serveButtonTimer_->start();
    // Shown by the program, not restored from minimised by the window system: a restore must
    // not move the focus to the template list, where the next arrow key would apply a template.
    if (!event->spontaneous()) FormShow();
}

void TFmQZ7ServerSetup::hideEvent(QHideEvent* event) {
    serveButtonTimer_->stop();
    QWidget::hideEvent(event);
}

void TFmQZ7ServerSetup::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // A store that cannot be written keeps the window open, with every template still listed.
    if (runWithDefaultErrorHandling([this] { FormClose(); }))
        event->accept();
    else
        event->ignore();
}

void TFmQZ7ServerSetup::setModeLabel(const QString& label) {
    RzComboBoxMode->setCurrentText(label);
}

GameSettings TFmQZ7ServerSetup::readSettings() const {
    GameSettings settings;
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
        const SettingsField& field = kSettingsFields[i];
        QWidget* control = settingsControls_[i];
        switch (field.kind) {
            case FieldKind::Check:
                settings.*field.check = static_cast<QCheckBox*>(control)->isChecked();
                break;
            case FieldKind::List:
                settings.*field.text =
                    static_cast<QComboBox*>(control)->currentText().toStdString();
                break;
            case FieldKind::Text:
                settings.*field.text = static_cast<QLineEdit*>(control)->text().toStdString();
                break;
        }
    }
    return settings;
}

void TFmQZ7ServerSetup::writeSettings(const GameSettings& settings) {
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
        const SettingsField& field = kSettingsFields[i];
        QWidget* control = settingsControls_[i];
        switch (field.kind) {
            case FieldKind::Check:
                static_cast<QCheckBox*>(control)->setChecked(settings.*field.check);
                break;
            case FieldKind::List:
                if (field.flags & kPickOnly)
                    setModeLabel(fromUtf8(settings.*field.text));
                else
                    static_cast<QComboBox*>(control)->setCurrentText(
                        fromUtf8(settings.*field.text));
                break;
            case FieldKind::Text:
                static_cast<QLineEdit*>(control)->setText(fromUtf8(settings.*field.text));
                break;
        }
    }
}

std::vector<std::string> TFmQZ7ServerSetup::readRotation() const {
    std::vector<std::string> rotation;
    for (int i = 0; i < RzListBoxMap->count(); ++i)
        rotation.push_back(RzListBoxMap->item(i)->text().toStdString());
    return rotation;
}

}  // namespace qz7
