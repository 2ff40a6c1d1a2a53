#include "app/template_name_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

#include "app/editable_box.h"
#include "app/message_boxes.h"
#include "app/template_problem_message.h"
#include "app/window_fonts.h"
#include "app/window_frames.h"
#include "settings/template_rules.h"

namespace qz7 {

namespace {

std::function<void(TFmQZ7_Save&)>& modalRunReplacement() {
    static std::function<void(TFmQZ7_Save&)> replacement;
    return replacement;
}

// The order of the sorted name list: letters compare without regard to case, as in a sorted
// Windows combo box; texts that differ only in case keep a stable order.
bool sortsBefore(const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

}  // namespace

TFmQZ7_Save::TFmQZ7_Save(QWidget* setupWindow) : QDialog(setupWindow, kFixedDialogFrame) {
    setObjectName(QStringLiteral("FmQZ7_Save"));
    setWindowTitle(QStringLiteral("FmQZ7_Save"));
    setModal(true);
    setFixedSize(300, 110);
    // The font of the other windows, in pixels: the fixed size holds it at every scale.
    setFont(windowDefaultFont());

    RzLabelName = new QLabel(QStringLiteral("Введите имя шаблона"), this);
    RzLabelName->setObjectName(QStringLiteral("RzLabelName"));
    RzLabelName->setGeometry(12, 8, 276, 20);
    RzComboBoxNameShablon = new QComboBox(this);
    RzComboBoxNameShablon->setObjectName(QStringLiteral("RzComboBoxNameShablon"));
    // Names join the list only when confirmed, at their sorted place (addConfirmedName).
    makeEditable(RzComboBoxNameShablon);
    RzComboBoxNameShablon->setGeometry(12, 30, 276, 24);
    RzBitBtnOk = new QPushButton(QStringLiteral("OK"), this);
    RzBitBtnOk->setObjectName(QStringLiteral("RzBitBtnOk"));
    RzBitBtnOk->setGeometry(12, 70, 130, 28);
    RzBitBtnOk->setDefault(true);
    RzBitBtnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    RzBitBtnClose->setObjectName(QStringLiteral("RzBitBtnClose"));
    RzBitBtnClose->setGeometry(158, 70, 130, 28);

    connect(RzBitBtnOk, &QPushButton::clicked, this, [this] { RzBitBtnOkClick(); });
    connect(RzBitBtnClose, &QPushButton::clicked, this, [this] { RzBitBtnCloseClick(); });
    FormCreate(setupWindow);
}

void TFmQZ7_Save::setModalRunForTesting(std::function<void(TFmQZ7_Save&)> answer) {
    modalRunReplacement() = std::move(answer);
}

bool TFmQZ7_Save::run() {
    confirmed_ = false;
    if (modalRunReplacement())
        modalRunReplacement()(*this);
    else
        exec();
    return confirmed_;
}

QString TFmQZ7_Save::nameText() const { return RzComboBoxNameShablon->currentText(); }

void TFmQZ7_Save::setNameText(const QString& name) { RzComboBoxNameShablon->setEditText(name); }

void TFmQZ7_Save::FormCreate(QWidget* setupWindow) {
    if (setupWindow != nullptr) move(setupWindow->x() - 20, setupWindow->y() + 120);
}

void TFmQZ7_Save::FormActivate() {
    RzComboBoxNameShablon->setFocus();
    // A button that held the focus before made itself the default; Enter in the name box
    // presses "OK" again.
    RzBitBtnOk->setDefault(true);
}

bool TFmQZ7_Save::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return handled;
}

void TFmQZ7_Save::RzBitBtnOkClick() {
    const QString name = nameText();
    // A name the store cannot hold is refused here, with the dialog still open to mend it.
    const std::vector<TemplateProblem> problems = findNameProblems(name.toStdString());
    if (!problems.empty()) {
        messageBoxes().error(this,
                             QString::fromStdString(templateProblemMessage(problems.front(), {})));
        return;
    }
    confirmed_ = true;
    addConfirmedName(name);
    accept();
}

void TFmQZ7_Save::RzBitBtnCloseClick() { reject(); }

void TFmQZ7_Save::reject() {
    confirmed_ = false;
    QDialog::reject();
}

void TFmQZ7_Save::addConfirmedName(const QString& name) {
    int at = 0;
    while (at < RzComboBoxNameShablon->count() &&
           !sortsBefore(name, RzComboBoxNameShablon->itemText(at)))
        ++at;
    RzComboBoxNameShablon->insertItem(at, name);
    // Inserting into an empty list would make the new entry current; the box keeps the text.
    RzComboBoxNameShablon->setEditText(name);
}

}  // namespace qz7
