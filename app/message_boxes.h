#pragma once

#include <QString>

class QWidget;

namespace qz7 {

// Every message box of the program goes through this interface, so tests can record and answer
// them instead of blocking on a real box.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // The program's own error box: error icon, caption "Error", one OK button.
    virtual void error(QWidget* owner, const QString& text) = 0;
    // A plain box (no icon) captioned with the application title, one OK button.
    virtual void plain(QWidget* owner, const QString& text) = 0;
    // A notice: information icon, caption the application title, one OK button.
    virtual void information(QWidget* owner, const QString& text) = 0;
    // The confirmation box: question icon, caption "Confirm", Yes and No. True for Yes.
    virtual bool confirm(QWidget* owner, const QString& text) = 0;
    // A question of the program's own: question icon, caption the application title, buttons
    // "Да" and "Нет" (the default, so a stray Enter does nothing). True for "Да".
    virtual bool question(QWidget* owner, const QString& text) = 0;
    // The application's default error handling: application title as caption, error icon.
    virtual void applicationError(const QString& text) = 0;
};

// The boxes in use: real QMessageBox ones unless a test put a replacement in place.
MessageBoxes& messageBoxes();
void setMessageBoxesForTesting(MessageBoxes* replacement);  // nullptr restores the real ones

// The text the default error handling shows: a full stop is added when the text ends in a letter
// or a digit.
QString applicationErrorText(const QString& text);

// Runs an operation the way an event handler runs: an exception that escapes it is shown by the
// application's default error handling, and the program goes on. False when it failed.
template <typename Operation>
bool runWithDefaultErrorHandling(Operation&& operation);

void showEscapedException();  // shows the exception being handled (inside a catch block)

template <typename Operation>
bool runWithDefaultErrorHandling(Operation&& operation) {
    try {
        operation();
        return true;
    } catch (...) {
        showEscapedException();
        return false;
    }
}

}  // namespace qz7
