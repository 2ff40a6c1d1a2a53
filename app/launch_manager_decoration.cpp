#include "app/launch_manager_decoration.h"

#include <QPainter>

namespace qz7 {

CentredPicture::CentredPicture(const QPixmap& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CentredPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (picture_.isNull()) return;
    // Enlarged on a screen of more than one device pixel a pixel.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize size = picture_.deviceIndependentSize().toSize();
    painter.drawPixmap((width() - size.width()) / 2, (height() - size.height()) / 2, picture_);
}

BumpBorder::BumpBorder(const QColor& colour, int borderWidth, int bevelWidth, QWidget* parent)
    : QWidget(parent), colour_(colour), borderWidth_(borderWidth), bevelWidth_(bevelWidth) {
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
    const QColor light = colour_.lighter(150);
    const QColor dark = colour_.darker(180);
    // Each bevel fades from its strongest shade at the outside towards the frame's colour.
    int inset = 0;
    for (int i = 0; i < bevelWidth_; ++i) {
        const qreal part = qreal(i) / bevelWidth_;
        paintRing(painter, rect(), inset++, blend(light, colour_, part),
                  blend(dark, colour_, part));
    }
    for (int i = 0; i < borderWidth_; ++i) paintRing(painter, rect(), inset++, colour_, colour_);
    for (int i = 0; i < bevelWidth_; ++i) {
        const qreal part = qreal(bevelWidth_ - 1 - i) / bevelWidth_;
        paintRing(painter, rect(), inset++, blend(dark, colour_, part),
                  blend(light, colour_, part));
    }
}

}  // namespace qz7
