#include "fittedlabel.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

// The ink of all texts together, relative to the origin of their baseline.
QRect unitedInk(const QFont &font, const QStringList &texts) {
  const QFontMetrics fm(font);
  QRect ink;
  for (const QString &t : texts)
    ink = ink.united(fm.tightBoundingRect(t));
  return ink;
}

// Where the ink of texts in f sits when drawn from origin (left, baseline)
// in box: false when it cannot fit.
bool placeInk(const QFont &f, QSize box, const QStringList &texts, SFittedFont &out) {
  const QRect ink = unitedInk(f, texts);
  // Left-aligned: ink left of the origin moves the origin right.
  const int left = -std::min(0, ink.left());
  if (left + ink.right() + 1 > box.width() || ink.height() > box.height())
    return false;
  out.Font = f;
  out.Left = left;
  // The ink's top is ink.top() above the baseline (negative); centred, with
  // any odd pixel below.
  out.Baseline = (box.height() - ink.height()) / 2 - ink.top();
  out.Fits = true;
  return true;
}

}  // namespace

SFittedFont fitFontToBox(const QFont &font, QSize box, const QStringList &texts) {
  SFittedFont out;
  out.Font = font;
  const int start = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  for (int px = start; px >= 6; --px) {
    QFont f = font;
    f.setPixelSize(px);
    // Narrowing never makes the ink taller: a size that does not fit at the
    // narrowest stretch is passed over at once.
    f.setStretch(75);
    SFittedFont narrowest;
    if (!placeInk(f, box, texts, narrowest))
      continue;
    // The widest stretch that fits, found by halving: the ink widens with
    // the stretch, and every stretch tried is a font of its own to load.
    f.setStretch(100);
    if (placeInk(f, box, texts, out))
      return out;
    int fits = 75, tooWide = 100;
    out = narrowest;
    while (tooWide - fits > 1) {
      const int mid = (fits + tooWide) / 2;
      f.setStretch(mid);
      SFittedFont tried;
      if (placeInk(f, box, texts, tried)) {
        fits = mid;
        out = tried;
      } else {
        tooWide = mid;
      }
    }
    return out;
  }
  return out;
}

TFittedLabel::TFittedLabel(QWidget *parent) : QLabel(parent) {}

void TFittedLabel::fitFont(const QFont &font, const QStringList &texts) {
  m_fitted = fitFontToBox(font, size(), texts);
  setFont(m_fitted.Font);
  update();
}

void TFittedLabel::paintEvent(QPaintEvent *e) {
  if (!m_fitted.Fits) {
    QLabel::paintEvent(e);
    return;
  }
  // The background is filled by the widget itself (auto-fill).
  QPainter p(this);
  p.setFont(font());
  p.setPen(palette().color(foregroundRole()));
  p.drawText(QPoint(m_fitted.Left, m_fitted.Baseline), text());
}
