#pragma once

#include <QStringList>
#include <functional>
#include <memory>

#include "app/program_state.h"

namespace qz7 {

class TFormMenedger;
class TFmQZ7ServerSetup;
class TFmQZ7_Save;

// The program's three windows, created once each in a fixed order and living until the program
// ends: the launch manager (the main window), the setup window (hidden, its creation loads
// everything) and the template-name dialog. `afterLaunchManager` runs between the first and the
// second: the program shows the launch manager there, so it is painted before the setup window's
// heavy work.
class ProgramWindows {
  public:
    ProgramWindows(ProgramState& program, const QStringList& arguments,
                   const std::function<void(TFormMenedger&)>& afterLaunchManager = {});
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

// Shows the launch manager and waits until it has been painted once (at most two seconds, for a
// window that is never exposed). User input is held back meanwhile and handled only once the event
// loop runs, after the rest of start-up.
void showAndWaitForFirstPaint(TFormMenedger& launchManager);

// Shows the main window and runs the event loop until the main window is closed.
//
// When the environment variable QZ7_EXIT_WHEN_SHOWN is set (to anything but empty), the main
// window closes itself the ordinary way as soon as it has been painted once (at once when it has
// already been painted), so the program ends right after start-up; the start-up benchmark
// measures the program like that.
int runEventLoop(TFormMenedger& mainWindow);

// Starts the program: application title, the launch manager shown and painted, the offer of a
// game folder when the current folder holds none of the game's files, the other two windows in
// order, then the event loop. With QZ7_EXIT_WHEN_SHOWN set, the line "shown" goes to
// standard output as soon as the launch manager has been painted, for the start-up benchmark.
int runProgram(int argc, char** argv);

}  // namespace qz7
