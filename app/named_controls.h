#pragma once

#include <QPushButton>
#include <QRect>
#include <QString>

namespace qz7 {

// A control carries its name as its Qt object name, by which tests and styles find it.
template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A command button of the working windows (qz7role "command": the style draws it), placed.
inline QPushButton* commandButton(QWidget* parent, const QString& caption, const char* name,
                                  QRect geometry) {
    auto* button = named(new QPushButton(caption, parent), name);
    button->setProperty("qz7role", "command");
    button->setGeometry(geometry);
    return button;
}

}  // namespace qz7
