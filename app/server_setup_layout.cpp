// Creation and placement of the setup window's controls, with their design-time values. The
// window is 869 x 756 and holds four regions, top to bottom: templates, game settings, maps,
// command line with the command buttons.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include "app/editable_box.h"
#include "app/named_controls.h"
#include "app/server_setup_window.h"
#include "platform/firewall.h"
#include "server/launchers.h"
#include "settings/game_settings.h"
#include "settings/settings_fields.h"

namespace qz7 {

namespace {

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QLabel* heading(QWidget* parent, const QString& caption, QRect geometry, const char* name) {
    auto* label = named(new QLabel(caption, parent), name);
    label->setProperty("qz7role", "heading");
    label->setGeometry(geometry);
    return label;
}

QComboBox* editableList(QWidget* parent, const char* name,
                        const std::vector<std::string_view>& choices, std::string_view value) {
    auto* box = named(new QComboBox(parent), name);
    makeEditable(box);
    for (std::string_view choice : choices) box->addItem(text(choice));
    box->setCurrentText(text(value));
    return box;
}

// Region tops and heights.
constexpr int kMargin = 12;
constexpr int kWidth = 869 - 2 * kMargin;
constexpr int kSettingsTop = 132;
constexpr int kMapsTop = 362;
constexpr int kCommandTop = 660;

}  // namespace

void TFmQZ7ServerSetup::createTemplateControls() {
    heading(this, QStringLiteral("Существующие шаблоны настроек сервера"), {kMargin, 6, 420, 18},
            "RzLabelTemplates");

    RzLabelPrivat = named(new QLabel(QStringLiteral("Property Rovazid"), this), "RzLabelPrivat");
    RzLabelPrivat->setAlignment(Qt::AlignCenter);
    RzLabelPrivat->setGeometry(520, 4, 337, 20);

    RzListBoxListShablon = named(new QListWidget(this), "RzListBoxListShablon");
    RzListBoxListShablon->setToolTip(QStringLiteral("Создать новый наблон настроек"));
    RzListBoxListShablon->setGeometry(kMargin, 28, 600, 100);
    RzListBoxListShablon->setContextMenuPolicy(Qt::CustomContextMenu);
    // Every entry is one line of the same font: the list measures one entry, not each of
    // thousands, and a longer name is cut at the list's edge.
    RzListBoxListShablon->setUniformItemSizes(true);
    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    N1 = PopupMenu1->addAction(QStringLiteral("копировать"));
    N1->setObjectName(QStringLiteral("N1"));
    N7 = PopupMenu1->addAction(QStringLiteral("Вернуть шаблон…"));
    N7->setObjectName(QStringLiteral("N7"));
    N7->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    N7->setShortcutVisibleInContextMenu(true);
    addAction(N7);  // the shortcut works anywhere in the window, not only in the open menu
    // A mouse's context menu request comes in viewport coordinates; the Menu key's is taken
    // apart in eventFilter.
    connect(RzListBoxListShablon, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showTemplateMenu(at); });

    RzBitBtnListShabUp =
        commandButton(this, QStringLiteral("Up"), "RzBitBtnListShabUp", {620, 28, 78, 30});
    RzBitBtnListShabDown =
        commandButton(this, QStringLiteral("Down"), "RzBitBtnListShabDown", {620, 63, 78, 30});
    RzBitBtnNewShablon =
        commandButton(this, QStringLiteral("Новый"), "RzBitBtnNewShablon", {706, 28, 151, 30});
    RzBitBtnNewShablon->setToolTip(QStringLiteral("Создать новый шаблон"));
    RzBitBtnSaveShablon =
        commandButton(this, QStringLiteral("Сохранить"), "RzBitBtnSaveShablon", {706, 63, 151, 30});
    RzBitBtnSaveShablon->setToolTip(QStringLiteral("Сохранить изменения"));
    RzBitBtnDelShablon =
        commandButton(this, QStringLiteral("Удалить"), "RzBitBtnDelShablon", {706, 98, 151, 30});
    RzBitBtnDelShablon->setToolTip(QStringLiteral("Удалить шаблон настроек"));
    RzLabelRestoreHint = named(new QLabel(this), "RzLabelRestoreHint");
    RzLabelRestoreHint->setGeometry(320, kSettingsTop, kWidth + kMargin - 320, 18);
    RzLabelRestoreHint->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    RzLabelRestoreHint->hide();
}

void TFmQZ7ServerSetup::createSettingsControls() {
    heading(this, QStringLiteral("Настройки игры"), {kMargin, kSettingsTop, 300, 18},
            "RzLabelSettings");
    RzGroupBox1 = named(new QGroupBox(this), "RzGroupBox1");
    RzGroupBox1->setGeometry(kMargin, kSettingsTop + 20, kWidth, 206);

    // Lists and edit boxes in the left column, one a row, each with its caption at its right.
    constexpr int kRowPitch = 22;
    constexpr int kColumnRight = 342;
    int row = 0;
    // Each control is kept at its field's position, for reading, writing and keyboard order.
    auto place = [&](QWidget* control, auto GameSettings::*member, int width) {
        const std::size_t field = settingsFieldIndex(member);
        settingsControls_[field] = control;
        const std::string_view caption = kSettingsFields[field].caption;
        const int y = 6 + row * kRowPitch;
        control->setGeometry(10, y, width, 21);
        const int captionLeft = 10 + width + 6;
        auto* label = new QLabel(text(caption), RzGroupBox1);
        label->setObjectName(QStringLiteral("Label") + control->objectName());
        label->setProperty("qz7role", "caption");
        label->setGeometry(captionLeft, y, kColumnRight - captionLeft, 21);
        ++row;
    };
    GameSettings defaults;
    RzComboBoxMode = named(new QComboBox(RzGroupBox1), "RzComboBoxMode");
    // Editable, so that it can show a label the table lacks (from a template), but its text is
    // read-only: the mode is picked from the list, and typing is refused without any edit to
    // undo.
    makeEditable(RzComboBoxMode);
    RzComboBoxMode->lineEdit()->setReadOnly(true);
    RzComboBoxMode->setCurrentText(text(defaults.GameMode));
    place(RzComboBoxMode, &GameSettings::GameMode, 214);
    RzComboBoxmaxHealth =
        editableList(RzGroupBox1, "RzComboBoxmaxHealth", maxHealthChoices(), defaults.MaxHealth);
    place(RzComboBoxmaxHealth, &GameSettings::MaxHealth, 80);
    RzComboBoxLimiScore =
        editableList(RzGroupBox1, "RzComboBoxLimiScore", scoreLimitChoices(), defaults.ScoreLimit);
    place(RzComboBoxLimiScore, &GameSettings::ScoreLimit, 80);
    RzEditTimeGames =
        named(new QLineEdit(text(defaults.TimeLimit), RzGroupBox1), "RzEditTimeGames");
    place(RzEditTimeGames, &GameSettings::TimeLimit, 80);
    RzEditPasswordGames =
        named(new QLineEdit(text(defaults.Password), RzGroupBox1), "RzEditPasswordGames");
    place(RzEditPasswordGames, &GameSettings::Password, 130);
    RzComboBoxLife = editableList(RzGroupBox1, "RzComboBoxLife", livesChoices(), defaults.Lives);
    place(RzComboBoxLife, &GameSettings::Lives, 100);
    RzComboBoxNablud =
        editableList(RzGroupBox1, "RzComboBoxNablud", spectatorChoices(), defaults.Spectator);
    place(RzComboBoxNablud, &GameSettings::Spectator, 130);
    RzComboBoxRegen =
        editableList(RzGroupBox1, "RzComboBoxRegen", healthRegenChoices(), defaults.HealthRegen);
    place(RzComboBoxRegen, &GameSettings::HealthRegen, 130);
    RzEditMaxPlayer =
        named(new QLineEdit(text(defaults.MaxPlayers), RzGroupBox1), "RzEditMaxPlayer");
    place(RzEditMaxPlayer, &GameSettings::MaxPlayers, 80);

    // The eleven switches in two columns at the right, in field order down each column.
    constexpr int kChecksPerColumn = 6;
    constexpr int kColumnLeft[] = {346, 580};
    constexpr int kColumnWidth[] = {232, 262};
    int check = 0;
    auto checkBox = [&](const char* name, bool GameSettings::*member) {
        const std::size_t field = settingsFieldIndex(member);
        auto* box = named(new QCheckBox(text(kSettingsFields[field].caption), RzGroupBox1), name);
        settingsControls_[field] = box;
        box->setProperty("qz7role", "caption");
        box->setChecked(defaults.*member);
        const int column = check / kChecksPerColumn;
        box->setGeometry(kColumnLeft[column], 8 + (check % kChecksPerColumn) * 32,
                         kColumnWidth[column], 24);
        ++check;
        return box;
    };
    RzCheckBoxHard = checkBox("RzCheckBoxHard", &GameSettings::Hardcore);
    RzCheckBoxfriendlyFire = checkBox("RzCheckBoxfriendlyFire", &GameSettings::FriendlyFire);
    RzCheckBoxPodstvolOff = checkBox("RzCheckBoxPodstvolOff", &GameSettings::NoUnderbarrel);
    RzCheckBoxShowKillCam = checkBox("RzCheckBoxShowKillCam", &GameSettings::KillCam);
    RzCheckBoxStandOff = checkBox("RzCheckBoxStandOff", &GameSettings::NoDefaultClasses);
    RzCheckBoxPerk = checkBox("RzCheckBoxPerk", &GameSettings::Perks);
    RzCheckBox3D = checkBox("RzCheckBox3D", &GameSettings::ThirdPerson);
    RzCheckBoxUserClass = checkBox("RzCheckBoxUserClass", &GameSettings::CustomClasses);
    RzCheckBoxHeadShot = checkBox("RzCheckBoxHeadShot", &GameSettings::HeadshotsOnly);
    RzCheckBoxRadar = checkBox("RzCheckBoxRadar", &GameSettings::RadarAlwaysOn);
    RzCheckBoxKillStreaks = checkBox("RzCheckBoxKillStreaks", &GameSettings::Killstreaks);

    // Keyboard order follows the order of the fields.
    for (std::size_t i = 1; i < settingsControls_.size(); ++i)
        setTabOrder(settingsControls_[i - 1], settingsControls_[i]);
}

void TFmQZ7ServerSetup::createMapControls() {
    RzGroupBoxMaps = named(new QGroupBox(this), "RzGroupBoxMaps");
    RzGroupBoxMaps->setGeometry(kMargin, kMapsTop, kWidth, 292);

    // The description line across the top.
    RzLabel5 = named(new QLabel(QStringLiteral("Описание карты:"), RzGroupBoxMaps), "RzLabel5");
    RzLabel5->setProperty("qz7role", "heading");
    RzLabel5->setGeometry(10, 6, 124, 22);
    RzLabelInfa =
        named(new QLabel(QStringLiteral("                    "), RzGroupBoxMaps), "RzLabelInfa");
    RzLabelInfa->setGeometry(136, 6, kWidth - 146, 22);

    // Catalogue, add / remove / clear, rotation with its Up and Down at its right, one under the
    // other; the preview takes the rest of the width.
    constexpr int kListTop = 54;
    constexpr int kListBottom = 282;
    constexpr int kPreviewLeft = kWidth - 8 - 405;
    constexpr int kMoveWidth = 54;
    constexpr int kMoveLeft = kPreviewLeft - 6 - kMoveWidth;
    constexpr int kRotationLeft = 248;
    heading(RzGroupBoxMaps, QStringLiteral("Доступные игровые карты"), {10, 34, 200, 18},
            "RzLabel7");
    RzListBoxMapReposit = named(new QListWidget(RzGroupBoxMaps), "RzListBoxMapReposit");
    RzListBoxMapReposit->setGeometry(10, kListTop, 148, kListBottom - kListTop);

    RzBitBtnAddMap = commandButton(RzGroupBoxMaps, QString(), "RzBitBtnAddMap", {164, 96, 78, 30});
    RzBitBtnDelMap = commandButton(RzGroupBoxMaps, QString(), "RzBitBtnDelMap", {164, 132, 78, 30});
    RzBitBtnClearMap = commandButton(RzGroupBoxMaps, QStringLiteral("Cancel"), "RzBitBtnClearMap",
                                     {164, 168, 78, 30});

    heading(RzGroupBoxMaps, QStringLiteral("Карты шаблона"), {kRotationLeft, 34, 140, 18},
            "RzLabel1");
    RzListBoxMap = named(new QListWidget(RzGroupBoxMaps), "RzListBoxMap");
    RzListBoxMap->setGeometry(kRotationLeft, kListTop, kMoveLeft - 4 - kRotationLeft,
                              kListBottom - kListTop);
    RzBitBtnListMapUp = commandButton(RzGroupBoxMaps, QStringLiteral("Up"), "RzBitBtnListMapUp",
                                      {kMoveLeft, kListTop, kMoveWidth, 30});
    RzBitBtnListMapDown =
        commandButton(RzGroupBoxMaps, QStringLiteral("Down"), "RzBitBtnListMapDown",
                      {kMoveLeft, kListTop + 36, kMoveWidth, 30});

    // The preview in its grooved frame, the map's name under it.
    auto* frame = named(new QFrame(RzGroupBoxMaps), "RzPanel3");
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setLineWidth(1);
    frame->setGeometry(kPreviewLeft, 32, 405, 230);
    RzPanel3 = frame;
    Image1 = named(new QLabel(RzPanel3), "Image1");
    Image1->setGeometry(2, 2, 401, 226);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    RzLblNameMap =
        named(new QLabel(QStringLiteral("Описание карты:"), RzGroupBoxMaps), "RzLblNameMap");
    RzLblNameMap->setAlignment(Qt::AlignCenter);
    RzLblNameMap->setGeometry(kPreviewLeft, 264, 405, 22);
}

void TFmQZ7ServerSetup::createCommandControls() {
    heading(this, QStringLiteral("Строка запуска сервера"), {kMargin, kCommandTop + 2, 190, 18},
            "RzLabelCommand");
    RzCheckBoxShans = named(new QCheckBox(text(kRandomMapChanceCaption), this), "RzCheckBoxShans");
    RzCheckBoxShans->setProperty("qz7role", "caption");
    RzCheckBoxShans->setChecked(true);
    RzCheckBoxShans->setGeometry(220, kCommandTop, 420, 22);

    RzEditCommand =
        named(new QLineEdit(QString::fromUtf8(kDefaultLauncherParameters), this), "RzEditCommand");
    RzEditCommand->setGeometry(kMargin, kCommandTop + 24, kWidth, 26);
    RzEditCommand->setCursorPosition(0);

    constexpr int kButtonTop = kCommandTop + 56;
    RzBitBtnCreateFiles = commandButton(this, QStringLiteral("Сформировать файлы "),
                                        "RzBitBtnCreateFiles", {kMargin, kButtonTop, 196, 32});
    RzBitBtnCreateFiles->setToolTip(
        QStringLiteral("Сформировать файлы необходимые для запуска выделенного сервера"));
    RzBitBtnCreateFiles->setEnabled(false);
    RzBitBtnRunServer = commandButton(this, QStringLiteral("Запустить сервер     "),
                                      "RzBitBtnRunServer", {216, kButtonTop, 180, 32});
    RzBitBtnRunServer->setEnabled(false);
    RzBitBtnRunClient = commandButton(this, QStringLiteral("Запуск клиента  Tekno  "),
                                      "RzBitBtnRunClient", {404, kButtonTop, 204, 32});
    RzBitBtnRunClient->setToolTip(
        QStringLiteral("Если был запущен сервер. Обязательно дождитесь его полного запуска."));

    RzMenuButton1 =
        commandButton(this, QStringLiteral("Порты"), "RzMenuButton1", {616, kButtonTop, 104, 32});
    // The hint's lines are separated by single carriage returns, which Qt draws as blanks: the
    // tooltip shows them as line feeds.
    const QString portsHint = QStringLiteral(
        "При использовании роутера.\rЕсли у роутера включен режим UpnP.\rПробрасываются порты "
        "необходимые для работы сервера. ");
    RzMenuButton1->setToolTip(QString(portsHint).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    PopupMenu2 = named(new QMenu(this), "PopupMenu2");
    N2 = PopupMenu2->addAction(QStringLiteral("Пробросить порты"));
    N2->setObjectName(QStringLiteral("N2"));
    N3 = PopupMenu2->addAction(QStringLiteral("Убрать порты"));
    N3->setObjectName(QStringLiteral("N3"));
    N4 = PopupMenu2->addAction(QStringLiteral("Проверить порты"));
    N4->setObjectName(QStringLiteral("N4"));
    // Windows' firewall blocks the server whatever the router forwards; other systems have none
    // the program manages, and their menu has no such items.
    if (currentFirewall().available()) {
        PopupMenu2->addSeparator();
        N5 = PopupMenu2->addAction(QStringLiteral("Открыть порты в брандмауэре"));
        N5->setObjectName(QStringLiteral("N5"));
        N6 = PopupMenu2->addAction(QStringLiteral("Убрать правила брандмауэра"));
        N6->setObjectName(QStringLiteral("N6"));
    }
    RzMenuButton1->setMenu(PopupMenu2);

    RzBitBtn1 = commandButton(this, QStringLiteral("Закрыть        "), "RzBitBtn1",
                              {728, kButtonTop, 129, 32});

    // In the strip right of the random-chance box, above the command line: the supervised
    // server's state, a way to its window. Its text is set when the window is shown.
    RzBtnPrismotr = named(new QPushButton(this), "RzBtnPrismotr");
    RzBtnPrismotr->setProperty("qz7role", "link");
    RzBtnPrismotr->setFlat(true);
    RzBtnPrismotr->setFocusPolicy(Qt::StrongFocus);
    RzBtnPrismotr->setGeometry(644, kCommandTop, kMargin + kWidth - 644, 22);
    setTabOrder(RzCheckBoxShans, RzBtnPrismotr);
    setTabOrder(RzBtnPrismotr, RzEditCommand);
}

}  // namespace qz7
