#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>

namespace qz7::testing {

#ifdef Q_OS_WIN
// Offscreen on Windows, Qt reads the fallback fonts (Liberation, DejaVu) with FreeType at full
// hinting, whose rounded advances make a caption up to 2% wider than the same font drawn on
// Linux, where the captions fit exactly.
inline constexpr int kHintedWidthAllowance = 6;
#else
inline constexpr int kHintedWidthAllowance = 0;
#endif

// The visible labels and buttons of a window whose caption needs more room than the control has,
// trailing blanks included, and the edit boxes lower than their line, as "name needed > size";
// empty when every caption fits. Controls in
// `exempt` (one that cuts its text on purpose) are left out.
inline QStringList cutCaptions(const QWidget& window, const QList<const QWidget*>& exempt = {}) {
    QStringList cut;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->isVisible() || exempt.contains(control)) continue;
        QString text;
        if (auto* label = qobject_cast<const QLabel*>(control)) text = label->text();
        if (auto* button = qobject_cast<const QAbstractButton*>(control)) text = button->text();
        // Edit boxes scroll their text sideways, but a box lower than its line cuts every letter.
        const bool box = qobject_cast<const QLineEdit*>(control) != nullptr ||
                         qobject_cast<const QComboBox*>(control) != nullptr;
        if (text.isEmpty() && !box) continue;
        // A list box's own edit line has no frame: the box gives it its height, and what must fit
        // is the line of its font. (Its size hint counts what the style puts around a box, the
        // Windows style a button's margins and an arrow's width, which the box already holds.)
        if (qobject_cast<const QComboBox*>(control->parentWidget()) != nullptr && box) {
            const int line = control->fontMetrics().height();
            if (line > control->contentsRect().height())
                cut << QStringLiteral("%1 line %2 > %3")
                           .arg(control->parentWidget()->objectName())
                           .arg(line)
                           .arg(control->contentsRect().height());
            continue;
        }
        const QSize needed = control->sizeHint();
        if ((!box && needed.width() > control->width() + kHintedWidthAllowance) ||
            needed.height() > control->height() + 4)
            cut << QStringLiteral("%1 %2x%3 > %4x%5")
                       .arg(control->objectName())
                       .arg(needed.width())
                       .arg(needed.height())
                       .arg(control->width())
                       .arg(control->height());
    }
    return cut;
}

}  // namespace qz7::testing
