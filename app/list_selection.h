#pragma once

#include <functional>

class QListWidget;

namespace qz7 {

// Runs the list's click handler the way the user expects of a list box's click event: whenever
// the user changes the selection with the mouse or the keyboard, and on a mouse press on the row
// already selected. A selection made by the program (selectRowSilently) runs nothing.
void connectListClick(QListWidget* list, std::function<void()> onClick);

// Selects a row (or none, with -1) without running the list's click handler.
void selectRowSilently(QListWidget* list, int row);

}  // namespace qz7
