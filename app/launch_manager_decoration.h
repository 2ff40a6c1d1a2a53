#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace qz7 {

// A black area with a picture drawn in its centre at its own size.
class CentredPicture : public QWidget {
  public:
    CentredPicture(const QPixmap& picture, QWidget* parent = nullptr);
    const QPixmap& picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap picture_;
};

// A raised bump frame along the edges of its area: a raised bevel, a flat band of the frame's
// colour, then a sunken bevel, in lighter and darker shades of that colour. Only the frame is
// painted; the middle stays transparent and the frame lets the mouse through.
class BumpBorder : public QWidget {
  public:
    BumpBorder(const QColor& colour, int borderWidth, int bevelWidth, QWidget* parent = nullptr);
    int thickness() const { return borderWidth_ + 2 * bevelWidth_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor colour_;
    int borderWidth_;
    int bevelWidth_;
};

}  // namespace qz7
