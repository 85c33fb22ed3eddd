#include "cellcanvas.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

QFont TPainterCanvas::screenFont(const QFont &font, int x, const QString &text, const QRect &clip,
                                 const QPaintDevice *device) {
  const double dpi = device ? device->logicalDpiY() : 96.0;
  const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * dpi / 72.0;
  if (pixels >= TooSmallPixelSize)
    return font;
  QFont f = font;
  f.setPixelSize(LegiblePixelSize);
  // At this size a made-up bold runs the strokes of a Chinese character
  // together, and smoothing greys them; plain and unsmoothed they stay sharp.
  f.setBold(false);
  f.setStyleStrategy(QFont::NoAntialias);
  f.setHintingPreference(QFont::PreferFullHinting);
  if (clip.isNull())
    return f;
  const int room = clip.right() + 1 - x;
  int stretch = 100;
  // Glyph advances round to whole pixels, so the first guess may miss.
  for (int width = QFontMetrics(f, device).horizontalAdvance(text); width > room && stretch > 50;
       width = QFontMetrics(f, device).horizontalAdvance(text)) {
    stretch = std::max(50, std::min(stretch - 2, stretch * room / width));
    f.setStretch(stretch);
  }
  return f;
}

void TPainterCanvas::TextOut(int x, int y, const QString &text, const QRect &clip) {
  m_painter.save();
  if (!clip.isNull())
    m_painter.setClipRect(clip, Qt::IntersectClip);
  const QFont font = screenFont(Font, x, text, clip, m_painter.device());
  m_painter.setFont(font);
  m_painter.setPen(FontColor);
  const QFontMetrics fm(font, m_painter.device());
  m_painter.drawText(QPoint(x, y + fm.ascent()), text);
  m_painter.restore();
}

void TPainterCanvas::Draw(int x, int y, const QImage &picture) { m_painter.drawImage(QPoint(x, y), picture); }

void TPainterCanvas::FillRect(const QRect &rect, const QColor &colour) { m_painter.fillRect(rect, colour); }

QImage transparentFromPixel11(const QImage &picture) {
  if (picture.width() < 2 || picture.height() < 2)
    return picture;
  QImage out = picture.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = out.pixel(1, 1) | 0xFF000000u;
  for (int y = 0; y < out.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if ((line[x] | 0xFF000000u) == key)
        line[x] = 0;
  }
  return out;
}
