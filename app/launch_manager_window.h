#pragma once

#include <QWidget>

#include "app/program_state.h"

class QPushButton;

namespace qz7 {

class TFmQZ7ServerSetup;
class RzLEDDisplay;

// The launch manager, the program's main window: starts the client or shows the setup window.
class TFormMenedger : public QWidget {
    Q_OBJECT

  public:
    TFormMenedger(ProgramState& program, const QStringList& arguments, QWidget* parent = nullptr);

    // The setup window, created after this one.
    void setServerSetupWindow(TFmQZ7ServerSetup* window) { FmQZ7ServerSetup = window; }

    QWidget* RzBackground1;  // the window's background picture, centred
    QWidget* RzBorder1;      // the orange bump frame along the window's edges
    QPushButton* RzBtnClientRun;
    QPushButton* RzBtnServerRun;
    RzLEDDisplay* RzLEDDisplay1;  // the scrolling LED ticker with the version text

    void FormCreate(const QStringList& arguments);
    void RzBtnClientRunClick();
    void RzBtnServerRunClick();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void createControls();

    ProgramState& program_;
    TFmQZ7ServerSetup* FmQZ7ServerSetup = nullptr;
};

}  // namespace qz7
