#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <cerrno>
#include <functional>

#include "app/list_selection.h"
#include "app/qz7_application.h"
#include "platform/atomic_file.h"
#include "platform/windows1251.h"
#include "settings/template_record.h"
#include "support/template_session.h"

using namespace qz7;
using testing::listed;
using testing::templateBytes;
using testing::TemplateSession;

namespace {

constexpr std::size_t kRecord = 1737;

QStringList rotationOf(const TFmQZ7ServerSetup& setup) {
    QStringList rotation;
    for (const std::string& entry : setup.readRotation()) rotation << QString::fromStdString(entry);
    return rotation;
}

// A user's click on a row of the template list.
void clickRow(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

std::string recordAt(const std::string& store, std::size_t index) {
    return store.substr(index * kRecord, kRecord);
}

}  // namespace

class TemplateCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void noStoreListsNothingAndTheFirstNewMakesOneRecord() {
        TemplateSession session;
        TFmQZ7ServerSetup& setup = session.open();
        QCOMPARE(setup.RzListBoxListShablon->count(), 0);
        QVERIFY(!setup.RzBitBtnSaveShablon->isEnabled());
        QVERIFY(!setup.RzBitBtnDelShablon->isEnabled());
        QVERIFY(setup.RzBitBtnNewShablon->isEnabled());
        QVERIFY(!setup.RzBitBtnCreateFiles->isEnabled());
        QVERIFY(!std::filesystem::exists(session.storePath()));

        setup.RzListBoxMap->addItem(QStringLiteral("mp_dome"));
        session.names.answers = {QStringLiteral("Первый")};
        setup.RzBitBtnNewShablon->click();
        const std::string store = session.storeBytes();
        QCOMPARE(store.size(), kRecord);
        QCOMPARE(store.substr(0, 7), std::string("\x06\xCF\xE5\xF0\xE2\xFB\xE9"));
        QCOMPARE(store.substr(457, 9), std::string("\x08mp_dome;"));
        QCOMPARE(listed(setup.RzListBoxListShablon), QStringList{"Первый"});
        QCOMPARE(setup.RzListBoxListShablon->currentRow(), -1);
        QVERIFY(setup.RzBitBtnSaveShablon->isEnabled());
        QVERIFY(setup.RzBitBtnDelShablon->isEnabled());
        QVERIFY(session.boxes.shown.isEmpty());
    }

    void newStoppedWithCloseChangesNothing() {
        TemplateSession session;
        TFmQZ7ServerSetup& setup = session.open();
        session.names.answers = {std::nullopt};
        setup.RzBitBtnNewShablon->click();
        QCOMPARE(session.names.shownNames.size(), 1);
        QVERIFY(!std::filesystem::exists(session.storePath()));
        QCOMPARE(setup.RzListBoxListShablon->count(), 0);
    }

    void creationAppliesTheFirstTemplate() {
        TemplateSession session;
        session.putStore(templateBytes("A", {"mp_dome", "mp_dome"}, "pass", "+first") +
                         templateBytes("B") + std::string(100, 'x'));
        TFmQZ7ServerSetup& setup = session.open();
        QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"A", "B"}));
        QCOMPARE(setup.RzListBoxListShablon->currentRow(), 0);
        QCOMPARE(setup.RzEditPasswordGames->text(), QStringLiteral("pass"));
        QCOMPARE(setup.RzEditCommand->text(), QStringLiteral("+first"));
        QCOMPARE(rotationOf(setup), (QStringList{"mp_dome", "mp_dome"}));
        QVERIFY(setup.RzBitBtnCreateFiles->isEnabled());
        QVERIFY(setup.RzBitBtnSaveShablon->isEnabled());
        QVERIFY(setup.RzBitBtnDelShablon->isEnabled());
    }

    void clickingATemplateAppliesItAndAnEmptyRotationDisablesFormingFiles() {
        TemplateSession session;
        session.putStore(templateBytes("A", {"mp_dome"}) + templateBytes("B", {}, "b-pass", "+b"));
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        setup.RzListBoxMap->addItem(QStringLiteral("mp_left_over"));
        clickRow(setup.RzListBoxListShablon, 1);
        QCOMPARE(setup.RzEditPasswordGames->text(), QStringLiteral("b-pass"));
        QCOMPARE(setup.RzEditCommand->text(), QStringLiteral("+b"));
        QVERIFY(rotationOf(setup).isEmpty());
        QVERIFY(!setup.RzBitBtnCreateFiles->isEnabled());
        QTest::keyClick(setup.RzListBoxListShablon, Qt::Key_Up);
        QCOMPARE(rotationOf(setup), QStringList{"mp_dome"});
        QVERIFY(setup.RzBitBtnCreateFiles->isEnabled());
    }

    void movingTheThirdUpWritesTheStoreAtOnce() {
        TemplateSession session;
        const std::string a = templateBytes("A"), b = templateBytes("B"), c = templateBytes("C");
        session.putStore(a + b + c);
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        clickRow(setup.RzListBoxListShablon, 2);
        setup.RzEditPasswordGames->setText(QStringLiteral("typed, not saved"));
        setup.RzBitBtnListShabUp->click();
        QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"A", "C", "B"}));
        QCOMPARE(setup.RzListBoxListShablon->currentRow(), 1);
        // A move applies nothing; it writes the store at once.
        QCOMPARE(setup.RzEditPasswordGames->text(), QStringLiteral("typed, not saved"));
        QCOMPARE(session.storeBytes(), a + c + b);

        setup.RzBitBtnListShabUp->click();
        setup.RzBitBtnListShabUp->click();  // already first: nothing
        QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"C", "A", "B"}));
        setup.RzBitBtnListShabDown->click();
        setup.RzBitBtnListShabDown->click();
        setup.RzBitBtnListShabDown->click();  // already last: nothing
        QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"A", "B", "C"}));
        setup.RzBitBtnListShabUp->click();
        QCOMPARE(setup.RzListBoxListShablon->currentRow(), 1);

        QVERIFY(setup.close());
        QCOMPARE(session.storeBytes(), a + c + b);
    }

    void closingRewritesTheStoreByteForByte() {
        TemplateSession session;
        // Bytes after the strings' texts, as other writers may leave them, survive a rewrite.
        std::string a = templateBytes("A");
        a.replace(100, 5, "trash");
        session.putStore(a + templateBytes("B") + "partial");
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        QVERIFY(setup.close());
        QCOMPARE(session.storeBytes(), a + templateBytes("B"));
    }

    void deletingTheFirstSelectsTheNewFirstAndAppliesNothing() {
        TemplateSession session;
        const std::string a = templateBytes("A"), b = templateBytes("B"), c = templateBytes("C");
        session.putStore(a + b + c);
        TFmQZ7ServerSetup& setup = session.open();
        setup.RzEditPasswordGames->setText(QStringLiteral("kept"));
        setup.RzBitBtnDelShablon->click();
        QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"B", "C"}));
        QCOMPARE(setup.RzListBoxListShablon->currentRow(), 0);
        QCOMPARE(setup.RzEditPasswordGames->text(), QStringLiteral("kept"));
        QCOMPARE(session.storeBytes(), b + c);

        selectRowSilently(setup.RzListBoxListShablon, 1);
        setup.RzBitBtnDelShablon->click();
        QCOMPARE(listed(setup.RzListBoxListShablon), QStringList{"B"});
        QCOMPARE(setup.RzListBoxListShablon->currentRow(), 0);
        QCOMPARE(session.storeBytes(), b);
        QVERIFY(session.boxes.shown.isEmpty());
    }

    void deletingTheOnlyTemplateLeavesAnEmptyFile() {
        TemplateSession session;
        session.putStore(templateBytes("A"));
        TFmQZ7ServerSetup& setup = session.open();
        setup.RzBitBtnDelShablon->click();
        QCOMPARE(setup.RzListBoxListShablon->count(), 0);
        QVERIFY(!setup.RzBitBtnSaveShablon->isEnabled());
        QVERIFY(!setup.RzBitBtnDelShablon->isEnabled());
        QVERIFY(std::filesystem::exists(session.storePath()));
        QCOMPARE(std::filesystem::file_size(session.storePath()), std::uintmax_t(0));
    }

    void savingWithANewNameRewritesAndReselects() {
        TemplateSession session;
        session.putStore(templateBytes("A") + templateBytes("B"));
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        clickRow(setup.RzListBoxListShablon, 1);
        setup.RzEditPasswordGames->setText(QStringLiteral("новый"));
        session.names.answers = {QStringLiteral("B2")};
        setup.RzBitBtnSaveShablon->click();
        QCOMPARE(session.names.shownNames, QStringList{"B"});  // the entry's own name shown
        QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"A", "B2"}));
        QCOMPARE(setup.RzListBoxListShablon->currentRow(), 1);
        const std::string store = session.storeBytes();
        QCOMPARE(store.size(), 2 * kRecord);
        QCOMPARE(recordAt(store, 0), templateBytes("A"));
        QCOMPARE(recordAt(store, 1), templateBytes("B2", {}, "новый"));
    }

    void saveStoppedWithCloseKeepsTheNameAndStoresTheState() {
        TemplateSession session;
        const std::string a = templateBytes("A"), b = templateBytes("B");
        session.putStore(a + b);
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        setup.RzEditPasswordGames->setText(QStringLiteral("later"));
        setup.RzListBoxMap->addItem(QStringLiteral("mp_dome"));
        session.names.answers = {std::nullopt};
        setup.RzBitBtnSaveShablon->click();
        QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"A", "B"}));
        QCOMPARE(session.storeBytes(), templateBytes("A", {"mp_dome"}, "later") + b);
    }

    void duplicateAndOverlongNamesAreListedAndStored() {
        TemplateSession session;
        TFmQZ7ServerSetup& setup = session.open();
        const QString longName = QString(250, QChar(u'я'));
        session.names.answers = {QStringLiteral("Дубль"), QStringLiteral("Дубль"), longName};
        for (int i = 0; i < 3; ++i) setup.RzBitBtnNewShablonClick();
        // "Новый" shows the name box as it was last left.
        QCOMPARE(session.names.shownNames, (QStringList{"", "Дубль", "Дубль"}));
        QCOMPARE(listed(setup.RzListBoxListShablon),
                 (QStringList{"Дубль", "Дубль", longName.left(200)}));
        const std::string store = session.storeBytes();
        QCOMPARE(store.size(), 3 * kRecord);
        QCOMPARE(recordAt(store, 0), recordAt(store, 1));
        QCOMPARE(store.substr(2 * kRecord, 201), "\xC8" + std::string(200, '\xFF'));
    }

    void withNothingSelectedSaveDeleteAndMovesDoNothing() {
        TemplateSession session;
        TFmQZ7ServerSetup& setup = session.open();
        session.names.answers = {QStringLiteral("A"), QStringLiteral("B")};
        setup.RzBitBtnNewShablon->click();
        setup.RzBitBtnNewShablon->click();
        const std::string store = session.storeBytes();
        setup.RzBitBtnSaveShablon->click();
        setup.RzBitBtnDelShablon->click();
        setup.RzBitBtnListShabUp->click();
        setup.RzBitBtnListShabDown->click();
        QCOMPARE(session.names.shownNames.size(), 2);
        QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"A", "B"}));
        QCOMPARE(setup.RzListBoxListShablon->currentRow(), -1);
        QCOMPARE(session.storeBytes(), store);
    }

    void showingTheWindowAgainSelectsAndAppliesNothingByItself() {
        TemplateSession session;
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        session.names.answers = {QStringLiteral("A")};
        setup.RzBitBtnNewShablon->click();
        setup.RzEditPasswordGames->setText(QStringLiteral("unsaved"));
        QVERIFY(setup.close());
        setup.show();
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        QTRY_VERIFY(setup.RzListBoxListShablon->hasFocus());
        QCOMPARE(setup.RzEditPasswordGames->text(), QStringLiteral("unsaved"));
        QCOMPARE(setup.RzListBoxListShablon->currentRow(), -1);

        // The keyboard still selects and applies.
        QTest::keyClick(setup.RzListBoxListShablon, Qt::Key_Down);
        QCOMPARE(setup.RzListBoxListShablon->currentRow(), 0);
        QCOMPARE(setup.RzEditPasswordGames->text(), QString());
    }

    void aRowDeselectedWithCtrlCountsAsNothingSelected() {
        TemplateSession session;
        const std::string a = templateBytes("A");
        session.putStore(a);
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        QListWidget* list = setup.RzListBoxListShablon;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(0)).center());
        QVERIFY(list->selectedItems().isEmpty());
        setup.RzEditPasswordGames->setText(QStringLiteral("not for A"));
        setup.RzBitBtnSaveShablon->click();
        setup.RzBitBtnDelShablon->click();
        QVERIFY(session.names.shownNames.isEmpty());
        QCOMPARE(listed(list), QStringList{"A"});
        QVERIFY(setup.close());
        QCOMPARE(session.storeBytes(), a);
    }

    void valuesTheRecordCannotHoldAreRefusedBeforeTheDialog() {
        TemplateSession session;
        const std::string a = templateBytes("A");
        session.putStore(a);
        TFmQZ7ServerSetup& setup = session.open();

        setup.RzEditPasswordGames->setText(QStringLiteral("a;b"));
        setup.RzBitBtnNewShablon->click();
        setup.RzBitBtnSaveShablon->click();
        QCOMPARE(session.boxes.shown.size(), 2);
        QVERIFY(session.boxes.shown[0].startsWith("error: "));
        QVERIFY(session.boxes.shown[0].contains("«пароль подключения»"));
        QCOMPARE(session.boxes.shown[1], session.boxes.shown[0]);

        setup.RzEditPasswordGames->clear();
        setup.RzEditCommand->setText(QString(256, QChar('c')));
        setup.RzBitBtnSaveShablon->click();
        QVERIFY(session.boxes.shown.last().contains("255"));
        QVERIFY(session.boxes.shown.last().contains("«строка запуска сервера»"));

        setup.RzEditCommand->setText(QStringLiteral("+ok"));
        for (int i = 0; i < 93; ++i) setup.RzListBoxMap->addItem(QStringLiteral("mp_seatown"));
        setup.RzBitBtnNewShablon->click();
        QVERIFY(session.boxes.shown.last().contains("«карты шаблона»"));

        setup.RzListBoxMap->clear();
        setup.RzComboBoxmaxHealth->setCurrentText(QStringLiteral("50 ★"));
        setup.RzBitBtnNewShablon->click();
        QVERIFY(session.boxes.shown.last().contains("Windows-1251"));
        QCOMPARE(session.boxes.shown.size(), 5);

        // Nothing reached the dialog, the list, the entry's record or the file.
        QVERIFY(session.names.shownNames.isEmpty());
        QCOMPARE(listed(setup.RzListBoxListShablon), QStringList{"A"});
        QVERIFY(setup.close());
        QCOMPARE(session.storeBytes(), a);
    }

    void aNameTheRecordCannotHoldIsRefused() {
        TemplateSession session;
        TFmQZ7ServerSetup& setup = session.open();
        session.names.answers = {QStringLiteral("Сервер ★")};
        setup.RzBitBtnNewShablon->click();
        QCOMPARE(session.boxes.shown.size(), 1);
        QVERIFY(session.boxes.shown[0].contains("«имя шаблона»"));
        QVERIFY(!std::filesystem::exists(session.storePath()));
        QCOMPARE(setup.RzListBoxListShablon->count(), 0);
    }

    void aFailedWriteAtCloseKeepsTheWindowOpenAndTheTemplates() {
        TemplateSession session;
        const std::string a = templateBytes("A"), b = templateBytes("B");
        session.putStore(a + b);
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        setAtomicWriteFailureForTesting(kRecord + 10);
        setup.RzBitBtnListShabDown->click();
        QVERIFY(!setup.close());
        setAtomicWriteFailureForTesting(std::nullopt);
        QVERIFY(setup.isVisible());
        const QString full = QStringLiteral("application: Не удалось записать файл ") +
                             QString::fromStdString(session.storePath().string()) +
                             QStringLiteral(": на диске нет места.");
        QCOMPARE(session.boxes.shown, (QStringList{full, full}));
        QCOMPARE(session.storeBytes(), a + b);
        QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"B", "A"}));
        QVERIFY(setup.close());
        QCOMPARE(session.storeBytes(), b + a);
    }

    void aStoreThatCannotBeReadIsReportedAndLeavesTheListEmpty() {
        TemplateSession session;
        std::filesystem::create_directory(session.storePath());
        TFmQZ7ServerSetup& setup = session.open();
        QCOMPARE(session.boxes.shown.size(), 1);
        QVERIFY(session.boxes.shown[0].startsWith("application: "));
        QCOMPARE(setup.RzListBoxListShablon->count(), 0);
        QVERIFY(!setup.RzBitBtnSaveShablon->isEnabled());
        QVERIFY(!setup.RzBitBtnDelShablon->isEnabled());
        QVERIFY(setup.RzBitBtnNewShablon->isEnabled());
    }

    // Read permission missing (simulated: root reads every file): the store is never written.
    void aStoreThatCouldNotBeReadIsNeverWritten() {
        TemplateSession session;
        const std::string kept = templateBytes("A") + templateBytes("B");
        session.putStore(kept);
        setReadFailureForTesting(session.storePath(), EACCES);
        TFmQZ7ServerSetup& setup = session.open();
        setReadFailureForTesting({}, 0);
        setup.show();
        QCOMPARE(session.boxes.shown.size(), 1);
        QCOMPARE(setup.RzListBoxListShablon->count(), 0);

        session.names.answers = {QStringLiteral("C")};
        setup.RzBitBtnNewShablon->click();
        QCOMPARE(session.boxes.shown.size(), 2);
        QVERIFY(session.boxes.shown[1].startsWith("application: "));
        QVERIFY(session.boxes.shown[1].contains("не изменяется"));
        QVERIFY(session.names.shownNames.isEmpty());
        QVERIFY(setup.close());
        QCOMPARE(session.boxes.shown.size(), 2);
        QCOMPARE(session.storeBytes(), kept);
    }

    // Another program (qz7ctl import, a second window) changed the store: no rewrite overwrites
    // it; the list is read again and the command is not carried out.
    void aStoreChangedMeanwhileIsReadAgainNotOverwritten() {
        TemplateSession session;
        const std::string a = templateBytes("A"), b = templateBytes("B"), c = templateBytes("C");
        session.putStore(a + b);
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        setup.RzEditPasswordGames->setText(QStringLiteral("stays"));
        const QString changed = QStringLiteral(
            "information: Файл шаблонов был изменён другой программой; список шаблонов "
            "перечитан.");

        struct Command {
            const char* name;
            std::function<void()> run;
        };
        const Command commands[] = {
            {"close", [&] { QVERIFY(setup.close()); }},
            {"Up", [&] { setup.RzBitBtnListShabUp->click(); }},
            {"Down", [&] { setup.RzBitBtnListShabDown->click(); }},
            {"Delete", [&] { setup.RzBitBtnDelShablon->click(); }},
            {"Save", [&] { setup.RzBitBtnSaveShablon->click(); }},
        };
        std::string onDisk = a + b;
        for (const Command& command : commands) {
            onDisk += c;
            session.putStore(onDisk);
            selectRowSilently(setup.RzListBoxListShablon, 1);
            session.names.answers = {QStringLiteral("renamed")};
            session.boxes.shown.clear();
            command.run();
            QCOMPARE(session.boxes.shown, QStringList{changed});
            QCOMPARE(session.storeBytes(), onDisk);
            QCOMPARE(setup.RzListBoxListShablon->count(), int(onDisk.size() / kRecord));
            QCOMPARE(setup.RzListBoxListShablon->currentRow(), 1);  // "B" again
            QCOMPARE(setup.RzEditPasswordGames->text(), QStringLiteral("stays"));
            setup.show();
        }
        // Repeated on the fresh list, the command is carried out.
        setup.RzBitBtnListShabUp->click();
        QCOMPARE(session.storeBytes().substr(0, 2 * kRecord), b + a);
        // An append needs no reload; the next rewrite finds the file as it left it.
        session.names.answers = {QStringLiteral("D")};
        setup.RzBitBtnNewShablon->click();
        session.boxes.shown.clear();
        QVERIFY(setup.close());
        QVERIFY(session.boxes.shown.isEmpty());
        QCOMPARE(listed(setup.RzListBoxListShablon).last(), QStringLiteral("D"));
    }

    void copyPutsTheSelectedNameOnTheClipboard() {
        TemplateSession session;
        session.putStore(templateBytes("Первый") + templateBytes("Второй"));
        TFmQZ7ServerSetup& setup = session.open();
        setup.N1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Первый"));
        selectRowSilently(setup.RzListBoxListShablon, -1);
        setup.N1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    TemplateCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "template_commands_test.moc"
