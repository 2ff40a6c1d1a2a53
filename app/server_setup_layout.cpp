// Creation and placement of the setup window's controls, with their design-time values.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include "app/server_setup_window.h"
#include "settings/game_settings.h"

namespace qz7 {

namespace {

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* heading(QWidget* parent, const QString& caption, int x, int y, const char* name) {
    auto* label = named(new QLabel(caption, parent), name);
    label->setProperty("qz7role", "heading");
    label->move(x, y);
    label->adjustSize();
    return label;
}

QPushButton* commandButton(QWidget* parent, const QString& caption, const char* name,
                           QRect geometry) {
    auto* button = named(new QPushButton(caption, parent), name);
    button->setProperty("qz7role", "command");
    button->setGeometry(geometry);
    return button;
}

QComboBox* editableList(QWidget* parent, const char* name,
                        const std::vector<std::string_view>& choices, std::string_view value) {
    auto* box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (std::string_view choice : choices) box->addItem(text(choice));
    box->setCurrentText(text(value));
    return box;
}

}  // namespace

void TFmQZ7ServerSetup::createTemplateControls() {
    heading(this, QStringLiteral("Существующие шаблоны настроек сервера"), 12, 6,
            "RzLabelTemplates");

    RzLabelPrivat = named(new QLabel(QStringLiteral("Property Rovazid"), this), "RzLabelPrivat");
    RzLabelPrivat->setAlignment(Qt::AlignCenter);
    RzLabelPrivat->setGeometry(520, 4, 337, 22);

    RzListBoxListShablon = named(new QListWidget(this), "RzListBoxListShablon");
    RzListBoxListShablon->setToolTip(QStringLiteral("Создать новый наблон настроек"));
    RzListBoxListShablon->setGeometry(12, 28, 600, 110);
    RzListBoxListShablon->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    N1 = PopupMenu1->addAction(QStringLiteral("копировать"));
    N1->setObjectName(QStringLiteral("N1"));
    connect(RzListBoxListShablon, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(RzListBoxListShablon->mapToGlobal(at)); });

    RzBitBtnListShabUp =
        commandButton(this, QStringLiteral("Up"), "RzBitBtnListShabUp", {620, 28, 70, 28});
    RzBitBtnListShabDown =
        commandButton(this, QStringLiteral("Down"), "RzBitBtnListShabDown", {620, 60, 70, 28});
    RzBitBtnNewShablon =
        commandButton(this, QStringLiteral("Новый"), "RzBitBtnNewShablon", {705, 28, 152, 32});
    RzBitBtnNewShablon->setToolTip(QStringLiteral("Создать новый шаблон"));
    RzBitBtnSaveShablon =
        commandButton(this, QStringLiteral("Сохранить"), "RzBitBtnSaveShablon", {705, 66, 152, 32});
    RzBitBtnSaveShablon->setToolTip(QStringLiteral("Сохранить изменения"));
    RzBitBtnDelShablon =
        commandButton(this, QStringLiteral("Удалить"), "RzBitBtnDelShablon", {705, 104, 152, 32});
    RzBitBtnDelShablon->setToolTip(QStringLiteral("Удалить шаблон настроек"));
}

void TFmQZ7ServerSetup::createSettingsControls() {
    using L = SettingsFieldLabels;
    heading(this, QStringLiteral("Настройки игры"), 12, 144, "RzLabelSettings");
    RzGroupBox1 = named(new QGroupBox(this), "RzGroupBox1");
    RzGroupBox1->setGeometry(12, 162, 845, 206);

    // Lists and edit boxes in the left column, each with its caption at its right.
    int row = 0;
    auto place = [&](QWidget* control, std::string_view caption, int width) {
        const int y = 8 + row * 22;
        control->setGeometry(10, y, width, 21);
        auto* label = new QLabel(text(caption), RzGroupBox1);
        label->setObjectName(QStringLiteral("Label") + control->objectName());
        label->setProperty("qz7role", "caption");
        label->setGeometry(15 + width, y, 400 - width, 21);
        ++row;
    };
    GameSettings defaults;
    RzComboBoxMode = named(new QComboBox(RzGroupBox1), "RzComboBoxMode");
    RzComboBoxMode->setEditable(true);
    RzComboBoxMode->setInsertPolicy(QComboBox::NoInsert);
    RzComboBoxMode->setCurrentText(text(defaults.GameMode));
    place(RzComboBoxMode, L::GameMode, 190);
    RzComboBoxmaxHealth =
        editableList(RzGroupBox1, "RzComboBoxmaxHealth", maxHealthChoices(), defaults.MaxHealth);
    place(RzComboBoxmaxHealth, L::MaxHealth, 110);
    RzComboBoxLimiScore =
        editableList(RzGroupBox1, "RzComboBoxLimiScore", scoreLimitChoices(), defaults.ScoreLimit);
    place(RzComboBoxLimiScore, L::ScoreLimit, 110);
    RzEditTimeGames =
        named(new QLineEdit(text(defaults.TimeLimit), RzGroupBox1), "RzEditTimeGames");
    place(RzEditTimeGames, L::TimeLimit, 110);
    RzEditPasswordGames =
        named(new QLineEdit(text(defaults.Password), RzGroupBox1), "RzEditPasswordGames");
    place(RzEditPasswordGames, L::Password, 110);
    RzComboBoxLife = editableList(RzGroupBox1, "RzComboBoxLife", livesChoices(), defaults.Lives);
    place(RzComboBoxLife, L::Lives, 110);
    RzComboBoxNablud =
        editableList(RzGroupBox1, "RzComboBoxNablud", spectatorChoices(), defaults.Spectator);
    place(RzComboBoxNablud, L::Spectator, 160);
    RzComboBoxRegen =
        editableList(RzGroupBox1, "RzComboBoxRegen", healthRegenChoices(), defaults.HealthRegen);
    place(RzComboBoxRegen, L::HealthRegen, 160);
    RzEditMaxPlayer =
        named(new QLineEdit(text(defaults.MaxPlayers), RzGroupBox1), "RzEditMaxPlayer");
    place(RzEditMaxPlayer, L::MaxPlayers, 110);

    // The eleven switches in two columns at the right.
    int check = 0;
    auto checkBox = [&](const char* name, std::string_view caption, bool on) {
        auto* box = named(new QCheckBox(text(caption), RzGroupBox1), name);
        box->setProperty("qz7role", "caption");
        box->setChecked(on);
        box->setGeometry(check < 6 ? 420 : 640, 8 + (check % 6) * 30, check < 6 ? 215 : 200, 24);
        ++check;
        return box;
    };
    RzCheckBoxHard = checkBox("RzCheckBoxHard", L::Hardcore, defaults.Hardcore);
    RzCheckBoxfriendlyFire =
        checkBox("RzCheckBoxfriendlyFire", L::FriendlyFire, defaults.FriendlyFire);
    RzCheckBoxPodstvolOff =
        checkBox("RzCheckBoxPodstvolOff", L::NoUnderbarrel, defaults.NoUnderbarrel);
    RzCheckBoxShowKillCam = checkBox("RzCheckBoxShowKillCam", L::KillCam, defaults.KillCam);
    RzCheckBoxStandOff =
        checkBox("RzCheckBoxStandOff", L::NoDefaultClasses, defaults.NoDefaultClasses);
    RzCheckBoxPerk = checkBox("RzCheckBoxPerk", L::Perks, defaults.Perks);
    RzCheckBox3D = checkBox("RzCheckBox3D", L::ThirdPerson, defaults.ThirdPerson);
    RzCheckBoxUserClass = checkBox("RzCheckBoxUserClass", L::CustomClasses, defaults.CustomClasses);
    RzCheckBoxHeadShot = checkBox("RzCheckBoxHeadShot", L::HeadshotsOnly, defaults.HeadshotsOnly);
    RzCheckBoxRadar = checkBox("RzCheckBoxRadar", L::RadarAlwaysOn, defaults.RadarAlwaysOn);
    RzCheckBoxKillStreaks = checkBox("RzCheckBoxKillStreaks", L::Killstreaks, defaults.Killstreaks);

    // Keyboard order follows the order of the fields.
    QWidget* fieldOrder[] = {
        RzComboBoxMode,      RzComboBoxmaxHealth,    RzCheckBoxHard,        RzComboBoxLimiScore,
        RzEditTimeGames,     RzCheckBoxfriendlyFire, RzCheckBoxPodstvolOff, RzCheckBoxShowKillCam,
        RzCheckBoxStandOff,  RzEditPasswordGames,    RzCheckBoxPerk,        RzCheckBox3D,
        RzCheckBoxUserClass, RzCheckBoxHeadShot,     RzCheckBoxRadar,       RzCheckBoxKillStreaks,
        RzComboBoxLife,      RzComboBoxNablud,       RzComboBoxRegen,       RzEditMaxPlayer};
    for (std::size_t i = 1; i < std::size(fieldOrder); ++i)
        setTabOrder(fieldOrder[i - 1], fieldOrder[i]);
}

void TFmQZ7ServerSetup::createMapControls() {
    RzGroupBoxMaps = named(new QGroupBox(this), "RzGroupBoxMaps");
    RzGroupBoxMaps->setGeometry(12, 372, 845, 300);

    RzLabel5 = named(new QLabel(QStringLiteral("Описание карты:"), RzGroupBoxMaps), "RzLabel5");
    RzLabel5->setProperty("qz7role", "heading");
    RzLabel5->setGeometry(10, 8, 120, 22);
    RzLabelInfa =
        named(new QLabel(QStringLiteral("                    "), RzGroupBoxMaps), "RzLabelInfa");
    RzLabelInfa->setGeometry(132, 8, 703, 22);

    RzLabel7 =
        heading(RzGroupBoxMaps, QStringLiteral("Доступные игровые карты"), 10, 36, "RzLabel7");
    RzListBoxMapReposit = named(new QListWidget(RzGroupBoxMaps), "RzListBoxMapReposit");
    RzListBoxMapReposit->setGeometry(10, 56, 180, 234);

    RzBitBtnAddMap = commandButton(RzGroupBoxMaps, QString(), "RzBitBtnAddMap", {196, 90, 40, 30});
    RzBitBtnDelMap = commandButton(RzGroupBoxMaps, QString(), "RzBitBtnDelMap", {196, 126, 40, 30});
    RzBitBtnClearMap = commandButton(RzGroupBoxMaps, QStringLiteral("Cancel"), "RzBitBtnClearMap",
                                     {196, 162, 40, 30});

    RzLabel1 = heading(RzGroupBoxMaps, QStringLiteral("Карты шаблона"), 242, 36, "RzLabel1");
    RzListBoxMap = named(new QListWidget(RzGroupBoxMaps), "RzListBoxMap");
    RzListBoxMap->setGeometry(242, 56, 130, 234);
    RzBitBtnListMapUp =
        commandButton(RzGroupBoxMaps, QStringLiteral("Up"), "RzBitBtnListMapUp", {376, 90, 50, 30});
    RzBitBtnListMapDown = commandButton(RzGroupBoxMaps, QStringLiteral("Down"),
                                        "RzBitBtnListMapDown", {376, 126, 50, 30});

    RzPanel3 = named(new QWidget(RzGroupBoxMaps), "RzPanel3");
    RzPanel3->setGeometry(430, 36, 405, 230);
    Image1 = named(new QLabel(RzPanel3), "Image1");
    Image1->setGeometry(2, 2, 401, 226);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    RzLblNameMap =
        named(new QLabel(QStringLiteral("Описание карты:"), RzGroupBoxMaps), "RzLblNameMap");
    RzLblNameMap->setAlignment(Qt::AlignCenter);
    RzLblNameMap->setGeometry(430, 268, 405, 24);
}

void TFmQZ7ServerSetup::createCommandControls() {
    heading(this, QStringLiteral("Строка запуска сервера"), 12, 678, "RzLabelCommand");
    RzCheckBoxShans =
        named(new QCheckBox(text(SettingsFieldLabels::RandomMapChance), this), "RzCheckBoxShans");
    RzCheckBoxShans->setChecked(true);
    RzCheckBoxShans->setGeometry(240, 675, 500, 22);

    RzEditCommand =
        named(new QLineEdit(QStringLiteral("+set dedicated 1 +set sv_config server_mod.cfg  +set "
                                           "sv_hostname ^4~^1Host ^3Rovazid^4~+set sv_maprotation "
                                           "Manual_MapRot  +start_map_rotate"),
                            this),
              "RzEditCommand");
    RzEditCommand->setGeometry(12, 698, 845, 24);
    RzEditCommand->setCursorPosition(0);

    RzBitBtnCreateFiles = commandButton(this, QStringLiteral("Сформировать файлы "),
                                        "RzBitBtnCreateFiles", {12, 727, 180, 26});
    RzBitBtnCreateFiles->setToolTip(
        QStringLiteral("Сформировать файлы необходимые для запуска выделенного сервера"));
    RzBitBtnCreateFiles->setEnabled(false);
    RzBitBtnRunServer = commandButton(this, QStringLiteral("Запустить сервер     "),
                                      "RzBitBtnRunServer", {198, 727, 180, 26});
    RzBitBtnRunServer->setEnabled(false);
    RzBitBtnRunClient = commandButton(this, QStringLiteral("Запуск клиента  Tekno  "),
                                      "RzBitBtnRunClient", {384, 727, 190, 26});
    RzBitBtnRunClient->setToolTip(
        QStringLiteral("Если был запущен сервер. Обязательно дождитесь его полного запуска."));

    RzMenuButton1 =
        commandButton(this, QStringLiteral("Порты"), "RzMenuButton1", {580, 727, 120, 26});
    RzMenuButton1->setToolTip(
        QStringLiteral("При использовании роутера.\rЕсли у роутера включен "
                       "режим UpnP.\rПробрасываются порты необходимые для "
                       "работы сервера. "));
    PopupMenu2 = named(new QMenu(this), "PopupMenu2");
    N2 = PopupMenu2->addAction(QStringLiteral("Пробросить порты"));
    N2->setObjectName(QStringLiteral("N2"));
    N3 = PopupMenu2->addAction(QStringLiteral("Убрать порты"));
    N3->setObjectName(QStringLiteral("N3"));
    RzMenuButton1->setMenu(PopupMenu2);

    RzBitBtn1 =
        commandButton(this, QStringLiteral("Закрыть        "), "RzBitBtn1", {706, 727, 151, 26});
}

}  // namespace qz7
