#include "app/led_segments.h"

#include <QLineF>
#include <QPainter>
#include <array>

namespace qz7 {

namespace {

constexpr std::uint16_t T = SegmentTop, UR = SegmentUpperRight, LR = SegmentLowerRight,
                        B = SegmentBottom, LL = SegmentLowerLeft, UL = SegmentUpperLeft,
                        ML = SegmentMiddleLeft, MR = SegmentMiddleRight,
                        DUL = SegmentDiagonalUpperLeft, UC = SegmentUpperCentre,
                        DUR = SegmentDiagonalUpperRight, DLL = SegmentDiagonalLowerLeft,
                        LC = SegmentLowerCentre, DLR = SegmentDiagonalLowerRight;
constexpr std::uint16_t Ring = T | UR | LR | B | LL | UL;

constexpr std::array<std::uint16_t, 26> kLetters = {
    T | UL | UR | ML | MR | LL | LR,   // A
    T | UR | LR | B | UC | LC | MR,    // B
    T | UL | LL | B,                   // C
    T | UR | LR | B | UC | LC,         // D
    T | UL | LL | B | ML,              // E
    T | UL | LL | ML,                  // F
    T | UL | LL | B | LR | MR,         // G
    UL | LL | UR | LR | ML | MR,       // H
    T | B | UC | LC,                   // I
    UR | LR | B | LL,                  // J
    UL | LL | ML | DUR | DLR,          // K
    UL | LL | B,                       // L
    UL | LL | UR | LR | DUL | DUR,     // M
    UL | LL | UR | LR | DUL | DLR,     // N
    Ring,                              // O
    T | UL | UR | ML | MR | LL,        // P
    Ring | DLR,                        // Q
    T | UL | UR | ML | MR | LL | DLR,  // R
    T | UL | ML | MR | LR | B,         // S
    T | UC | LC,                       // T
    UL | LL | B | LR | UR,             // U
    UL | LL | DLL | DUR,               // V
    UL | LL | UR | LR | DLL | DLR,     // W
    DUL | DUR | DLL | DLR,             // X
    DUL | DUR | LC,                    // Y
    T | B | DUR | DLL,                 // Z
};

constexpr std::array<std::uint16_t, 10> kDigits = {
    Ring | DUR | DLL,                // 0, slashed so it differs from O
    UR | LR | DUR,                   // 1
    T | UR | ML | MR | LL | B,       // 2
    T | UR | MR | LR | B,            // 3
    UL | ML | MR | UR | LR,          // 4
    T | UL | ML | MR | LR | B,       // 5
    T | UL | ML | MR | LR | B | LL,  // 6
    T | UR | LR,                     // 7
    Ring | ML | MR,                  // 8
    T | UL | UR | ML | MR | LR | B,  // 9
};

}  // namespace

std::uint16_t ledSegmentsOf(QChar character) {
    const char16_t c = character.toUpper().unicode();
    if (c >= u'A' && c <= u'Z') return kLetters[c - u'A'];
    if (c >= u'0' && c <= u'9') return kDigits[c - u'0'];
    switch (c) {
        case u'.':
            return SegmentPoint;
        case u',':
            return DLL;
        case u'-':
            return ML | MR;
        case u'_':
            return B;
        case u'+':
            return ML | MR | UC | LC;
        case u'/':
            return DUR | DLL;
        case u'\\':
            return DUL | DLR;
        case u'\'':
            return UC;
        case u'"':
            return UC | UR;
        case u'=':
            return ML | MR | B;
        case u'*':
            return DUL | UC | DUR | DLL | LC | DLR;
        case u'(':
            return DUR | DLR;
        case u')':
            return DUL | DLL;
        default:
            return 0;
    }
}

void paintLedSegments(QPainter& painter, const QRectF& cell, std::uint16_t segments,
                      const QColor& lit) {
    if (segments == 0) return;
    // The glyph leaves room at the right for the point and a gap to the next character.
    const qreal left = cell.left() + cell.width() * 0.14;
    const qreal right = cell.left() + cell.width() * 0.72;
    const qreal top = cell.top() + cell.height() * 0.14;
    const qreal bottom = cell.bottom() - cell.height() * 0.14;
    const qreal middle = (top + bottom) / 2;
    const qreal centre = (left + right) / 2;
    const qreal thickness = qMax<qreal>(1.5, cell.height() * 0.09);

    const std::array<QLineF, 14> lines = {
        QLineF(left, top, right, top),          QLineF(right, top, right, middle),
        QLineF(right, middle, right, bottom),   QLineF(left, bottom, right, bottom),
        QLineF(left, middle, left, bottom),     QLineF(left, top, left, middle),
        QLineF(left, middle, centre, middle),   QLineF(centre, middle, right, middle),
        QLineF(left, top, centre, middle),      QLineF(centre, top, centre, middle),
        QLineF(right, top, centre, middle),     QLineF(centre, middle, left, bottom),
        QLineF(centre, middle, centre, bottom), QLineF(centre, middle, right, bottom),
    };

    painter.setPen(QPen(lit, thickness, Qt::SolidLine, Qt::FlatCap));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if ((segments & (1u << i)) == 0) continue;
        // A small gap at each end keeps the segments apart, as on a real display.
        QLineF line = lines[i];
        const qreal gap = qMin(thickness * 0.6, line.length() * 0.25);
        const QPointF step = (line.p2() - line.p1()) * (gap / line.length());
        painter.drawLine(QLineF(line.p1() + step, line.p2() - step));
    }
    if (segments & SegmentPoint) {
        const qreal x = right + (cell.right() - right) * 0.45;
        painter.fillRect(QRectF(x - thickness / 2, bottom - thickness / 2, thickness, thickness),
                         lit);
    }
}

}  // namespace qz7
