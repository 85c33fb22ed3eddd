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
// The width from the origin (or the ink's left, if that is further left) to
// the ink's right.
int inkReach(const QRect &ink) { return ink.right() + 1 - std::min(0, ink.left()); }

bool placeInk(const QFont &f, QSize box, const QRect &ink, SFittedFont &out) {
  // Left-aligned: ink left of the origin moves the origin right.
  const int left = -std::min(0, ink.left());
  if (inkReach(ink) > box.width() || ink.height() > box.height())
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
    // Every stretch tried is a font of its own to load, so the search starts
    // from the ink at 100 %: narrowing never makes it taller, and it narrows
    // about in proportion to the stretch, so the first guess is the share of
    // its width the box allows; from there it steps to the border.
    f.setStretch(100);
    const QRect ink100 = unitedInk(f, texts);
    if (placeInk(f, box, ink100, out))
      return out;
    if (ink100.height() > box.height())
      continue;
    auto fitsAt = [&](int stretch, SFittedFont &fit) {
      f.setStretch(stretch);
      return placeInk(f, box, unitedInk(f, texts), fit);
    };
    int stretch = std::clamp(100 * box.width() / inkReach(ink100), 75, 99);
    SFittedFont tried;
    if (fitsAt(stretch, tried)) {
      out = tried;
      while (stretch < 99 && fitsAt(stretch + 1, tried)) {
        out = tried;
        ++stretch;
      }
      return out;
    }
    while (stretch > 75) {
      if (fitsAt(--stretch, tried))
        return tried;
    }
  }
  out.Font = font;
  out.Fits = false;
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
