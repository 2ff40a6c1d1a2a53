#pragma once

#include <QString>
#include <QtTest>

namespace qz7::testing {

// Types text key by key, Russian letters too (QTest::keyClicks takes Latin-1 only).
inline void typeText(QWidget* widget, const QString& text) {
    for (QChar character : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character),
                            Qt::NoModifier);
}

}  // namespace qz7::testing
