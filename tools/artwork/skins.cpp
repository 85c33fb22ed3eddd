// The four window skins: a red lacquer frame with a gold hairline around a
// cream paper panel, white cards under the grids, labels and edits, a white
// panel under each button column, a meander border and a red seal.
#include "artwork.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace artwork {

namespace {

// Outside colour, red rounded outline and the paper inside it. paper is the
// rectangle the paper panel takes inside the frame.
void paintFrame(QPainter &p, QSize size, qreal radius, QRectF paper) {
  p.fillRect(QRect(QPoint(0, 0), size), colour::outside);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF outer(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
  QLinearGradient lacquer(0, 0, 0, size.height());
  lacquer.setColorAt(0, colour::redLight);
  lacquer.setColorAt(0.5, colour::red);
  lacquer.setColorAt(1, colour::red.darker(125));
  p.setPen(QPen(colour::redDark, 1.2));
  p.setBrush(lacquer);
  p.drawRoundedRect(outer, radius, radius);

  p.setPen(QPen(colour::gold, 1));
  p.setBrush(Qt::NoBrush);
  const QRectF hair = outer.adjusted(2.5, 2.5, -2.5, -2.5);
  p.drawRoundedRect(hair, radius - 2.5, radius - 2.5);

  QLinearGradient paperFill(0, paper.top(), 0, paper.bottom());
  paperFill.setColorAt(0, colour::paperTop);
  paperFill.setColorAt(1, colour::paperBottom);
  p.setPen(QPen(colour::goldDark, 1));
  p.setBrush(paperFill);
  const qreal r = qMax<qreal>(4, radius - 6);
  p.drawRoundedRect(paper, r, r);
}

// A white card with a soft shadow and a thin warm border.
void paintCard(QPainter &p, const QRectF &r, qreal radius, const QColor &fill = colour::card) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(120, 80, 40, 40));
  p.drawRoundedRect(r.translated(1, 1.5), radius, radius);
  p.setPen(QPen(colour::cardBorder, 1));
  p.setBrush(fill);
  p.drawRoundedRect(r, radius, radius);
}

// The meander (回纹) border: a row of squared spirals along band.
void paintMeander(QPainter &p, const QRectF &band, const QColor &c) {
  const qreal h = band.height();
  const qreal step = h;
  p.save();
  p.setClipRect(band);
  QPen pen(c, qMax<qreal>(1.0, h / 9.0));
  pen.setJoinStyle(Qt::MiterJoin);
  pen.setCapStyle(Qt::SquareCap);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const qreal u = h / 6.0;
  for (qreal x = band.left(); x < band.right(); x += step) {
    const qreal y = band.top();
    QPainterPath s;
    s.moveTo(x, y + h - u * 0.5);
    s.lineTo(x, y + u * 0.5);
    s.lineTo(x + 5 * u, y + u * 0.5);
    s.lineTo(x + 5 * u, y + 4.5 * u);
    s.lineTo(x + 2 * u, y + 4.5 * u);
    s.lineTo(x + 2 * u, y + 2.5 * u);
    s.lineTo(x + 3.3 * u, y + 2.5 * u);
    p.drawPath(s);
    p.drawLine(QPointF(x, y + h - u * 0.5), QPointF(x + step, y + h - u * 0.5));
  }
  p.restore();
}

// A square red seal with one or two white characters.
void paintSeal(QPainter &p, const QRectF &r, const QString &text) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(196, 30, 36));
  p.drawRoundedRect(r, r.width() * 0.12, r.width() * 0.12);
  p.setPen(QPen(QColor(255, 240, 230), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(r.adjusted(2, 2, -2, -2), r.width() * 0.08, r.width() * 0.08);
  p.setPen(QColor(255, 244, 236));
  p.setFont(chineseFont(int(r.height() * (text.size() > 1 ? 0.36 : 0.62)), true));
  p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, text);
}

// Gold corner brackets at the four corners of r (a classic frame ornament).
void paintCorners(QPainter &p, const QRectF &r, qreal len, const QColor &c) {
  p.setPen(QPen(c, 1.2));
  p.setBrush(Qt::NoBrush);
  const QPointF corners[4] = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
  const int sx[4] = {1, -1, -1, 1}, sy[4] = {1, 1, -1, -1};
  for (int i = 0; i < 4; ++i) {
    const QPointF o = corners[i];
    QPainterPath path;
    path.moveTo(o + QPointF(sx[i] * len, 0));
    path.lineTo(o);
    path.lineTo(o + QPointF(0, sy[i] * len));
    path.moveTo(o + QPointF(sx[i] * len * 0.55, sy[i] * 3));
    path.lineTo(o + QPointF(sx[i] * 3, sy[i] * 3));
    path.lineTo(o + QPointF(sx[i] * 3, sy[i] * len * 0.55));
    p.drawPath(path);
  }
}

void paintTitle(QPainter &p, const QPointF &baseline, const QString &text, int px) {
  p.setFont(chineseFont(px, true));
  p.setPen(QColor(255, 255, 255, 160));
  p.drawText(baseline + QPointF(0.8, 0.8), text);
  p.setPen(colour::red);
  p.drawText(baseline, text);
}

}  // namespace

QImage paintMainSkin() {
  QImage img(573, 353, QImage::Format_RGB32);
  QPainter p(&img);
  paintFrame(p, img.size(), 16, QRectF(26.5, 5.5, 541, 342));

  // The red band on the left carries the name in gold, top to bottom, with a
  // gold rule above and below it, centred on the window's height.
  p.setFont(chineseFont(15, true));
  p.setPen(colour::gold);
  const QString name = QStringLiteral("万年历");
  for (int i = 0; i < name.size(); ++i)
    p.drawText(QRectF(4, 137 + i * 26, 22, 24), Qt::AlignCenter, name.mid(i, 1));
  p.setPen(QPen(colour::gold, 1));
  p.drawLine(QPointF(15, 40), QPointF(15, 125));
  p.drawLine(QPointF(15, 223), QPointF(15, 312));
  p.setBrush(colour::gold);
  for (qreal y : {36.0, 129.0, 219.0, 316.0})
    p.drawEllipse(QPointF(15, y), 1.8, 1.8);

  // A dark gold mat around the month picture (33, 8, 192 x 292); its corners
  // show round the picture's rounded outline.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(90, 60, 30, 60));
  p.drawRoundedRect(QRectF(31, 7, 197, 297).translated(1, 1.5), 14, 14);
  QLinearGradient mat(0, 6, 0, 303);
  mat.setColorAt(0, QColor(196, 154, 86));
  mat.setColorAt(1, QColor(140, 98, 44));
  p.setPen(QPen(colour::goldDark.darker(130), 1));
  p.setBrush(mat);
  p.drawRoundedRect(QRectF(30.5, 5.5, 197, 297), 14, 14);

  // Title above the calendar card.
  p.setFont(QFont(QStringLiteral("DejaVu Serif"), 1, QFont::Bold, true));
  QFont serif = p.font();
  serif.setPixelSize(19);
  p.setFont(serif);
  p.setPen(colour::red);
  p.drawText(QPointF(238, 31), QStringLiteral("Calixo"));
  p.setFont(chineseFont(12));
  p.setPen(colour::ink);
  p.drawText(QRectF(330, 14, 182, 22), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("公历 · 农历 · 备忘"));
  p.setPen(QPen(colour::gold, 1));
  p.drawLine(QPointF(318, 36.5), QPointF(512, 36.5));

  // The card under the year, month and English month labels and the grid
  // (230..511 x 45..297).
  paintCard(p, QRectF(228.5, 40.5, 287, 262), 6);
  paintCorners(p, QRectF(231.5, 43.5, 281, 256), 9, colour::gold);

  // The button column (528..560 x 45..265) on a white panel.
  paintCard(p, QRectF(520.5, 37.5, 45, 239), 10);

  // The foot: a motto between gold rules under the picture and the card, the
  // meander border along the bottom and the seal in the corner.
  p.setFont(chineseFont(12));
  p.setPen(colour::ink);
  p.drawText(QRectF(36, 308, 478, 18), Qt::AlignCenter, QStringLiteral("岁 岁 年 年 · 日 日 是 好 日"));
  p.setPen(QPen(colour::gold, 1));
  p.drawLine(QPointF(44, 317.5), QPointF(196, 317.5));
  p.drawLine(QPointF(354, 317.5), QPointF(506, 317.5));
  p.setPen(Qt::NoPen);
  p.setBrush(colour::gold);
  for (qreal x : {42.0, 198.0, 352.0, 508.0})
    p.drawEllipse(QPointF(x, 317.5), 1.6, 1.6);
  paintMeander(p, QRectF(41, 330, 468, 13), QColor(196, 150, 64));
  paintSeal(p, QRectF(529, 296, 28, 28), QStringLiteral("历"));
  return img;
}

QImage paintTimeListSkin() {
  QImage img(228, 266, QImage::Format_RGB32);
  QPainter p(&img);
  paintFrame(p, img.size(), 14, QRectF(5.5, 5.5, 217, 255));
  // EditDay (8, 16, 145 x 21) and the grid (10, 40, 143 x 201).
  paintCard(p, QRectF(5.5, 12.5, 151, 234), 5);
  p.setPen(QPen(colour::cardBorder, 1));
  p.drawLine(QPointF(9, 38.5), QPointF(153, 38.5));
  // Labels and buttons, 176..202 x 21..228.
  paintCard(p, QRectF(168.5, 14.5, 41, 222), 8);
  p.setPen(QPen(colour::gold, 1));
  p.drawLine(QPointF(173, 128.5), QPointF(205, 128.5));
  p.setPen(Qt::NoPen);
  p.setBrush(colour::gold);
  p.drawEllipse(QPointF(216, 40), 1.6, 1.6);
  p.drawEllipse(QPointF(216, 220), 1.6, 1.6);
  p.setPen(QPen(colour::gold, 1));
  p.drawLine(QPointF(216, 46), QPointF(216, 214));
  // A meander border of whole spirals along the foot, under both cards.
  paintMeander(p, QRectF(14, 251, 189, 7), QColor(196, 150, 64));
  return img;
}

QImage paintMemoSkin() {
  QImage img(258, 287, QImage::Format_RGB32);
  QPainter p(&img);
  paintFrame(p, img.size(), 14, QRectF(5.5, 5.5, 247, 276));
  paintTitle(p, QPointF(24, 25), QStringLiteral("记事本"), 15);
  p.setPen(QPen(colour::gold, 1));
  p.drawLine(QPointF(78, 19.5), QPointF(240, 19.5));
  // The grid (24, 32, 217 x 185).
  paintCard(p, QRectF(21.5, 29.5, 223, 191), 6);
  // The add and delete buttons (41 and 87, 225, 26 x 26) with their labels.
  paintCard(p, QRectF(31.5, 222.5, 92, 50), 8);
  p.setFont(chineseFont(12));
  p.setPen(colour::ink);
  p.drawText(QRectF(34, 253, 40, 16), Qt::AlignCenter, QStringLiteral("添加"));
  p.drawText(QRectF(80, 253, 40, 16), Qt::AlignCenter, QStringLiteral("删除"));
  paintMeander(p, QRectF(134, 244, 72, 11), QColor(196, 150, 64));
  paintSeal(p, QRectF(214, 234, 26, 26), QStringLiteral("记"));
  return img;
}

QImage paintCountdownSkin() {
  QImage img(350, 235, QImage::Format_RGB32);
  QPainter p(&img);
  paintFrame(p, img.size(), 14, QRectF(5.5, 5.5, 339, 224));
  paintTitle(p, QPointF(24, 26), QStringLiteral("秒表"), 15);
  p.setFont(chineseFont(11));
  p.setPen(colour::ink);
  p.drawText(QPointF(62, 26), QStringLiteral("倒计时提醒"));
  p.setPen(QPen(colour::gold, 1));
  p.drawLine(QPointF(124, 21.5), QPointF(326, 21.5));
  // The two channels sit on a plain panel at (21, 34, 308 x 161).
  paintCard(p, QRectF(18.5, 31.5, 313, 167), 6, QColor(246, 243, 236));
  paintMeander(p, QRectF(24, 206, 262, 13), QColor(196, 150, 64));
  paintSeal(p, QRectF(298, 201, 26, 26), QStringLiteral("时"));
  return img;
}

}  // namespace artwork
