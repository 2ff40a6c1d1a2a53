#include "app/list_selection.h"

#include <QEvent>
#include <QListWidget>
#include <QSignalBlocker>

namespace qz7 {

namespace {

// Tells, for one mouse press, whether the press changed the current row: the press event reaches
// this filter before the list handles it, the row change comes while it handles it, and the
// pressed signal after.
class PressWatcher : public QObject {
  public:
    using QObject::QObject;
    bool rowChangedByPress = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) rowChangedByPress = false;
        return false;
    }
};

}  // namespace

void connectListClick(QListWidget* list, std::function<void()> onClick) {
    auto* watcher = new PressWatcher(list);
    list->viewport()->installEventFilter(watcher);
    QObject::connect(list, &QListWidget::currentRowChanged, list, [watcher, onClick](int) {
        watcher->rowChangedByPress = true;
        onClick();
    });
    QObject::connect(list, &QListWidget::pressed, list, [watcher, onClick](const QModelIndex&) {
        if (!watcher->rowChangedByPress) onClick();
        watcher->rowChangedByPress = false;
    });
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
