#pragma once

#include <QWidget>

namespace qz7 {

// A scrolling LED-style ticker: red lit segments on black, the text moving from right to left.
class RzLEDDisplay : public QWidget {
    Q_OBJECT

  public:
    RzLEDDisplay(const QString& text, QWidget* parent = nullptr);
    QString text() const { return Text; }

  private:
    QString Text;
};

}  // namespace qz7
