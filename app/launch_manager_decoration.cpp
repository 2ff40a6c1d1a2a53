#include "app/launch_manager_decoration.h"

#include <QPainter>

namespace qz7 {

CentredPicture::CentredPicture(const QPixmap& picture, QWidget* parent)
    : QWidget(parent), Picture(picture) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CentredPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (Picture.isNull()) return;
    const QSize size = Picture.deviceIndependentSize().toSize();
    painter.drawPixmap((width() - size.width()) / 2, (height() - size.height()) / 2, Picture);
}

BumpBorder::BumpBorder(const QColor& colour, int borderWidth, int bevelWidth, QWidget* parent)
    : QWidget(parent), Colour(colour), BorderWidth(borderWidth), BevelWidth(bevelWidth) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

namespace {

// One ring of a bevel, one pixel wide, `inset` pixels in from the edges: the top and left sides
// in one shade, the bottom and right in the other.
void paintRing(QPainter& painter, const QRect& area, int inset, const QColor& topLeft,
               const QColor& bottomRight) {
    const QRect ring = area.adjusted(inset, inset, -inset, -inset);
    if (ring.width() <= 0 || ring.height() <= 0) return;
    painter.fillRect(QRect(ring.left(), ring.top(), ring.width(), 1), topLeft);
    painter.fillRect(QRect(ring.left(), ring.top(), 1, ring.height()), topLeft);
    painter.fillRect(QRect(ring.left() + 1, ring.bottom(), ring.width() - 1, 1), bottomRight);
    painter.fillRect(QRect(ring.right(), ring.top() + 1, 1, ring.height() - 1), bottomRight);
}

// A shade between two colours, `part` of the way from the first to the second.
QColor blend(const QColor& from, const QColor& to, qreal part) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * part,
                            from.greenF() + (to.greenF() - from.greenF()) * part,
                            from.blueF() + (to.blueF() - from.blueF()) * part);
}

}  // namespace

void BumpBorder::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor light = Colour.lighter(150);
    const QColor dark = Colour.darker(180);
    // Each bevel fades from its strongest shade at the outside towards the frame's colour.
    int inset = 0;
    for (int i = 0; i < BevelWidth; ++i) {
        const qreal part = qreal(i) / BevelWidth;
        paintRing(painter, rect(), inset++, blend(light, Colour, part), blend(dark, Colour, part));
    }
    for (int i = 0; i < BorderWidth; ++i) paintRing(painter, rect(), inset++, Colour, Colour);
    for (int i = 0; i < BevelWidth; ++i) {
        const qreal part = qreal(BevelWidth - 1 - i) / BevelWidth;
        paintRing(painter, rect(), inset++, blend(dark, Colour, part), blend(light, Colour, part));
    }
}

}  // namespace qz7
