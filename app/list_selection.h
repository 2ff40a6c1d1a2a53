#pragma once

#include <functional>

class QListWidget;

namespace qz7 {

// Runs the list's click handler the way the user expects of a list box's click event: whenever
// the user changes the selection with the mouse or the keyboard, and on a mouse press on the row
// already selected; the handler sees the new selection. A selection made by the program
// (selectRowSilently) runs nothing, and neither does the current row Qt sets on focus.
void connectListClick(QListWidget* list, std::function<void()> onClick);

// The selected row of a single-selection list, or -1. A current row that is not selected (Qt
// makes the first row current when a list without one gets the focus) counts as none.
int selectedRow(const QListWidget* list);

// Selects a row (or none, with -1) without running the list's click handler.
void selectRowSilently(QListWidget* list, int row);

}  // namespace qz7
