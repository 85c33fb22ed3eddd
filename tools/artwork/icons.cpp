// The built-in bitmaps: glossy round buttons with white glyphs, the arrow
// buttons, the grid marks. Every bitmap is drawn antialiased over white, the
// colour of the panels the buttons sit on, and white is then its transparent
// colour (pixel (1, 1)); white inside a shape is moved off by one step so it
// stays opaque.
#include "artwork.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <functional>

namespace artwork {

namespace {

const QRgb kKey = qRgb(255, 255, 255);

using Glyph = std::function<void(QPainter &, const QRectF &)>;

// Composes a shape drawn on a transparent image over the key colour and keeps
// every pixel the shape covers by at least half different from the key.
QImage overKey(const QImage &shape) {
  QImage out(shape.size(), QImage::Format_RGB32);
  out.fill(kKey);
  {
    QPainter p(&out);
    p.drawImage(0, 0, shape);
  }
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < out.width(); ++x) {
      if (qAlpha(shape.pixel(x, y)) >= 128 && out.pixel(x, y) == kKey)
        out.setPixel(x, y, qRgb(254, 254, 254));
    }
  }
  return out;
}

QImage transparentImage(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

QImage roundButton(int w, int h, const QColor &base, const Glyph &glyph) {
  QImage img = transparentImage(w, h);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal d = qMin(w, h) - 2.0;
  const QRectF face((w - d) / 2.0, 0.5, d, d);
  // A soft shadow under the button.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 50));
  p.drawEllipse(face.translated(0, 1.2));

  QRadialGradient body(face.center().x(), face.top() + d * 0.38, d * 0.62);
  body.setColorAt(0, base.lighter(135));
  body.setColorAt(0.7, base);
  body.setColorAt(1, base.darker(135));
  p.setPen(QPen(base.darker(180), 1));
  p.setBrush(body);
  p.drawEllipse(face);

  glyph(p, face);

  // The glossy highlight over the upper half.
  QLinearGradient gloss(0, face.top(), 0, face.center().y());
  gloss.setColorAt(0, QColor(255, 255, 255, 150));
  gloss.setColorAt(1, QColor(255, 255, 255, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(gloss);
  p.drawEllipse(QRectF(face.left() + d * 0.18, face.top() + d * 0.05, d * 0.64, d * 0.46));
  p.end();
  return overKey(img);
}

QPen glyphPen(qreal width, const QColor &c = Qt::white) {
  QPen pen(c, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

// Glyphs scale with the button face f.
void bellGlyph(QPainter &p, const QRectF &f) {
  const qreal s = f.width() / 28.0;
  const QPointF c = f.center();
  QPainterPath bell;
  bell.moveTo(c + QPointF(-7.5 * s, 5 * s));
  bell.cubicTo(c + QPointF(-5 * s, 3 * s), c + QPointF(-6 * s, -7 * s), c + QPointF(0, -7.5 * s));
  bell.cubicTo(c + QPointF(6 * s, -7 * s), c + QPointF(5 * s, 3 * s), c + QPointF(7.5 * s, 5 * s));
  bell.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawPath(bell.translated(0.6, 0.8));
  p.setBrush(Qt::white);
  p.drawPath(bell);
  p.drawEllipse(c + QPointF(0, 7 * s), 2.2 * s, 2.2 * s);
  p.drawEllipse(c + QPointF(0, -8 * s), 1.5 * s, 1.5 * s);
}

void stopwatchGlyph(QPainter &p, const QRectF &f) {
  const qreal s = f.width() / 28.0;
  const QPointF c = f.center() + QPointF(0, 1.2 * s);
  p.setBrush(Qt::NoBrush);
  p.setPen(glyphPen(2.2 * s, QColor(0, 0, 0, 60)));
  p.drawEllipse(c + QPointF(0.6, 0.8), 7 * s, 7 * s);
  p.setPen(glyphPen(2.2 * s));
  p.drawEllipse(c, 7 * s, 7 * s);
  p.drawLine(c + QPointF(0, -9.5 * s), c + QPointF(0, -8.2 * s));
  p.drawLine(c + QPointF(-2 * s, -10 * s), c + QPointF(2 * s, -10 * s));
  p.setPen(glyphPen(1.8 * s));
  p.drawLine(c, c + QPointF(0, -4.5 * s));
  p.drawLine(c, c + QPointF(3.2 * s, 1.8 * s));
}

void noteGlyph(QPainter &p, const QRectF &f) {
  const qreal s = f.width() / 28.0;
  const QPointF c = f.center();
  QPainterPath page;
  page.moveTo(c + QPointF(-6 * s, -8 * s));
  page.lineTo(c + QPointF(3 * s, -8 * s));
  page.lineTo(c + QPointF(6.5 * s, -4.5 * s));
  page.lineTo(c + QPointF(6.5 * s, 8 * s));
  page.lineTo(c + QPointF(-6 * s, 8 * s));
  page.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawPath(page.translated(0.6, 0.8));
  p.setBrush(Qt::white);
  p.drawPath(page);
  p.setPen(glyphPen(1.3 * s, QColor(40, 110, 60)));
  for (int i = 0; i < 3; ++i)
    p.drawLine(c + QPointF(-3.5 * s, (-2.5 + 3.5 * i) * s), c + QPointF(4 * s, (-2.5 + 3.5 * i) * s));
}

void crossGlyph(QPainter &p, const QRectF &f) {
  const qreal a = f.width() * 0.2;
  const QPointF c = f.center();
  for (const auto &[pen, off] : {std::pair{glyphPen(f.width() * 0.13, QColor(0, 0, 0, 60)), QPointF(0.6, 0.8)},
                                 std::pair{glyphPen(f.width() * 0.13), QPointF(0, 0)}}) {
    p.setPen(pen);
    p.drawLine(c + off + QPointF(-a, -a), c + off + QPointF(a, a));
    p.drawLine(c + off + QPointF(-a, a), c + off + QPointF(a, -a));
  }
}

void checkGlyph(QPainter &p, const QRectF &f) {
  const qreal s = f.width() / 24.0;
  const QPointF c = f.center();
  QPainterPath tick;
  tick.moveTo(c + QPointF(-6 * s, 0.5 * s));
  tick.lineTo(c + QPointF(-2 * s, 4.5 * s));
  tick.lineTo(c + QPointF(6 * s, -4.5 * s));
  p.setBrush(Qt::NoBrush);
  p.setPen(glyphPen(3 * s, QColor(0, 0, 0, 60)));
  p.drawPath(tick.translated(0.6, 0.8));
  p.setPen(glyphPen(3 * s));
  p.drawPath(tick);
}

void plusGlyph(QPainter &p, const QRectF &f) {
  const qreal a = f.width() * 0.26;
  const QPointF c = f.center();
  for (const auto &[pen, off] : {std::pair{glyphPen(f.width() * 0.14, QColor(0, 0, 0, 60)), QPointF(0.6, 0.8)},
                                 std::pair{glyphPen(f.width() * 0.14), QPointF(0, 0)}}) {
    p.setPen(pen);
    p.drawLine(c + off + QPointF(-a, 0), c + off + QPointF(a, 0));
    p.drawLine(c + off + QPointF(0, -a), c + off + QPointF(0, a));
  }
}

// The year and month step arrows: a rounded red triangle pointing left or
// right, 15 x 17.
QImage arrow(bool left) {
  QImage img = transparentImage(15, 17);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath tri;
  if (left) {
    tri.moveTo(1.5, 8.5);
    tri.lineTo(13, 2);
    tri.lineTo(13, 15);
  } else {
    tri.moveTo(13.5, 8.5);
    tri.lineTo(2.5, 2);
    tri.lineTo(2.5, 15);
  }
  tri.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 50));
  p.drawPath(tri.translated(0, 1));
  QLinearGradient g(0, 2, 0, 15);
  g.setColorAt(0, colour::redLight.lighter(120));
  g.setColorAt(1, colour::red.darker(120));
  QPen rim(colour::redDark, 1);
  rim.setJoinStyle(Qt::RoundJoin);
  p.setPen(rim);
  p.setBrush(g);
  p.drawPath(tri);
  p.setPen(QPen(QColor(255, 255, 255, 130), 1));
  p.drawLine(left ? QPointF(4, 7.5) : QPointF(4, 4), left ? QPointF(11.5, 3.6) : QPointF(10, 7.2));
  p.end();
  return overKey(img);
}

// The alarm mark of the time list: a gold bell, 16 x 16.
QImage clockMark() {
  QImage img = transparentImage(16, 16);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath bell;
  bell.moveTo(2, 12);
  bell.cubicTo(4, 10.5, 3, 3, 8, 2.6);
  bell.cubicTo(13, 3, 12, 10.5, 14, 12);
  bell.closeSubpath();
  QLinearGradient g(0, 2, 0, 12);
  g.setColorAt(0, QColor(255, 214, 90));
  g.setColorAt(1, QColor(214, 140, 20));
  p.setPen(QPen(QColor(120, 70, 0), 1));
  p.setBrush(g);
  p.drawPath(bell);
  p.setBrush(QColor(120, 70, 0));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(8, 13.6), 1.7, 1.7);
  p.drawEllipse(QPointF(8, 2), 1.2, 1.2);
  p.setPen(QPen(QColor(255, 255, 255, 170), 1));
  p.drawLine(QPointF(5.8, 5.5), QPointF(5.2, 9));
  p.end();
  return overKey(img);
}

// The run mark: a green disc with a white play arrow, 16 x 16.
QImage runMark() {
  QImage img = transparentImage(16, 16);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient g(8, 6, 8);
  g.setColorAt(0, QColor(110, 200, 120));
  g.setColorAt(1, QColor(30, 128, 60));
  p.setPen(QPen(QColor(20, 90, 40), 1));
  p.setBrush(g);
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  QPainterPath play;
  play.moveTo(6.2, 4.6);
  play.lineTo(11.6, 8);
  play.lineTo(6.2, 11.4);
  play.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPath(play);
  p.end();
  return overKey(img);
}

// The has-entries mark of the month grid: a red dot in the lower right of
// its 16 x 16, where it clears the day number and the lunar label. 16 colours.
QList<QRgb> markPalette() {
  QList<QRgb> pal{kKey};
  const QColor red(214, 30, 40), dark(120, 10, 16), pink(255, 150, 150);
  for (int i = 1; i <= 7; ++i) {  // white -> red
    const double t = i / 7.0;
    pal << qRgb(int(255 + (red.red() - 255) * t), int(255 + (red.green() - 255) * t),
                int(255 + (red.blue() - 255) * t));
  }
  for (int i = 1; i <= 4; ++i) {  // red -> dark red
    const double t = i / 4.0;
    pal << qRgb(int(red.red() + (dark.red() - red.red()) * t), int(red.green() + (dark.green() - red.green()) * t),
                int(red.blue() + (dark.blue() - red.blue()) * t));
  }
  pal << pink.rgb() << qRgb(255, 200, 200) << qRgb(236, 90, 96) << qRgb(170, 20, 28);
  return pal;
}

QImage haveDataMark() {
  QImage img = transparentImage(16, 16);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient g(10.6, 9.8, 4.5);
  g.setColorAt(0, QColor(255, 150, 150));
  g.setColorAt(0.5, QColor(214, 30, 40));
  g.setColorAt(1, QColor(150, 14, 20));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawEllipse(QPointF(11.5, 11), 3.6, 3.6);
  p.end();
  return overKey(img);
}

}  // namespace

// The program's icon: a red-topped calendar page with two rings and a grid
// of days, one of them marked. Drawn on a 64-unit square scaled to size, over
// transparency (it is a window icon, not a bitmap with a key colour).
QImage paintMainIcon(int size) {
  QImage img = transparentImage(size, size);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  const QColor paper(0xf7, 0xf3, 0xea), rim(0xb3, 0x41, 0x2e), band(0xc8, 0x47, 0x2f),
      ring(0x6b, 0x5a, 0x48), day(0x8c, 0x7b, 0x6a);
  const QRectF page(4, 8, 56, 52);
  p.setPen(Qt::NoPen);
  p.setBrush(paper);
  p.drawRoundedRect(page, 9, 9);
  // The red band over the top of the page, clipped to its rounded corners.
  QPainterPath pagePath;
  pagePath.addRoundedRect(page, 9, 9);
  QPainterPath bandPath;
  bandPath.addRect(QRectF(4, 8, 56, 16));
  p.setBrush(band);
  p.drawPath(pagePath.intersected(bandPath));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(rim, 3));
  p.drawRoundedRect(page, 9, 9);
  p.setPen(Qt::NoPen);
  p.setBrush(ring);
  p.drawRoundedRect(QRectF(17, 3, 5, 12), 2.5, 2.5);
  p.drawRoundedRect(QRectF(42, 3, 5, 12), 2.5, 2.5);
  // Three rows of days, the last ending after three; the third day of the
  // second row is marked.
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < (row == 2 ? 3 : 4); ++col) {
      p.setBrush(row == 1 && col == 2 ? band : day);
      p.drawRoundedRect(QRectF(12 + 11 * col, 30 + 10 * row, 7, 6), 1, 1);
    }
  p.end();
  return img;
}

QList<SBitmap> paintBitmaps() {
  const QColor red(206, 44, 38), blue(40, 100, 186), green(36, 150, 80), closeRed(140, 30, 30);
  return {
      {"BMPBUTRED", roundButton(30, 30, red, bellGlyph), {}},
      {"BMPBUTBLUE", roundButton(31, 30, blue, stopwatchGlyph), {}},
      {"BMPBUTGREEN", roundButton(31, 30, green, noteGlyph), {}},
      {"BMPBUTCLOSE", roundButton(28, 28, closeRed, crossGlyph), {}},
      {"BMPLAST", arrow(true), {}},
      {"BMPNEXT", arrow(false), {}},
      {"BMPBUTSGREEN", roundButton(26, 26, green, checkGlyph), {}},
      {"BMPBUTSRED", roundButton(26, 26, red, crossGlyph), {}},
      {"BMPBUTSBLUE", roundButton(26, 26, blue, plusGlyph), {}},
      {"BMPCLOCKSET", clockMark(), {}},
      {"BMPRUN", runMark(), {}},
      {"BMPHAVEDATA", haveDataMark(), markPalette()},
  };
}

}  // namespace artwork
