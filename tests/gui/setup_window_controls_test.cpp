#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <ctime>

#include "../support/local_moment.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "platform/firewall.h"
#include "platform/platform.h"
#include "settings/settings_fields.h"
#include "support/caption_fit.h"
#include "support/served_folder.h"
#include "support/typing.h"
#include "tests/support/pass_through_platform.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;
using testing::typeText;

namespace {

// A platform whose program file has a fixed version record and date.
class FixedProgramFilePlatform : public testing::PassThroughPlatform {
  public:
    std::string version;
    std::optional<std::chrono::system_clock::time_point> modified;
    std::string separator = "/";

    std::string fileVersion(const std::filesystem::path& file) override {
        return file == programFile() ? version : std::string();
    }
    std::filesystem::path programFile() override { return "/games/qz7/qz7manager"; }
    std::optional<std::chrono::system_clock::time_point> lastModified(
        const std::filesystem::path& file) override {
        return file == programFile() ? modified : std::nullopt;
    }
    std::string dateSeparator() override { return separator; }
};

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

QStringList texts(const std::vector<std::string_view>& values) {
    QStringList list;
    for (std::string_view value : values) list << QString::fromUtf8(value.data(), value.size());
    return list;
}

}  // namespace

class SetupWindowControlsTest : public QObject {
    Q_OBJECT

    testing::TemporaryGameFolder* folder = nullptr;
    ProgramState program;
    TFmQZ7ServerSetup* window = nullptr;

    template <typename T>
    T* control(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

  private slots:
    void init() {
        folder = new testing::TemporaryGameFolder;
        window = new TFmQZ7ServerSetup(program);
    }
    void cleanup() {
        delete window;
        delete folder;
    }

    void controlsCarryTheirNamesAndDesignTimeValues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("expected");
        auto row = [](const char* name, const char* property, const QVariant& expected) {
            QTest::addRow("%s.%s", name, property)
                << QString::fromLatin1(name) << QByteArray(property) << expected;
        };
        // Templates
        row("RzListBoxListShablon", "toolTip", QStringLiteral("Создать новый наблон настроек"));
        row("RzListBoxListShablon", "count", 0);
        row("N1", "text", QStringLiteral("копировать"));
        row("RzBitBtnListShabUp", "text", QStringLiteral("Up"));
        row("RzBitBtnListShabDown", "text", QStringLiteral("Down"));
        row("RzBitBtnNewShablon", "text", QStringLiteral("Новый"));
        row("RzBitBtnNewShablon", "toolTip", QStringLiteral("Создать новый шаблон"));
        row("RzBitBtnNewShablon", "enabled", true);
        row("RzBitBtnSaveShablon", "text", QStringLiteral("Сохранить"));
        row("RzBitBtnSaveShablon", "toolTip", QStringLiteral("Сохранить изменения"));
        row("RzBitBtnSaveShablon", "enabled", false);  // no template store yet
        row("RzBitBtnDelShablon", "text", QStringLiteral("Удалить"));
        row("RzBitBtnDelShablon", "toolTip", QStringLiteral("Удалить шаблон настроек"));
        row("RzBitBtnDelShablon", "enabled", false);
        // Game settings
        row("RzComboBoxMode", "currentText", QStringLiteral("все против всех"));
        row("RzComboBoxmaxHealth", "currentText", QStringLiteral("50"));
        row("RzCheckBoxHard", "checked", false);
        row("RzComboBoxLimiScore", "currentText", QStringLiteral("5000"));
        row("RzEditTimeGames", "text", QStringLiteral("15"));
        row("RzCheckBoxfriendlyFire", "checked", true);
        row("RzCheckBoxPodstvolOff", "checked", true);
        row("RzCheckBoxShowKillCam", "checked", true);
        row("RzCheckBoxStandOff", "checked", false);
        row("RzEditPasswordGames", "text", QString());
        row("RzEditPasswordGames", "echoMode", QVariant::fromValue(QLineEdit::Normal));
        row("RzCheckBoxPerk", "checked", true);
        row("RzCheckBox3D", "checked", false);
        row("RzCheckBoxUserClass", "checked", true);
        row("RzCheckBoxHeadShot", "checked", false);
        row("RzCheckBoxRadar", "checked", false);
        row("RzCheckBoxKillStreaks", "checked", true);
        row("RzComboBoxLife", "currentText", QStringLiteral("неогран."));
        row("RzComboBoxNablud", "currentText", QStringLiteral("только для своих"));
        row("RzComboBoxRegen", "currentText", QStringLiteral("нормально"));
        row("RzEditMaxPlayer", "text", QStringLiteral("12"));
        // Maps
        row("RzLabel5", "text", QStringLiteral("Описание карты:"));
        row("RzLabel7", "text", QStringLiteral("Доступные игровые карты"));
        row("RzLabel1", "text", QStringLiteral("Карты шаблона"));
        row("RzBitBtnAddMap", "text", QString());
        row("RzBitBtnDelMap", "text", QString());
        row("RzBitBtnClearMap", "text", QStringLiteral("Cancel"));
        row("RzListBoxMap", "count", 0);
        row("RzBitBtnListMapUp", "text", QStringLiteral("Up"));
        row("RzBitBtnListMapDown", "text", QStringLiteral("Down"));
        row("Image1", "size", QSize(401, 226));
        // Command line and commands
        row("RzLabelCommand", "text", QStringLiteral("Строка запуска сервера"));
        row("RzCheckBoxShans", "text",
            QStringLiteral("- сгенерировать случайный шанс выпадания карты"));
        row("RzCheckBoxShans", "checked", true);
        row("RzEditCommand", "text",
            QStringLiteral("+set dedicated 1 +set sv_config server_mod.cfg  +set sv_hostname "
                           "^4~^1Host ^3Rovazid^4~+set sv_maprotation Manual_MapRot  "
                           "+start_map_rotate"));
        row("RzBitBtnCreateFiles", "text", QStringLiteral("Сформировать файлы "));
        row("RzBitBtnCreateFiles", "toolTip",
            QStringLiteral("Сформировать файлы необходимые для запуска выделенного сервера"));
        row("RzBitBtnCreateFiles", "enabled", false);
        row("RzBitBtnRunServer", "text", QStringLiteral("Запустить сервер     "));
        row("RzBitBtnRunServer", "enabled", false);
        row("RzBitBtnRunClient", "text", QStringLiteral("Запуск клиента  Tekno  "));
        row("RzBitBtnRunClient", "toolTip",
            QStringLiteral("Если был запущен сервер. Обязательно дождитесь его полного запуска."));
        row("RzBitBtnRunClient", "enabled", true);
        row("RzMenuButton1", "text", QStringLiteral("Порты"));
        // Shown in three lines: Qt draws the stored hint's lone carriage returns as blanks.
        row("RzMenuButton1", "toolTip",
            QStringLiteral("При использовании роутера.\nЕсли у роутера включен режим UpnP.\n"
                           "Пробрасываются порты необходимые для работы сервера. "));
        row("N2", "text", QStringLiteral("Пробросить порты"));
        row("N3", "text", QStringLiteral("Убрать порты"));
        row("RzBitBtn1", "text", QStringLiteral("Закрыть        "));
        row("RzBtnPrismotr", "toolTip", QString());  // set when the window is shown
    }

    void controlsCarryTheirNamesAndDesignTimeValues() {
        QFETCH(QString, name);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, expected);
        QObject* found = window->findChild<QObject*>(name);
        QVERIFY2(found != nullptr, qPrintable(name));
        QCOMPARE(found->property(property.constData()), expected);
    }

    void everyNamedControlExists() {
        const char* names[] = {
            "RzLabelPrivat", "PopupMenu1", "RzGroupBox1",  "RzGroupBoxMaps", "RzListBoxMapReposit",
            "RzLabelInfa",   "RzPanel3",   "RzLblNameMap", "PopupMenu2",
        };
        for (const char* name : names)
            QVERIFY2(window->findChild<QObject*>(QString::fromLatin1(name)) != nullptr, name);
        QCOMPARE(window->objectName(), QStringLiteral("FmQZ7ServerSetup"));
        const QList<QAction*> portActions = control<QMenu>("PopupMenu2")->actions();
        QCOMPARE(portActions.mid(0, 3), QList<QAction*>({window->N2, window->N3, window->N4}));
        // The firewall's two items follow where the system has Windows' firewall (wine too).
        QCOMPARE(portActions.size(), currentFirewall().available() ? 6 : 3);
        QCOMPARE(window->RzMenuButton1->menu(), window->PopupMenu2);
    }

    void settingsShowTheirCaptionsAndChoicesInFieldOrder() {
        const std::pair<QWidget*, std::string_view> captions[] = {
            {window->RzComboBoxMode, settingsField(&GameSettings::GameMode).caption},
            {window->RzComboBoxmaxHealth, settingsField(&GameSettings::MaxHealth).caption},
            {window->RzComboBoxLimiScore, settingsField(&GameSettings::ScoreLimit).caption},
            {window->RzEditTimeGames, settingsField(&GameSettings::TimeLimit).caption},
            {window->RzEditPasswordGames, settingsField(&GameSettings::Password).caption},
            {window->RzComboBoxLife, settingsField(&GameSettings::Lives).caption},
            {window->RzComboBoxNablud, settingsField(&GameSettings::Spectator).caption},
            {window->RzComboBoxRegen, settingsField(&GameSettings::HealthRegen).caption},
            {window->RzEditMaxPlayer, settingsField(&GameSettings::MaxPlayers).caption},
        };
        for (const auto& [box, caption] : captions) {
            auto* label = window->findChild<QLabel*>("Label" + box->objectName());
            QVERIFY2(label != nullptr, qPrintable(box->objectName()));
            QCOMPARE(label->text(), QString::fromUtf8(caption.data(), caption.size()));
            // The caption stands at the right of its box, on the same row.
            QVERIFY(label->x() > box->geometry().right());
            QCOMPARE(label->y(), box->y());
        }
        const std::pair<QCheckBox*, std::string_view> checks[] = {
            {window->RzCheckBoxHard, settingsField(&GameSettings::Hardcore).caption},
            {window->RzCheckBoxfriendlyFire, settingsField(&GameSettings::FriendlyFire).caption},
            {window->RzCheckBoxPodstvolOff, settingsField(&GameSettings::NoUnderbarrel).caption},
            {window->RzCheckBoxShowKillCam, settingsField(&GameSettings::KillCam).caption},
            {window->RzCheckBoxStandOff, settingsField(&GameSettings::NoDefaultClasses).caption},
            {window->RzCheckBoxPerk, settingsField(&GameSettings::Perks).caption},
            {window->RzCheckBox3D, settingsField(&GameSettings::ThirdPerson).caption},
            {window->RzCheckBoxUserClass, settingsField(&GameSettings::CustomClasses).caption},
            {window->RzCheckBoxHeadShot, settingsField(&GameSettings::HeadshotsOnly).caption},
            {window->RzCheckBoxRadar, settingsField(&GameSettings::RadarAlwaysOn).caption},
            {window->RzCheckBoxKillStreaks, settingsField(&GameSettings::Killstreaks).caption},
        };
        for (const auto& [box, caption] : checks)
            QCOMPARE(box->text(), QString::fromUtf8(caption.data(), caption.size()));

        QStringList modes;
        for (const GameMode& mode : gameModeTable())
            modes << QString::fromUtf8(mode.label.data(), mode.label.size());
        QCOMPARE(itemsOf(window->RzComboBoxMode), modes);
        QCOMPARE(itemsOf(window->RzComboBoxmaxHealth), QStringList({"30", "50", "100", "200"}));
        QCOMPARE(itemsOf(window->RzComboBoxLimiScore), texts(scoreLimitChoices()));
        QCOMPARE(itemsOf(window->RzComboBoxLimiScore).back(), QStringLiteral("15000 "));
        QCOMPARE(itemsOf(window->RzComboBoxLife),
                 QStringList({"неогран.", "1", "2", "3", "5", "9"}));
        QCOMPARE(itemsOf(window->RzComboBoxNablud),
                 QStringList({"выкл", "только для своих", "для всех"}));
        QCOMPARE(itemsOf(window->RzComboBoxRegen),
                 QStringList({"медленно", "нормально", "быстро", "Off"}));
    }

    void defaultsReadFromTheControlsEncodeToTheDocumentedValues() {
        const std::array<std::string, kSettingsFieldCount> expected = {"все против всех",
                                                                       "50",
                                                                       "0",
                                                                       "5000",
                                                                       "15",
                                                                       "1",
                                                                       "1",
                                                                       "1",
                                                                       "0",
                                                                       "",
                                                                       "1",
                                                                       "0",
                                                                       "1",
                                                                       "0",
                                                                       "0",
                                                                       "1",
                                                                       "0",
                                                                       "1",
                                                                       "5",
                                                                       "12"};
        QCOMPARE(settingsFieldCodes(window->readSettings()), expected);
        QCOMPARE(modeCode(window->readSettings().GameMode), std::string("dm"));
    }

    void typingIntoTheModeBoxLeavesItsLabel() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QLineEdit* edit = window->RzComboBoxMode->lineEdit();
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("xyz"));
        QCOMPARE(window->RzComboBoxMode->currentText(), QStringLiteral("все против всех"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(window->RzComboBoxMode->currentText(), QStringLiteral("все против всех"));
        // A typed prefix of another label does not pick that label either.
        edit->selectAll();
        typeText(edit, QStringLiteral("заражение"));
        QCOMPARE(window->RzComboBoxMode->currentText(), QStringLiteral("все против всех"));
    }

    void pickingAModeChangesTheLabelWhichTypingThenKeeps() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QComboBox* box = window->RzComboBoxMode;
        box->setFocus();
        // The user picks from the list with the keyboard: the second entry.
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->currentText(), QStringLiteral("коммандный бой"));
        QTest::keyClicks(box->lineEdit(), QStringLiteral("abc"));
        QCOMPARE(box->currentText(), QStringLiteral("коммандный бой"));

        // Picked with the mouse from the open list.
        box->showPopup();
        QAbstractItemView* list = box->view();
        QVERIFY(QTest::qWaitForWindowExposed(list->window()));
        const QModelIndex infection = list->model()->index(14, 0);
        list->scrollTo(infection);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(infection).center());
        QCOMPARE(box->currentText(), QStringLiteral("заражение"));
        QTest::keyClicks(box->lineEdit(), QStringLiteral("z"));
        QCOMPARE(box->currentText(), QStringLiteral("заражение"));

        // A label the program puts in is kept the same way.
        window->setModeLabel(QStringLiteral("последний патрон"));
        QTest::keyClicks(box->lineEdit(), QStringLiteral("q"));
        QCOMPARE(box->currentText(), QStringLiteral("последний патрон"));
        QCOMPARE(window->readSettings().GameMode, std::string("последний патрон"));
    }

    void theVersionLabelShowsVersionAndProgramFileDate_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<bool>("dated");
        QTest::addColumn<QString>("expected");
        QTest::addRow("version record, full stop")
            << "1.2.1.54"
            << "." << true << "Property Rovazid v1.2.1.54 05.03.14";
        QTest::addRow("no version record") << ""
                                           << "." << true << "Property Rovazid v 05.03.14";
        QTest::addRow("hyphen separator") << "1.2.1.54"
                                          << "-" << true << "Property Rovazid v1.2.1.54 05-03-14";
        QTest::addRow("slash separator") << "1.2.1.54"
                                         << "/" << true << "Property Rovazid v1.2.1.54 05/03/14";
        QTest::addRow("no date") << "1.2.1.54"
                                 << "/" << false << "Property Rovazid v1.2.1.54 ";
    }

    void theVersionLabelShowsVersionAndProgramFileDate() {
        QFETCH(QString, version);
        QFETCH(QString, separator);
        QFETCH(bool, dated);
        QFETCH(QString, expected);
        FixedProgramFilePlatform platform;
        platform.version = version.toStdString();
        platform.separator = separator.toStdString();
        if (dated) platform.modified = qz7::testing::localMoment(2014, 3, 5, 23);
        setPlatformForTesting(&platform);
        TFmQZ7ServerSetup dated_window(program);
        setPlatformForTesting(nullptr);
        QCOMPARE(dated_window.RzLabelPrivat->text(), expected);
    }

    void theWindowHasItsSizeBorderAndPlace() {
        window->show();  // the look is put in place when the window is first shown
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->size(), QSize(869, 756));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
        const QRect desktop = window->screen()->availableGeometry();
        if (desktop.width() >= 869 && desktop.height() >= 756)
            QCOMPARE(window->geometry().center(), desktop.center());
        else
            QVERIFY(desktop.contains(window->pos()));
        // The camouflage texture fills the window's background.
        QVERIFY(!window->palette().window().texture().isNull());
        QVERIFY(window->autoFillBackground());
    }

    void fontsAndColoursOfTheRegions() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto pixelSize = [](QWidget* w) { return w->font().pixelSize(); };
        QCOMPARE(window->font().pixelSize(), 11);  // 8 pt at 96 dots per inch
        QCOMPARE(pixelSize(control<QLabel>("RzLabelTemplates")), 13);
        QVERIFY(control<QLabel>("RzLabelTemplates")->font().bold());
        QCOMPARE(pixelSize(window->RzCheckBoxHard), 15);
        QVERIFY(window->RzCheckBoxHard->font().bold());
        QCOMPARE(window->RzCheckBoxHard->palette().color(QPalette::WindowText), QColor(106, 0, 0));
        auto* caption = control<QLabel>("LabelRzComboBoxLife");
        QCOMPARE(caption->palette().color(QPalette::WindowText), QColor(106, 0, 0));
        QCOMPARE(pixelSize(caption), 15);
        QCOMPARE(window->RzComboBoxMode->lineEdit()->palette().color(QPalette::Text),
                 QColor(0, 0, 210));
        QCOMPARE(pixelSize(window->RzComboBoxMode->lineEdit()), 13);
        QVERIFY(window->RzComboBoxMode->lineEdit()->font().bold());
        QCOMPARE(window->RzLabelPrivat->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(pixelSize(window->RzLabelPrivat), 14);
        QVERIFY(window->RzLabelPrivat->alignment() & Qt::AlignHCenter);
        QCOMPARE(pixelSize(window->RzListBoxListShablon), 14);
        QVERIFY(window->RzListBoxListShablon->font().bold());
        QCOMPARE(pixelSize(window->RzListBoxMapReposit), 14);
        QCOMPARE(pixelSize(window->RzListBoxMap), 14);
        QCOMPARE(window->RzLabelInfa->palette().color(QPalette::WindowText), QColor(0, 0, 202));
        QVERIFY(window->RzLabelInfa->font().bold() && window->RzLabelInfa->font().italic());
        QVERIFY(!window->RzLabelInfa->wordWrap());
        QCOMPARE(window->RzLblNameMap->palette().color(QPalette::WindowText), QColor(119, 0, 0));
        QCOMPARE(pixelSize(window->RzLblNameMap), 15);
        QCOMPARE(window->RzLblNameMap->frameShadow(), QFrame::Raised);
        QCOMPARE(pixelSize(window->RzBitBtnCreateFiles), 13);
        QVERIFY(!window->RzBitBtnCreateFiles->icon().isNull());
        // Command buttons: very light grey faces in dark blue frames.
        const QImage button = window->RzBitBtnNewShablon->grab().toImage();
        const int middle = button.height() / 2;
        QCOMPARE(QColor(button.pixel(0, middle)), QColor(0, 60, 116));
        QCOMPARE(QColor(button.pixel(4, middle)), QColor(244, 244, 240));
        QVERIFY(!window->RzBitBtn1->icon().isNull());
        QVERIFY(!window->N2->icon().isNull());
        QVERIFY(!window->N3->icon().isNull());
    }

    void longDescriptionsStayOnOneLineCutAtTheRight() {
        const QRect before = window->RzLabelInfa->geometry();
        window->RzLabelInfa->setText(QString(200, QChar(u'ж')));
        QCOMPARE(window->RzLabelInfa->geometry(), before);
        QVERIFY(window->RzLabelInfa->geometry().right() < window->RzGroupBoxMaps->width());
    }

    // The supervised server's state stands right of the random-chance box, in the strip above
    // the command line: a few words that fit as they are, the longest cut with the whole text in
    // the tooltip; the button takes the keyboard focus.
    void theServeButtonShowsTheStateCutToItsStrip() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QPushButton* button = window->RzBtnPrismotr;
        QCOMPARE(button->y(), window->RzCheckBoxShans->y());
        QVERIFY(button->x() >= window->RzCheckBoxShans->geometry().right());
        QVERIFY(button->geometry().right() < window->width());
        QVERIFY(button->geometry().bottom() < window->RzEditCommand->y());
        QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
        QVERIFY(button->isFlat());
        QCOMPARE(button->text(), QStringLiteral("Сервер: не запущен"));

        // A common state fits whole; ten years up with a restart a minute fits or is cut; an
        // absurd count is cut. Each keeps its whole text in the tooltip.
        const std::pair<std::chrono::seconds, long long> states[] = {
            {std::chrono::hours(3) + std::chrono::minutes(12), 2},
            {std::chrono::hours(87600) + std::chrono::minutes(59), 5256000},
            {std::chrono::hours(87600), 123456789012345}};
        for (const auto& [uptime, restarts] : states) {
            testing::ServedFolder served(folder->path(), uptime, restarts);
            QVERIFY(served.held());
            window->refreshServeButton();
            const QString full = QStringLiteral("Сервер: работает %1:%2, перезап. %3")
                                     .arg(uptime.count() / 3600)
                                     .arg(uptime.count() / 60 % 60, 2, 10, QLatin1Char('0'))
                                     .arg(restarts);
            QVERIFY2(button->toolTip().startsWith(full + QLatin1Char('\n')),
                     qPrintable(button->toolTip()));
            if (restarts == 2)
                QCOMPARE(button->text(), full);
            else if (restarts > 1000000000)
                QVERIFY2(button->text().endsWith(QChar(0x2026)), qPrintable(button->text()));
            else
                QVERIFY(button->text() == full || button->text().endsWith(QChar(0x2026)));
            const QStringList cut = testing::cutCaptions(*window, {window->RzLabelInfa});
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
        }
    }

    // Every control lies inside its parent, no two controls of one parent overlap, and every
    // caption fits its control, trailing blanks included.
    void nothingOverlapsOrIsClipped() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QList<QWidget*> parents{window, window->RzGroupBox1, window->RzGroupBoxMaps};
        for (QWidget* parent : parents) {
            QList<QWidget*> children;
            for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (child->isVisible()) children << child;
            for (int i = 0; i < children.size(); ++i) {
                QWidget* a = children[i];
                QVERIFY2(parent->rect().contains(a->geometry()), qPrintable(a->objectName()));
                for (int j = i + 1; j < children.size(); ++j)
                    QVERIFY2(!a->geometry().intersects(children[j]->geometry()),
                             qPrintable(a->objectName() + " / " + children[j]->objectName()));
            }
        }
        const QStringList cut = testing::cutCaptions(*window, {window->RzLabelInfa});
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    SetupWindowControlsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "setup_window_controls_test.moc"
