#include "app/qz7_application.h"

#include "app/message_boxes.h"

namespace qz7 {

namespace {

// Chosen before the application object exists, which reads both.
int& withWholeScaleFactors(int& argc) {
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(kScaleFactorRoundingPolicy);
    QCoreApplication::setAttribute(Qt::AA_Use96Dpi);
    return argc;
}

}  // namespace

Qz7Application::Qz7Application(int& argc, char** argv)
    : QApplication(withWholeScaleFactors(argc), argv) {
    // The name, not the display name: Qt would append a display name to every window caption.
    setApplicationName(applicationTitle());
}

QString applicationTitle() { return QString::fromUtf8(kApplicationTitle); }

bool Qz7Application::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    runWithDefaultErrorHandling([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

}  // namespace qz7
