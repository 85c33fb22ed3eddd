// The default month picture, "calixo.bmp": a plum branch in blossom before a
// pale moon and misty mountains, with a line of verse and a red seal.
#include "artwork.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace artwork {

namespace {

constexpr int kW = 192, kH = 292;

void paintSky(QPainter &p) {
  QLinearGradient sky(0, 0, 0, kH);
  sky.setColorAt(0, QColor(238, 226, 206));
  sky.setColorAt(0.45, QColor(232, 236, 232));
  sky.setColorAt(1, QColor(246, 243, 236));
  p.fillRect(0, 0, kW, kH, sky);
  QRadialGradient glow(54, 58, 48);
  glow.setColorAt(0, QColor(255, 250, 230, 200));
  glow.setColorAt(1, QColor(255, 250, 230, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(QPointF(54, 58), 48, 48);
  p.setBrush(QColor(255, 251, 238));
  p.drawEllipse(QPointF(54, 58), 21, 21);
}

void paintMountains(QPainter &p, Random &rng) {
  struct Layer {
    double base, amp;
    QColor c;
  } layers[] = {{168, 34, QColor(150, 170, 178, 120)},
                {196, 28, QColor(112, 134, 146, 140)},
                {226, 22, QColor(84, 104, 116, 150)}};
  for (const Layer &l : layers) {
    const double ph1 = rng.range(0, 6.3), ph2 = rng.range(0, 6.3), ph3 = rng.range(0, 6.3);
    const double f1 = rng.range(0.018, 0.03), f2 = rng.range(0.04, 0.07);
    QPainterPath ridge;
    ridge.moveTo(0, kH);
    for (int x = 0; x <= kW; x += 2) {
      const double y = l.base - l.amp * (0.55 * std::sin(x * f1 + ph1) + 0.3 * std::sin(x * f2 + ph2) +
                                         0.15 * std::sin(x * 0.13 + ph3) + 0.6);
      ridge.lineTo(x, y);
    }
    ridge.lineTo(kW, kH);
    ridge.closeSubpath();
    QLinearGradient mist(0, l.base - l.amp, 0, l.base + 40);
    mist.setColorAt(0, l.c);
    QColor faded = l.c;
    faded.setAlpha(0);
    mist.setColorAt(1, faded);
    p.setBrush(mist);
    p.drawPath(ridge);
  }
  // Snow on the ground in front.
  QLinearGradient snow(0, 250, 0, kH);
  snow.setColorAt(0, QColor(250, 249, 245, 0));
  snow.setColorAt(0.4, QColor(250, 249, 245, 230));
  snow.setColorAt(1, QColor(255, 255, 255));
  p.setBrush(snow);
  p.drawRect(0, 240, kW, kH - 240);
}

struct SBloom {
  QPointF at;
  double r;
  bool bud;
};

// One branch, drawn as tapering segments that bend a little at each step;
// twigs spring from it, and blossoms gather near the ends.
void branch(QPainter &p, Random &rng, QPointF at, double angle, double length, double width, int depth,
            QList<SBloom> &blooms) {
  const int steps = int(length / 7) + 1;
  const double seg = length / steps;
  for (int i = 0; i < steps; ++i) {
    angle += rng.range(-0.28, 0.28);
    const QPointF next = at + QPointF(std::cos(angle) * seg, std::sin(angle) * seg);
    const double w = width * (1.0 - 0.75 * double(i + 1) / steps);
    QPen pen(QColor(58, 40, 32), qMax(0.8, w));
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(at, next);
    if (w > 2.0 && rng.next() < 0.35) {  // bark highlight
      p.setPen(QPen(QColor(120, 96, 80, 110), 0.8));
      p.drawLine(at + QPointF(0, -w * 0.3), next + QPointF(0, -w * 0.3));
    }
    if (depth > 0 && i > 0 && rng.next() < 0.42) {
      const double side = rng.next() < 0.5 ? -1 : 1;
      branch(p, rng, next, angle + side * rng.range(0.5, 0.95), length * rng.range(0.35, 0.55), w * 0.7,
             depth - 1, blooms);
    }
    if (i >= steps / 3 && rng.next() < 0.3)
      blooms.append({next + QPointF(rng.range(-3, 3), rng.range(-3, 3)), rng.range(3.6, 5.6), rng.next() < 0.25});
    at = next;
  }
  blooms.append({at, 3.0, true});
}

void blossom(QPainter &p, Random &rng, const SBloom &b) {
  if (b.bud) {
    QRadialGradient g(b.at - QPointF(0.6, 0.6), b.r * 0.7);
    g.setColorAt(0, QColor(240, 120, 140));
    g.setColorAt(1, QColor(170, 30, 56));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(b.at, b.r * 0.55, b.r * 0.55);
    return;
  }
  const bool pale = rng.next() < 0.4;
  const QColor inner = pale ? QColor(255, 236, 240) : QColor(246, 150, 168);
  const QColor outer = pale ? QColor(236, 170, 186) : QColor(204, 44, 78);
  const double turn = rng.range(0, 1.26);
  for (int k = 0; k < 5; ++k) {
    const double a = turn + k * 2 * M_PI / 5;
    const QPointF c = b.at + QPointF(std::cos(a), std::sin(a)) * (b.r * 0.52);
    QRadialGradient g(b.at, b.r * 1.1);
    g.setColorAt(0, inner);
    g.setColorAt(1, outer);
    p.setPen(QPen(outer.darker(115), 0.4));
    p.setBrush(g);
    p.drawEllipse(c, b.r * 0.56, b.r * 0.56);
  }
  p.setPen(QPen(QColor(160, 60, 40), 0.5));
  for (int k = 0; k < 7; ++k) {
    const double a = rng.range(0, 2 * M_PI);
    const QPointF tip = b.at + QPointF(std::cos(a), std::sin(a)) * (b.r * 0.55);
    p.drawLine(b.at, tip);
    p.setBrush(QColor(250, 200, 60));
    p.drawEllipse(tip, 0.55, 0.55);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(236, 200, 80));
  p.drawEllipse(b.at, 1.0, 1.0);
}

}  // namespace

QImage paintMonthPicture() {
  QImage img(kW, kH, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  Random rng(20240207);
  paintSky(p);
  paintMountains(p, rng);

  QList<SBloom> blooms;
  branch(p, rng, QPointF(-6, 150), -0.62, 150, 9, 3, blooms);
  branch(p, rng, QPointF(-6, 214), -0.2, 90, 6, 2, blooms);
  for (const SBloom &b : blooms)
    blossom(p, rng, b);
  // A few petals on the wind.
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 9; ++i) {
    p.setBrush(QColor(222, 90, 112, 170));
    p.drawEllipse(QPointF(rng.range(60, 185), rng.range(120, 250)), rng.range(1.0, 1.8), rng.range(0.7, 1.2));
  }

  // A line of verse, top to bottom, and the seal under it.
  p.setFont(chineseFont(12));
  p.setPen(QColor(60, 50, 44, 220));
  const QString verse = QStringLiteral("暗香浮动");
  for (int i = 0; i < verse.size(); ++i)
    p.drawText(QRectF(166, 128 + i * 15, 16, 15), Qt::AlignCenter, verse.mid(i, 1));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(190, 28, 36));
  p.drawRoundedRect(QRectF(166, 192, 16, 16), 2, 2);
  p.setFont(chineseFont(12, true));
  p.setPen(QColor(255, 240, 230));
  p.drawText(QRectF(166, 192, 16, 16), Qt::AlignCenter, QStringLiteral("梅"));
  return img;
}

QImage monthPictureShape() {
  QImage img(kW, kH, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  p.drawRoundedRect(QRectF(0, 0, kW, kH), 12, 12);
  return img;
}

}  // namespace artwork
