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
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/version_label.h"

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

    TemplateStorePath = gamePath(GameFolder, "\\ServerSetup_QZ7.cfg");
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
    GameSettings s;
    s.GameMode = RzComboBoxMode->currentText().toStdString();
    s.MaxHealth = RzComboBoxmaxHealth->currentText().toStdString();
    s.Hardcore = RzCheckBoxHard->isChecked();
    s.ScoreLimit = RzComboBoxLimiScore->currentText().toStdString();
    s.TimeLimit = RzEditTimeGames->text().toStdString();
    s.FriendlyFire = RzCheckBoxfriendlyFire->isChecked();
    s.NoUnderbarrel = RzCheckBoxPodstvolOff->isChecked();
    s.KillCam = RzCheckBoxShowKillCam->isChecked();
    s.NoDefaultClasses = RzCheckBoxStandOff->isChecked();
    s.Password = RzEditPasswordGames->text().toStdString();
    s.Perks = RzCheckBoxPerk->isChecked();
    s.ThirdPerson = RzCheckBox3D->isChecked();
    s.CustomClasses = RzCheckBoxUserClass->isChecked();
    s.HeadshotsOnly = RzCheckBoxHeadShot->isChecked();
    s.RadarAlwaysOn = RzCheckBoxRadar->isChecked();
    s.Killstreaks = RzCheckBoxKillStreaks->isChecked();
    s.Lives = RzComboBoxLife->currentText().toStdString();
    s.Spectator = RzComboBoxNablud->currentText().toStdString();
    s.HealthRegen = RzComboBoxRegen->currentText().toStdString();
    s.MaxPlayers = RzEditMaxPlayer->text().toStdString();
    return s;
}

void TFmQZ7ServerSetup::writeSettings(const GameSettings& s) {
    setModeLabel(fromUtf8(s.GameMode));
    RzComboBoxmaxHealth->setCurrentText(fromUtf8(s.MaxHealth));
    RzCheckBoxHard->setChecked(s.Hardcore);
    RzComboBoxLimiScore->setCurrentText(fromUtf8(s.ScoreLimit));
    RzEditTimeGames->setText(fromUtf8(s.TimeLimit));
    RzCheckBoxfriendlyFire->setChecked(s.FriendlyFire);
    RzCheckBoxPodstvolOff->setChecked(s.NoUnderbarrel);
    RzCheckBoxShowKillCam->setChecked(s.KillCam);
    RzCheckBoxStandOff->setChecked(s.NoDefaultClasses);
    RzEditPasswordGames->setText(fromUtf8(s.Password));
    RzCheckBoxPerk->setChecked(s.Perks);
    RzCheckBox3D->setChecked(s.ThirdPerson);
    RzCheckBoxUserClass->setChecked(s.CustomClasses);
    RzCheckBoxHeadShot->setChecked(s.HeadshotsOnly);
    RzCheckBoxRadar->setChecked(s.RadarAlwaysOn);
    RzCheckBoxKillStreaks->setChecked(s.Killstreaks);
    RzComboBoxLife->setCurrentText(fromUtf8(s.Lives));
    RzComboBoxNablud->setCurrentText(fromUtf8(s.Spectator));
    RzComboBoxRegen->setCurrentText(fromUtf8(s.HealthRegen));
    RzEditMaxPlayer->setText(fromUtf8(s.MaxPlayers));
}

std::vector<std::string> TFmQZ7ServerSetup::readRotation() const {
    std::vector<std::string> rotation;
    for (int i = 0; i < RzListBoxMap->count(); ++i)
        rotation.push_back(RzListBoxMap->item(i)->text().toStdString());
    return rotation;
}

}  // namespace qz7
