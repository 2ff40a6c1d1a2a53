#include "app/list_selection.h"

#include <QEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace qz7 {

namespace {

// The list reports a keyboard move after the selection has moved, but a mouse press moves the
// current row first and the selection after. So a row change runs the handler only when its row
// is already selected; otherwise the pressed signal, which comes after the press has selected the
// row, runs it. The filter sees each press before the list does and starts it afresh.
// Only the left button selects, as in a Windows list box: the other buttons never reach the list,
// so a right click opens the context menu (sent apart from the press) and changes nothing.
class PressWatcher : public QObject {
  public:
    using QObject::QObject;
    bool handledDuringPress = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return true;
                if (event->type() == QEvent::MouseButtonPress) handledDuringPress = false;
                return false;
            default:
                return false;
        }
    }
};

// Qt makes the first row current when a list without a current row gets the keyboard focus. That
// is no choice of the user's: it must run no click handler and leave no row behind that the next
// arrow key would start from, so the list gets its focus with its signals blocked and its current
// row cleared again.
class FocusWithoutCurrentRow : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The type first: a list being destroyed still sends focus events as a bare QWidget.
        if (event->type() != QEvent::FocusIn) return false;
        auto* list = static_cast<QListWidget*>(watched);
        if (list->currentRow() >= 0) return false;
        {
            const QSignalBlocker blocker(list);
            static_cast<QObject*>(list)->event(event);
        }
        selectRowSilently(list, -1);
        return true;
    }
};

}  // namespace

void connectListClick(QListWidget* list, std::function<void()> onClick) {
    auto* watcher = new PressWatcher(list);
    list->viewport()->installEventFilter(watcher);
    list->installEventFilter(new FocusWithoutCurrentRow(list));
    QObject::connect(list, &QListWidget::currentRowChanged, list,
                     [list, watcher, onClick](int row) {
                         if (row < 0 || selectedRow(list) != row) return;
                         watcher->handledDuringPress = true;
                         onClick();
                     });
    QObject::connect(list, &QListWidget::pressed, list, [watcher, onClick](const QModelIndex&) {
        if (!watcher->handledDuringPress) onClick();
        watcher->handledDuringPress = true;
    });
}

int selectedRow(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    return item != nullptr && item->isSelected() ? list->currentRow() : -1;
}

void selectRowSilently(QListWidget* list, int row) {
    const QSignalBlocker blocker(list);
    if (row < 0) {
        list->setCurrentRow(-1);
        list->clearSelection();
    } else {
        list->setCurrentRow(row);
    }
}

}  // namespace qz7
