#include "settings/template_name_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace qz7 {

TFmQZ7_Save::TFmQZ7_Save(QWidget* setupWindow) : QDialog(setupWindow, Qt::Dialog) {
    setObjectName(QStringLiteral("FmQZ7_Save"));
    setWindowTitle(QStringLiteral("FmQZ7_Save"));
    setModal(true);
    setFixedSize(300, 110);

    RzLabelName = new QLabel(QStringLiteral("Введите имя шаблона"), this);
    RzLabelName->setObjectName(QStringLiteral("RzLabelName"));
    RzLabelName->setGeometry(12, 8, 276, 20);
    RzComboBoxNameShablon = new QComboBox(this);
    RzComboBoxNameShablon->setObjectName(QStringLiteral("RzComboBoxNameShablon"));
    RzComboBoxNameShablon->setEditable(true);
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

void TFmQZ7_Save::FormCreate(QWidget* setupWindow) {
    if (setupWindow != nullptr) move(setupWindow->x() - 20, setupWindow->y() + 120);
}

void TFmQZ7_Save::RzBitBtnOkClick() {
    Confirmed = true;
    accept();
}

void TFmQZ7_Save::RzBitBtnCloseClick() {
    Confirmed = false;
    reject();
}

}  // namespace qz7
