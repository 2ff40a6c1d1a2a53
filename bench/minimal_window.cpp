// The yardstick of the start-up benchmark: a minimal Qt Widgets program that opens one empty
// window. Like the launch manager, it closes the window after its first paint when
// QZ7_EXIT_WHEN_SHOWN is set, writing the line "shown" to standard output first, and the program
// then ends. With the argument --button the window holds one push button with a Russian caption:
// the least a window with text costs (fontconfig, text shaping, glyphs).
#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class CloseAfterFirstPaint : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* window = static_cast<QWidget*>(watched);
            window->removeEventFilter(this);
            QTimer::singleShot(0, window, [window] {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                window->close();
            });
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(527, 182);
    if (argc > 1 && std::strcmp(argv[1], "--button") == 0) {
        auto* button = new QPushButton(QStringLiteral("Запустить клиент QZ7"), &window);
        button->setGeometry(264, 33, 233, 36);
    }
    CloseAfterFirstPaint closer;
    const char* exitWhenShown = std::getenv("QZ7_EXIT_WHEN_SHOWN");
    if (exitWhenShown != nullptr && *exitWhenShown != '\0') window.installEventFilter(&closer);
    window.show();
    return QApplication::exec();
}
