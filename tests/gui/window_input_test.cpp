// The setup window driven as a user drives it: keys, right clicks, minimising, what is shown.
#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "app/qz7_application.h"
#include "support/template_session.h"
#include "support/typing.h"

using namespace qz7;
using testing::templateBytes;
using testing::TemplateSession;
using testing::typeText;

namespace {

std::string templateWithMode(std::string_view name, std::string_view mode) {
    GameSettings settings;
    settings.GameMode = std::string(mode);
    return encodeTemplateRecord(KodirShablona(name, settings, {}, "+cmd"));
}

void pickFromOpenList(QComboBox* box, int row) {
    box->showPopup();
    QAbstractItemView* list = box->view();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

}  // namespace

class WindowInputTest : public QObject {
    Q_OBJECT

  private slots:
    // This sequence once corrupted the heap (the typed edit was undone from inside the line
    // edit's own key handling) and the program aborted as its windows were destroyed.
    void typingIntoTheModeBoxIsRefusedAndTheWindowsEndCleanly() {
        auto session = std::make_unique<TemplateSession>();
        session->putStore(templateWithMode("A", "штаб") + templateWithMode("B", "саботаж"));
        TFmQZ7ServerSetup& setup = session->open();
        setup.show();
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        QComboBox* mode = setup.RzComboBoxMode;
        QLineEdit* edit = mode->lineEdit();
        edit->setFocus();
        typeText(edit, QStringLiteral("з"));
        typeText(edit, QStringLiteral("abc 1"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        typeText(edit, QStringLiteral("x"));
        QCOMPARE(mode->currentText(), QStringLiteral("штаб"));

        pickFromOpenList(mode, 6);
        QCOMPARE(mode->currentText(), QStringLiteral("захват флага"));
        typeText(edit, QStringLiteral("к"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(mode->currentText(), QStringLiteral("захват флага"));

        QListWidget* list = setup.RzListBoxListShablon;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        QCOMPARE(mode->currentText(), QStringLiteral("саботаж"));
        edit->setFocus();
        typeText(edit, QStringLiteral("д"));
        typeText(edit, QStringLiteral("zz"));
        QCOMPARE(mode->currentText(), QStringLiteral("саботаж"));
        QCOMPARE(setup.readSettings().GameMode, std::string("саботаж"));
        session.reset();
    }

    // A right press opens the menu only, as a Windows list box does: no selection, no template
    // applied. The Menu key opens the menu at the selected row.
    void rightClickAndMenuKeyOpenTheMenuAndApplyNothing() {
        TemplateSession session;
        session.putStore(templateBytes("Первый", {}, "one") + templateBytes("Второй", {}, "two"));
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        setup.RzEditPasswordGames->setText(QStringLiteral("unsaved"));
        QListWidget* list = setup.RzListBoxListShablon;
        const QPoint second = list->visualItemRect(list->item(1)).center();
        // The press, then the context menu event the window system sends with it.
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, second);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, second,
                                     list->viewport()->mapToGlobal(second));
        QCoreApplication::sendEvent(list->viewport(), &rightClick);
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, second);
        QTRY_VERIFY(setup.PopupMenu1->isVisible());
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(setup.RzEditPasswordGames->text(), QStringLiteral("unsaved"));
        setup.N1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Первый"));
        setup.PopupMenu1->hide();

        list->setFocus();
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0),
                                  list->mapToGlobal(QPoint(0, 0)));
        QCoreApplication::sendEvent(list, &menuKey);
        QTRY_VERIFY(setup.PopupMenu1->isVisible());
        const QPoint rowBottom =
            list->viewport()->mapToGlobal(list->visualItemRect(list->item(0)).bottomLeft());
        QCOMPARE(setup.PopupMenu1->pos(), rowBottom);
        setup.PopupMenu1->hide();
        QCOMPARE(setup.RzEditPasswordGames->text(), QStringLiteral("unsaved"));
    }

    // Restored from minimised, the window keeps its focus where the user left it; only a showing
    // by the program focuses the template list.
    void restoringFromMinimisedKeepsTheFocus() {
        TemplateSession session;
        session.putStore(templateBytes("A") + templateBytes("B"));
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        QTRY_VERIFY(setup.RzListBoxListShablon->hasFocus());
        setup.RzEditPasswordGames->setFocus();
        setup.setWindowState(Qt::WindowMinimized);
        setup.setWindowState(Qt::WindowNoState);
        QCoreApplication::processEvents();
        QVERIFY(setup.RzEditPasswordGames->hasFocus());
    }

    // Completion must not change the case of a typed value: "off" is no regeneration label.
    void editableBoxesCompleteCaseSensitively() {
        TemplateSession session;
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        QLineEdit* regen = setup.RzComboBoxRegen->lineEdit();
        regen->setFocus();
        regen->selectAll();
        QTest::keyClicks(regen, QStringLiteral("off"));
        setup.RzEditMaxPlayer->setFocus();
        QCOMPARE(setup.RzComboBoxRegen->currentText(), QStringLiteral("off"));
        QCOMPARE(setup.readSettings().HealthRegen, std::string("off"));
    }

    // What the window draws: the start of the command line after a template is applied, the preview
    // from the top left corner, the rotation's Up and Down at its right, one under the other.
    void commandLinePreviewAndRotationButtonsShowAsMeant() {
        TemplateSession session;
        session.putStore(templateBytes("A", {"mp_dome"}, "", "+set " + std::string(200, 'x')));
        TFmQZ7ServerSetup& setup = session.open();
        setup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&setup));

        QCOMPARE(setup.RzEditCommand->cursorPosition(), 0);

        const QPixmap preview = setup.Image1->grab();
        const QImage shown = preview.toImage();
        const QPixmap picture = setup.Image1->pixmap();
        QVERIFY(!picture.isNull());
        QCOMPARE(shown.pixelColor(1, 1), picture.toImage().pixelColor(1, 1));

        const QRect rotation = setup.RzListBoxMap->geometry();
        const QRect up = setup.RzBitBtnListMapUp->geometry();
        const QRect down = setup.RzBitBtnListMapDown->geometry();
        QVERIFY(up.left() > rotation.right());
        QCOMPARE(down.left(), up.left());
        QVERIFY(down.top() > up.bottom());
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    WindowInputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_input_test.moc"
