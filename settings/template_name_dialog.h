#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace qz7 {

// The template-name dialog: asks for a template's name, shown modally by the template commands.
class TFmQZ7_Save : public QDialog {
    Q_OBJECT

  public:
    // Placed relative to the setup window as it stands when the dialog is created.
    explicit TFmQZ7_Save(QWidget* setupWindow);

    // How the dialog was last left.
    bool confirmed() const { return Confirmed; }

    QLabel* RzLabelName;
    QComboBox* RzComboBoxNameShablon;
    QPushButton* RzBitBtnOk;
    QPushButton* RzBitBtnClose;

    void FormCreate(QWidget* setupWindow);
    void RzBitBtnOkClick();
    void RzBitBtnCloseClick();

  private:
    bool Confirmed = false;
};

}  // namespace qz7
