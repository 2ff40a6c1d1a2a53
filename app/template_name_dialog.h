#pragma once

#include <QDialog>
#include <functional>

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

    // Shows the dialog modally; true when it was left with "OK" (the name box then holds the
    // confirmed name), false for "Закрыть", Esc or the window frame.
    bool run();

    // How the dialog was last left.
    bool confirmed() const { return confirmed_; }

    // The name box's text.
    QString nameText() const;
    void setNameText(const QString& name);

    // Tests only: replaces the modal run by a function that answers the dialog (for example by
    // filling the name box and pressing a button); an empty function restores the real run.
    static void setModalRunForTesting(std::function<void(TFmQZ7_Save&)> answer);

    QLabel* RzLabelName;
    QComboBox* RzComboBoxNameShablon;
    QPushButton* RzBitBtnOk;
    QPushButton* RzBitBtnClose;

    void FormCreate(QWidget* setupWindow);
    void FormActivate();
    void RzBitBtnOkClick();
    void RzBitBtnCloseClick();

    // Every way of leaving the dialog other than "OK" counts as "Закрыть".
    void reject() override;

  protected:
    bool event(QEvent* event) override;

  private:
    void addConfirmedName(const QString& name);

    bool confirmed_ = false;
};

}  // namespace qz7
