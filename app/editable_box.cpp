#include "app/editable_box.h"

#include <QComboBox>
#include <QCompleter>

namespace qz7 {

void makeEditable(QComboBox* box) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->completer()->setCompletionMode(QCompleter::PopupCompletion);
    box->completer()->setCaseSensitivity(Qt::CaseSensitive);
}

}  // namespace qz7
