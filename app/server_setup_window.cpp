#include "app/server_setup_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include "app/list_selection.h"
#include "app/message_boxes.h"
#include "platform/platform.h"
#include "platform/version_label.h"
#include "settings/settings_fields.h"
#include "settings/template_store.h"

namespace qz7 {

namespace {

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TFmQZ7ServerSetup::TFmQZ7ServerSetup(ProgramState& program, QWidget* parent)
    : QWidget(parent), Program(program) {
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
    connectListClick(RzListBoxListShablon, [this] { LoadShablon(); });
    connect(N1, &QAction::triggered, this, [this] { N1Click(); });
    connect(RzBitBtnListShabUp, &QPushButton::clicked, this, [this] { RzBitBtnListShabUpClick(); });
    connect(RzBitBtnListShabDown, &QPushButton::clicked, this,
            [this] { RzBitBtnListShabDownClick(); });
    connect(RzBitBtnNewShablon, &QPushButton::clicked, this, [this] { RzBitBtnNewShablonClick(); });
    connect(RzBitBtnSaveShablon, &QPushButton::clicked, this,
            [this] { RzBitBtnSaveShablonClick(); });
    connect(RzBitBtnDelShablon, &QPushButton::clicked, this, [this] { RzBitBtnDelShablonClick(); });

    connect(RzComboBoxMode, &QComboBox::activated, this, [this] { RzComboBoxModeClick(); });
    connect(RzComboBoxMode->lineEdit(), &QLineEdit::textEdited, this,
            [this] { RzComboBoxModeChange(); });

    connectListClick(RzListBoxMapReposit, [this] { RzListBoxMapRepositClick(); });
    RzListBoxMapReposit->installEventFilter(this);
    connect(RzListBoxMapReposit, &QListWidget::itemDoubleClicked, this,
            [this] { RzBitBtnAddMapClick(); });
    connectListClick(RzListBoxMap, [this] { RzListBoxMapClick(); });
    connect(RzBitBtnAddMap, &QPushButton::clicked, this, [this] { RzBitBtnAddMapClick(); });
    connect(RzBitBtnDelMap, &QPushButton::clicked, this, [this] { RzBitBtnDelMapClick(); });
    connect(RzBitBtnClearMap, &QPushButton::clicked, this, [this] { RzBitBtnClearMapClick(); });
    connect(RzBitBtnListMapUp, &QPushButton::clicked, this, [this] { RzBitBtnListMapUpClick(); });
    connect(RzBitBtnListMapDown, &QPushButton::clicked, this,
            [this] { RzBitBtnListMapDownClick(); });

    connect(RzBitBtnCreateFiles, &QPushButton::clicked, this,
            [this] { RzBitBtnCreateFilesClick(); });
    connect(RzBitBtnRunServer, &QPushButton::clicked, this, [this] { RzBitBtnRunServerClick(); });
    connect(RzBitBtnRunClient, &QPushButton::clicked, this, [this] { RzBitBtnRunClientClick(); });
    connect(N2, &QAction::triggered, this, [this] { N2Click(); });
    connect(N3, &QAction::triggered, this, [this] { N3Click(); });
    connect(N4, &QAction::triggered, this, [this] { N4Click(); });
    connect(RzBitBtn1, &QPushButton::clicked, this, [this] { RzBitBtn5Click(); });
}

bool TFmQZ7ServerSetup::eventFilter(QObject* watched, QEvent* event) {
    // The catalogue shows the selection of the moment before the key moves it.
    if (watched == RzListBoxMapReposit && event->type() == QEvent::KeyPress)
        RzListBoxMapRepositKeyDown();
    return QWidget::eventFilter(watched, event);
}

void TFmQZ7ServerSetup::FormCreate() {
    Platform& platform = currentPlatform();
    const std::filesystem::path programFile = platform.programFile();

    PortsMapped = false;
    RzLabelPrivat->setText(
        fromUtf8(versionLabelText(RzLabelPrivat->text().toStdString(), programFile, platform)));

    GameFolder = std::filesystem::current_path();

    const QString shownMode = RzComboBoxMode->currentText();
    RzComboBoxMode->clear();
    for (const GameMode& mode : gameModeTable())
        RzComboBoxMode->addItem(QString::fromUtf8(mode.label.data(), qsizetype(mode.label.size())));
    setModeLabel(shownMode);

    loadMapCatalogue();

    TemplateStorePath = templateStoreFile(GameFolder);
    loadTemplateStore();
}

void TFmQZ7ServerSetup::FormShow() { RzListBoxListShablon->setFocus(); }

void TFmQZ7ServerSetup::FormClose() { writeTemplateStore(); }

void TFmQZ7ServerSetup::RzBitBtn5Click() { close(); }

void TFmQZ7ServerSetup::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
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
    RememberedModeLabel = label;
    RzComboBoxMode->setCurrentText(label);
}

void TFmQZ7ServerSetup::RzComboBoxModeClick() {
    RememberedModeLabel = RzComboBoxMode->currentText();
}

void TFmQZ7ServerSetup::RzComboBoxModeChange() {
    // The mode takes its value only from its list: a typed edit is undone at once.
    RzComboBoxMode->setCurrentText(RememberedModeLabel);
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
