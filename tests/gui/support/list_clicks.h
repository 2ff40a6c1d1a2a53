#pragma once

#include <QListWidget>
#include <QtTest>

namespace qz7::testing {

// Clicks (or double-clicks) a row of a list with the mouse, scrolling it into view first; the
// list lays out and scrolls lazily, hence the event processing.
inline void clickRow(QListWidget* list, int row, bool doubleClick = false) {
    QCoreApplication::processEvents();
    list->scrollToItem(list->item(row));
    QCoreApplication::processEvents();
    const QRect rect = list->visualItemRect(list->item(row));
    QVERIFY(list->viewport()->rect().contains(rect.center()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    // A double-click comes after a first click, as with a real mouse; the list reacts to it only
    // on the row that the first press was on.
    if (doubleClick) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(list->currentRow(), row);
}

}  // namespace qz7::testing
