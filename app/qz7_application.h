#pragma once

#include <QApplication>

namespace qz7 {

// The application object. An exception that escapes an event handler is caught at the event
// boundary and shown by the default error handling; the operation stops, the program goes on.
class Qz7Application : public QApplication {
  public:
    Qz7Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The application title, also the launch manager's caption and the caption of the plain boxes.
inline const char* const kApplicationTitle = "Менеджер запуска игры Steel Horizon";
QString applicationTitle();

}  // namespace qz7
