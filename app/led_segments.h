#pragma once

#include <QChar>
#include <QColor>
#include <QRectF>
#include <cstdint>

class QPainter;

namespace qz7 {

// The fifteen light elements of one character of a segment display: the outer ring, the split
// middle bar, the two centre bars, the four diagonals and the point.
enum LedSegment : std::uint16_t {
    SegmentTop = 1 << 0,
    SegmentUpperRight = 1 << 1,
    SegmentLowerRight = 1 << 2,
    SegmentBottom = 1 << 3,
    SegmentLowerLeft = 1 << 4,
    SegmentUpperLeft = 1 << 5,
    SegmentMiddleLeft = 1 << 6,
    SegmentMiddleRight = 1 << 7,
    SegmentDiagonalUpperLeft = 1 << 8,
    SegmentUpperCentre = 1 << 9,
    SegmentDiagonalUpperRight = 1 << 10,
    SegmentDiagonalLowerLeft = 1 << 11,
    SegmentLowerCentre = 1 << 12,
    SegmentDiagonalLowerRight = 1 << 13,
    SegmentPoint = 1 << 14,
};

// The segments lit for a character; small letters look like capitals, as on a real display.
// Characters the display cannot show light nothing.
std::uint16_t ledSegmentsOf(QChar character);

// Draws the lit segments of one character into its cell; unlit segments are not drawn.
void paintLedSegments(QPainter& painter, const QRectF& cell, std::uint16_t segments,
                      const QColor& lit);

}  // namespace qz7
