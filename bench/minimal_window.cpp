// The yardstick of the start-up benchmark: a minimal Qt Widgets program that opens one empty
// window. Like the launch manager, it closes the window after its first paint when
// QZ7_EXIT_WHEN_SHOWN is set, and the program then ends.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {

class CloseAfterFirstPaint : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* window = static_cast<QWidget*>(watched);
            window->removeEventFilter(this);
            QTimer::singleShot(0, window, [window] { window->close(); });
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(527, 182);
    CloseAfterFirstPaint closer;
    const char* exitWhenShown = std::getenv("QZ7_EXIT_WHEN_SHOWN");
    if (exitWhenShown != nullptr && *exitWhenShown != '\0') window.installEventFilter(&closer);
    window.show();
    return QApplication::exec();
}
