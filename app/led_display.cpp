#include "app/led_display.h"

#include <QPaintEvent>
#include <QPainter>

#include "app/led_segments.h"

namespace qz7 {

namespace {
const QColor kLit(255, 0, 0);
}

RzLEDDisplay::RzLEDDisplay(const QString& text, QWidget* parent) : QWidget(parent), Text(text) {
    // Every pixel is painted on each step, so nothing beneath needs repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    Ticker.setInterval(kStepMilliseconds);
    Ticker.setTimerType(Qt::PreciseTimer);
    connect(&Ticker, &QTimer::timeout, this, &RzLEDDisplay::step);
}

int RzLEDDisplay::cellWidth() const { return qMax(4, height() * 3 / 5); }

int RzLEDDisplay::stripWidth() const { return int(Text.size()) * cellWidth(); }

void RzLEDDisplay::step() {
    ScrollOffset += kStepPixels;
    if (ScrollOffset > width() + stripWidth()) ScrollOffset = 0;
    update();
}

void RzLEDDisplay::renderStrip() {
    const qreal ratio = devicePixelRatioF();
    Strip = QPixmap(QSize(qMax(1, stripWidth()), qMax(1, height())) * ratio);
    Strip.setDevicePixelRatio(ratio);
    Strip.fill(Qt::black);
    QPainter painter(&Strip);
    painter.setRenderHint(QPainter::Antialiasing);
    const int cell = cellWidth();
    for (qsizetype i = 0; i < Text.size(); ++i)
        paintLedSegments(painter, QRectF(i * cell, 0, cell, height()), ledSegmentsOf(Text[i]),
                         kLit);
}

void RzLEDDisplay::paintEvent(QPaintEvent* event) {
    if (Strip.isNull() || Strip.devicePixelRatio() != devicePixelRatioF()) renderStrip();
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    painter.drawPixmap(width() - ScrollOffset, 0, Strip);
}

void RzLEDDisplay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Ticker.start();
}

void RzLEDDisplay::hideEvent(QHideEvent* event) {
    Ticker.stop();
    QWidget::hideEvent(event);
}

void RzLEDDisplay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Strip = QPixmap();
}

}  // namespace qz7
