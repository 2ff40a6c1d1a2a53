// The same bad values through all three front doors: the window's save and new commands, qz7ctl
// import, and file generation (the window's button and qz7ctl generate). Each door must refuse
// each value, so that the rules of one door cannot drift from the others'.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "app/qz7_application.h"
#include "qz7ctl_process.h"
#include "settings/template_text.h"
#include "support/template_session.h"
#include "tests/support/file_bytes.h"
#include "tests/support/hand_built_record.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;

namespace {

const std::string kGoodSettings = "все против всех;50;0;5000;15;1;1;1;0;;1;0;1;0;0;1;0;1;5;12;";

struct BadValue {
    const char* what;
    std::string key;    // the field of the text form
    std::string value;  // UTF-8
    bool window;        // the window's controls can hold it
    bool record;        // a stored record can hold it (for qz7ctl generate)
};

const std::vector<BadValue>& badValues() {
    static const std::vector<BadValue> values = {
        {"separator in the password", "Password", "a;b", true, false},
        {"quote in the password", "Password", "a\"b", true, true},
        {"lone CR in the score", "ScoreLimit", "5\r0", true, true},
        {"character outside 1251 in the lives", "Lives", "3日", true, false},
        {"mode outside the sixteen", "GameMode", "неизвестный режим", false, true},
        {"map with a playlist line in it", "Map", "mp_dome,Other_Mod,999", true, true},
        {"map with a blank", "Map", "mp evil", true, true},
        {"map with a CR", "Map", "mp_seatown\rmp_evil", true, true},
        {"map with a TAB", "Map", "mp_dome\t", true, true},
        {"blank name", "Name", "   ", true, false},
        {"TAB in the name", "Name", "Турнир\t2", true, false},
        {"letters as the player limit", "MaxPlayers", "abc", true, true},
        {"a thousand players", "MaxPlayers", "1000", true, true},
        {"45 minutes of game time", "TimeLimit", "45", true, true},
        // The name dialog cuts a long name as it always has; an imported one is refused.
        {"name of 201 characters", "Name", std::string(201, 'n'), false, false},
    };
    return values;
}

TemplateContent goodContent() {
    return contentOfState("Турнир", GameSettings{}, {"mp_dome", "mp_seatown"}, "+set dedicated 2");
}

// The good template's text form with one value changed (a map is added).
std::string textWith(const BadValue& bad) {
    TemplateContent content = goodContent();
    if (bad.key == "Map") {
        content.rotation.push_back(bad.value);
    } else if (bad.key == "Name") {
        content.name = bad.value;
    } else {
        for (std::size_t i = 0; i < kSettingsFieldCount; ++i)
            if (settingsFieldKeys()[i] == bad.key) content.settingsCodes[i] = bad.value;
    }
    return writeTemplateText(content);
}

// The good template as a stored record with one value changed, laid out by hand.
std::string recordWith(const BadValue& bad) {
    std::string settings = kGoodSettings;
    std::string maps = "mp_dome;mp_seatown;";
    if (bad.key == "Map") {
        maps += bad.value + ";";
    } else if (bad.key == "GameMode") {
        settings.replace(0, settings.find(';'), bad.value);
    } else if (bad.key == "Password") {
        settings.replace(settings.find(";;") + 1, 0, bad.value);
    } else if (bad.key == "ScoreLimit") {
        settings.replace(settings.find("5000"), 4, bad.value);
    } else if (bad.key == "TimeLimit") {
        settings.replace(settings.find(";15;") + 1, 2, bad.value);
    } else if (bad.key == "MaxPlayers") {
        settings.replace(settings.rfind("12;"), 2, bad.value);
    }
    return testing::handBuiltRecord("Турнир", settings, maps, "+set dedicated 2");
}

void putIntoWindow(TFmQZ7ServerSetup& setup, const BadValue& bad) {
    const QString value = QString::fromStdString(bad.value);
    if (bad.key == "Password") setup.RzEditPasswordGames->setText(value);
    if (bad.key == "ScoreLimit") setup.RzComboBoxLimiScore->setEditText(value);
    if (bad.key == "Lives") setup.RzComboBoxLife->setEditText(value);
    if (bad.key == "Map") setup.RzListBoxMap->addItem(value);
    if (bad.key == "TimeLimit") setup.RzEditTimeGames->setText(value);
    if (bad.key == "MaxPlayers") setup.RzEditMaxPlayer->setText(value);
}

bool anyServerFile(const std::filesystem::path& folder) {
    for (const char* file : {"Manual_Mod.dsr", "Manual_MapRot.dspl", "server_mod.cfg"})
        if (std::filesystem::exists(folder / "admin" / file)) return true;
    return false;
}

void copyDemoBaseFiles(const std::filesystem::path& folder) {
    for (const char* name : {"Manual_Mod_default.dsr", "server_mod_default.cfg"})
        std::filesystem::copy_file(std::filesystem::path(QZ7_DEMO_DIR) / "admin" / name,
                                   folder / "admin" / name,
                                   std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

class FrontDoorRulesTest : public QObject {
    Q_OBJECT

  private slots:
    void qz7ctlImportRefusesEveryBadValue() {
        testing::TemporaryFolder folder;
        const std::filesystem::path& game = folder.path();
        for (const BadValue& bad : badValues()) {
            testing::writeBytes(game / "bad.txt", textWith(bad));
            const testing::ProcessResult result = testing::runQz7ctl({"import", "bad.txt"}, game);
            QVERIFY2(result.exitCode == 1, bad.what);
            QVERIFY2(result.err.find("поле «" + bad.key + "»") != std::string::npos,
                     (std::string(bad.what) + ": " + result.err).c_str());
            QVERIFY2(!std::filesystem::exists(game / "ServerSetup_QZ7.cfg"), bad.what);
            if (bad.key == "MaxPlayers" || bad.key == "TimeLimit")
                QVERIFY2(result.err.find("«" + bad.value + "»") != std::string::npos, bad.what);
        }
        // A name from --name is held to the same length.
        testing::writeBytes(game / "good.txt", writeTemplateText(goodContent()));
        const testing::ProcessResult longName =
            testing::runQz7ctl({"import", "good.txt", "--name", std::string(201, 'n')}, game);
        QCOMPARE(longName.exitCode, 1);
        QVERIFY2(
            longName.err.find("имя из --name: длиннее 200 символов (201)") != std::string::npos,
            longName.err.c_str());
        // The good template itself goes in.
        QCOMPARE(testing::runQz7ctl({"import", "good.txt"}, game).exitCode, 0);
    }

    void theWindowRefusesToSaveOrGenerateEveryBadValue() {
        for (const BadValue& bad : badValues()) {
            if (!bad.window) continue;
            testing::TemplateSession window;
            const std::string store = recordWith({"", "", "", true, true});
            window.putStore(store);
            copyDemoBaseFiles(window.folder.path());
            TFmQZ7ServerSetup& setup = window.open();
            putIntoWindow(setup, bad);
            // A bad name goes through "Новый"'s dialog; a bad value is refused by "Сохранить" and
            // by "Новый" alike.
            std::vector<QPushButton*> commands = {setup.RzBitBtnNewShablon};
            if (bad.key != "Name") commands.push_back(setup.RzBitBtnSaveShablon);
            for (QPushButton* command : commands) {
                window.boxes.shown.clear();
                window.names.answers = {QString::fromStdString(
                    bad.key == "Name" ? bad.value : std::string("Новый шаблон"))};
                command->click();
                QVERIFY2(!window.boxes.shown.isEmpty() &&
                             window.boxes.shown.last().startsWith(QStringLiteral("error: ")),
                         bad.what);
                QVERIFY2(window.storeBytes() == store, bad.what);
            }
            if (bad.key == "Name") continue;  // the server files hold no name

            window.boxes.shown.clear();
            setup.RzBitBtnCreateFiles->click();
            QVERIFY2(window.boxes.shown.size() == 1 &&
                         window.boxes.shown[0].startsWith(QStringLiteral("error: ")),
                     bad.what);
            QVERIFY2(!anyServerFile(window.folder.path()), bad.what);
        }
    }

    // A store written before the rules, or by hand, may hold what they refuse: it loads and shows
    // it, and the commands that do not change a record (Up, Down, Delete, close) write it as it
    // is; only generation refuses.
    void aStoredValueTheRulesRefuseStillLoadsAndMoves() {
        testing::TemplateSession window;
        const std::string first = recordWith({"", "MaxPlayers", "abc", true, true});
        const std::string second = recordWith({"", "TimeLimit", "45", true, true});
        window.putStore(first + second);
        TFmQZ7ServerSetup& setup = window.open();
        QCOMPARE(setup.RzEditMaxPlayer->text(), QStringLiteral("abc"));
        setup.RzBitBtnListShabDown->click();
        QCOMPARE(window.storeBytes(), second + first);
        setup.RzBitBtnListShabUp->click();
        QCOMPARE(window.storeBytes(), first + second);
        setup.RzBitBtnDelShablon->click();  // the first goes, the second stays as it was
        QCOMPARE(window.storeBytes(), second);
        QVERIFY(setup.close());
        QCOMPARE(window.storeBytes(), second);
        QVERIFY2(window.boxes.shown.isEmpty(), qPrintable(window.boxes.shown.join('\n')));
    }

    void qz7ctlGenerateRefusesEveryBadStoredValue() {
        for (const BadValue& bad : badValues()) {
            if (!bad.record) continue;
            testing::TemporaryGameFolder folder;
            const std::filesystem::path& game = folder.path();
            copyDemoBaseFiles(game);
            testing::writeBytes(game / "ServerSetup_QZ7.cfg", recordWith(bad));
            const testing::ProcessResult result = testing::runQz7ctl({"generate", "#1"}, game);
            QVERIFY2(result.exitCode == 1, (std::string(bad.what) + ": " + result.out).c_str());
            QVERIFY2(result.err.find("Файлы не сформированы") != std::string::npos,
                     (std::string(bad.what) + ": " + result.err).c_str());
            QVERIFY2(!anyServerFile(game), bad.what);
        }
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    FrontDoorRulesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "front_door_rules_test.moc"
