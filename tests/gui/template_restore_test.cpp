// "Вернуть шаблон…": a template deleted with "Удалить" comes back from the kept versions of the
// store, through the program started again, and stays there byte for byte.
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "app/qz7_application.h"
#include "app/template_restore_dialog.h"
#include "support/template_session.h"

using namespace qz7;
using testing::listed;
using testing::templateBytes;
using testing::TemplateSession;

class TemplateRestoreTest : public QObject {
    Q_OBJECT

  private slots:
    void aDeletedTemplateComesBackByteForByteAfterTheProgramStartsAgain() {
        TemplateSession session;
        const std::string duels = templateBytes("-=RUS=- Дуэли", {"mp_dome", "mp_alpha"});
        session.putStore(templateBytes("Альфа") + duels + templateBytes("Бета"));
        {
            TFmQZ7ServerSetup& setup = session.open();
            setup.show();
            QVERIFY(QTest::qWaitForWindowExposed(&setup));
            setup.RzListBoxListShablon->setCurrentRow(1);
            setup.RzListBoxListShablon->setFocus();
            setup.RzBitBtnDelShablon->click();
            QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"Альфа", "Бета"}));
            // Said beside the list, no box, the focus where it was.
            QVERIFY(setup.RzLabelRestoreHint->isVisible());
            QVERIFY(setup.RzLabelRestoreHint->text().contains(QStringLiteral("Ctrl+Shift+Z")));
            QCOMPARE(QApplication::focusWidget(), setup.RzListBoxListShablon);
            QTRY_VERIFY_WITH_TIMEOUT(!setup.RzLabelRestoreHint->isVisible(), 10000);
            setup.close();
            session.dialog.reset();
            session.setup.reset();
        }
        QCOMPARE(session.storeBytes().size(), 2 * kTemplateRecordSize);

        // The program again: the menu item, by its shortcut, in the list.
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        QCOMPARE(setup.N7->text(), QStringLiteral("Вернуть шаблон…"));
        QVERIFY(setup.PopupMenu1->actions().contains(setup.N7));
        setup.RzListBoxListShablon->setFocus();
        QTest::keyClick(setup.RzListBoxListShablon, Qt::Key_Z,
                        Qt::ControlModifier | Qt::ShiftModifier);
        TemplateRestoreDialog* dialog = setup.templateRestoreDialog();
        QVERIFY(dialog != nullptr);
        QTRY_VERIFY(dialog->isVisible());
        // Newest first: the list as closing the window found it, then the one "Удалить" changed.
        QCOMPARE(dialog->versionList->count(), 2);
        dialog->versionList->setCurrentRow(1);
        const QString when = dialog->versionList->item(1)->text();
        QVERIFY2(
            when.contains(QStringLiteral("(UTC")) && when.endsWith(QStringLiteral("шаблонов: 3")),
            qPrintable(when));
        QCOMPARE(listed(dialog->templateList), (QStringList{"Альфа", "-=RUS=- Дуэли", "Бета"}));
        dialog->templateList->setCurrentRow(1);
        dialog->addButton->click();
        QCOMPARE(listed(setup.RzListBoxListShablon),
                 (QStringList{"Альфа", "Бета", "-=RUS=- Дуэли"}));
        QVERIFY(dialog->report->text().contains(QStringLiteral("#3")));
        dialog->closeButton->click();
        setup.close();
        session.dialog.reset();
        session.setup.reset();

        TFmQZ7ServerSetup& again = session.open();
        QCOMPARE(listed(again.RzListBoxListShablon),
                 (QStringList{"Альфа", "Бета", "-=RUS=- Дуэли"}));
        QCOMPARE(session.storeBytes().substr(2 * kTemplateRecordSize), duels);
        QCOMPARE(session.boxes.shown, QStringList());
    }

    // The whole list put back from a version: the window's list is the version's at once, and
    // the list it replaced is kept as a version itself.
    void theWholeListComesBackAndTheReplacedOneIsKept() {
        TemplateSession session;
        const std::string before = templateBytes("Альфа") + templateBytes("Бета");
        session.putStore(before);
        TFmQZ7ServerSetup& setup = session.open();
        setup.RzListBoxListShablon->setCurrentRow(0);
        setup.RzBitBtnDelShablon->click();
        setup.RzListBoxListShablon->setCurrentRow(0);
        setup.RzBitBtnDelShablon->click();
        QCOMPARE(setup.RzListBoxListShablon->count(), 0);
        setup.N7->trigger();
        TemplateRestoreDialog* dialog = setup.templateRestoreDialog();
        QCOMPARE(dialog->versionList->count(), 2);  // newest first: one template, then two
        dialog->versionList->setCurrentRow(1);
        dialog->wholeStoreButton->click();
        QCOMPARE(listed(setup.RzListBoxListShablon), (QStringList{"Альфа", "Бета"}));
        QCOMPARE(session.storeBytes(), before);
        QCOMPARE(dialog->versionList->count(), 3);
        QCOMPARE(session.boxes.shown, QStringList());
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    TemplateRestoreTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "template_restore_test.moc"
