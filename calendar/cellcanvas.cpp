#include "cellcanvas.h"

#include <QFontMetrics>
#include <QPainter>

void TPainterCanvas::TextOut(int x, int y, const QString &text, const QRect &clip) {
  m_painter.save();
  if (!clip.isNull())
    m_painter.setClipRect(clip, Qt::IntersectClip);
  m_painter.setFont(Font);
  m_painter.setPen(FontColor);
  const QFontMetrics fm(Font);
  m_painter.drawText(QPoint(x, y + fm.ascent()), text);
  m_painter.restore();
}

void TPainterCanvas::Draw(int x, int y, const QImage &picture) { m_painter.drawImage(QPoint(x, y), picture); }

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
