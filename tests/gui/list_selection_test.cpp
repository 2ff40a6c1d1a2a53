#include "app/list_selection.h"

#include <QListWidget>
#include <QtTest>

using namespace qz7;

// The click handler of a list runs for the user's selections only, and sees the new selection.
class ListSelectionTest : public QObject {
    Q_OBJECT

    QListWidget list;
    QStringList seen;  // the selected text each time the handler ran

  private slots:
    void init() {
        list.clear();
        list.addItems({"a", "b", "c"});
        seen.clear();
        connectListClick(&list, [this] {
            const int row = selectedRow(&list);
            seen << (row < 0 ? QStringLiteral("-") : list.item(row)->text());
        });
        list.resize(200, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
    }

    void cleanup() { list.disconnect(); }

    void mouseClicksRunItWithTheClickedRowSelected() {
        const QRect b = list.visualItemRect(list.item(1));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, b.center());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, b.center());  // same row again
        QCOMPARE(seen, (QStringList{"b", "b"}));
    }

    void arrowKeysRunItOncePerMove() {
        selectRowSilently(&list, 0);
        QTest::keyClick(&list, Qt::Key_Down);
        QTest::keyClick(&list, Qt::Key_End);
        QCOMPARE(seen, (QStringList{"b", "c"}));
    }

    void programSelectionAndFocusRunNothing() {
        selectRowSilently(&list, 2);
        selectRowSilently(&list, -1);
        QCOMPARE(selectedRow(&list), -1);
        list.clearFocus();
        list.setFocus();
        QCOMPARE(selectedRow(&list), -1);
        QVERIFY(seen.isEmpty());
        QTest::keyClick(&list, Qt::Key_Down);  // the first arrow starts at the top
        QCOMPARE(seen, (QStringList{"a"}));
    }
};

QTEST_MAIN(ListSelectionTest)
#include "list_selection_test.moc"
