// TCellCanvas: what a grid's draw-cell handler draws with; the month grid
// and the time list both draw their cells with it. The grid hands its
// handler a canvas on its painter; tests hand it a recording one and check
// what was written where.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

class TCellCanvas {
public:
  virtual ~TCellCanvas() = default;

  QFont Font;
  QColor FontColor = Qt::black;

  // Writes text with its top-left corner at (x, y); clip, when not null,
  // limits the drawing to that rectangle.
  virtual void TextOut(int x, int y, const QString &text, const QRect &clip = QRect()) = 0;

  // Draws picture with its top-left corner at (x, y), honouring its alpha.
  virtual void Draw(int x, int y, const QImage &picture) = 0;

  // Fills rect with colour. Canvases that record only texts and pictures
  // leave it out.
  virtual void FillRect(const QRect &, const QColor &) {}

  // Fonts under TooSmallPixelSize pixels are drawn at LegiblePixelSize on a
  // screen: the month grid's lunar labels are given a 3-point font, 4 pixels
  // at 96 dpi, which no one can read.
  static constexpr int TooSmallPixelSize = 6;
  static constexpr int LegiblePixelSize = 12;
};

// Text in a font under TooSmallPixelSize is drawn at LegiblePixelSize, without
// smoothing so that its strokes stay sharp, and narrowed (down to half its
// width) where it would otherwise run past the right edge of its clip.
class TPainterCanvas final : public TCellCanvas {
public:
  explicit TPainterCanvas(QPainter &painter) : m_painter(painter) {}
  // The font text is drawn in, as TextOut chooses it.
  static QFont screenFont(const QFont &font, int x, const QString &text, const QRect &clip,
                          const QPaintDevice *device);
  void TextOut(int x, int y, const QString &text, const QRect &clip = QRect()) override;
  void Draw(int x, int y, const QImage &picture) override;
  void FillRect(const QRect &rect, const QColor &colour) override;

private:
  QPainter &m_painter;
};

// A copy of picture in which every pixel of the colour of pixel (1, 1) is
// fully transparent.
QImage transparentFromPixel11(const QImage &picture);
