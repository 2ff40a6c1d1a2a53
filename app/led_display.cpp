#include "app/led_display.h"

#include <QPaintEvent>
#include <QPainter>

#include "app/led_segments.h"

namespace qz7 {

namespace {
const QColor kLit(255, 0, 0);
}

RzLEDDisplay::RzLEDDisplay(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    // Every pixel is painted on each step, so nothing beneath needs repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    ticker_.setInterval(kStepMilliseconds);
    ticker_.setTimerType(Qt::PreciseTimer);
    connect(&ticker_, &QTimer::timeout, this, &RzLEDDisplay::step);
}

int RzLEDDisplay::cellWidth() const { return qMax(4, height() * 3 / 5); }

int RzLEDDisplay::stripWidth() const { return int(text_.size()) * cellWidth(); }

void RzLEDDisplay::step() {
    scrollOffset_ += kStepPixels;
    if (scrollOffset_ > width() + stripWidth()) scrollOffset_ = 0;
    update();
}

void RzLEDDisplay::renderStrip() {
    const qreal ratio = devicePixelRatioF();
    strip_ = QPixmap(QSize(qMax(1, stripWidth()), qMax(1, height())) * ratio);
    strip_.setDevicePixelRatio(ratio);
    strip_.fill(Qt::black);
    QPainter painter(&strip_);
    painter.setRenderHint(QPainter::Antialiasing);
    const int cell = cellWidth();
    for (qsizetype i = 0; i < text_.size(); ++i)
        paintLedSegments(painter, QRectF(i * cell, 0, cell, height()), ledSegmentsOf(text_[i]),
                         kLit);
}

void RzLEDDisplay::paintEvent(QPaintEvent* event) {
    if (strip_.isNull() || strip_.devicePixelRatio() != devicePixelRatioF()) renderStrip();
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    painter.drawPixmap(width() - scrollOffset_, 0, strip_);
}

void RzLEDDisplay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ticker_.start();
}

void RzLEDDisplay::hideEvent(QHideEvent* event) {
    ticker_.stop();
    QWidget::hideEvent(event);
}

void RzLEDDisplay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    strip_ = QPixmap();
}

}  // namespace qz7
