#include "app/led_display.h"

namespace qz7 {

RzLEDDisplay::RzLEDDisplay(const QString& text, QWidget* parent) : QWidget(parent), Text(text) {}

}  // namespace qz7
