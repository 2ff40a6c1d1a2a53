#pragma once

#include <QStringList>
#include <memory>

#include "app/program_state.h"

namespace qz7 {

class TFormMenedger;
class TFmQZ7ServerSetup;
class TFmQZ7_Save;

// The program's three windows, created once each in a fixed order and living until the program
// ends: the launch manager (the main window), the setup window (hidden, its creation loads
// everything) and the template-name dialog.
class ProgramWindows {
  public:
    ProgramWindows(ProgramState& program, const QStringList& arguments);
    ~ProgramWindows();

    TFormMenedger& launchManager() { return *FormMenedger; }
    TFmQZ7ServerSetup& serverSetup() { return *FmQZ7ServerSetup; }
    TFmQZ7_Save& templateNameDialog() { return *FmQZ7_Save; }

    // The object names of the windows in the order their creation finished.
    const QStringList& creationOrder() const { return creationOrder_; }

  private:
    QStringList creationOrder_;
    std::unique_ptr<TFormMenedger> FormMenedger;
    std::unique_ptr<TFmQZ7ServerSetup> FmQZ7ServerSetup;
    std::unique_ptr<TFmQZ7_Save> FmQZ7_Save;
};

// Shows the main window and runs the event loop until the main window is closed.
//
// When the environment variable QZ7_EXIT_WHEN_SHOWN is set (to anything but empty), the main
// window closes itself the ordinary way as soon as it has been painted once, so the program ends
// right after start-up; the start-up benchmark measures the program like that.
int runEventLoop(TFormMenedger& mainWindow);

// Starts the program: application title, the three windows in order, then the event loop.
int runProgram(int argc, char** argv);

}  // namespace qz7
