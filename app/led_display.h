#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace qz7 {

// A scrolling LED-style ticker: red lit segments on black, the text moving from right to left
// one step at a time without end. Unlit segments and a frame are not drawn. The text is drawn
// once into a strip; each step only shifts the strip, and the ticker runs only while visible.
class RzLEDDisplay : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kStepMilliseconds = 20;
    static constexpr int kStepPixels = 1;

    RzLEDDisplay(const QString& text, QWidget* parent = nullptr);
    QString text() const { return text_; }

    // Width of one character cell for the display's height.
    int cellWidth() const;
    // How far the text has moved in from the right edge; it starts again at 0 once the text
    // has left at the left edge.
    int scrollOffset() const { return scrollOffset_; }
    // One step of the scrolling, as the ticker makes it.
    void step();
    bool isTicking() const { return ticker_.isActive(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void renderStrip();
    int stripWidth() const;

    QString text_;
    QPixmap strip_;
    QTimer ticker_;
    int scrollOffset_ = 0;
};

}  // namespace qz7
