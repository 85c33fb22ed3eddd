#include "zuimage.h"
#include "windowdrag.h"

#include "ui.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

TZuImage::TZuImage(QWidget *parent) : QWidget(parent) {
  // The caption is drawn in the canvas's default font of the original
  // desktop, 8-point MS Sans Serif (11 pixels).
  setFont(calixo::substituteFont(QStringLiteral("MS Sans Serif"), 11, false));
}

void TZuImage::setColor(const QColor &c) {
  m_color = c;
  Redraw();
}

void TZuImage::setCaption(const QString &v) {
  m_caption = v;
  Redraw();
}

void TZuImage::setCaptionY(int v) {
  m_captionY = v;
  Redraw();
}

void TZuImage::setCaptionColor(const QColor &c) {
  m_captionColor = c;
  Redraw();
}

void TZuImage::Redraw() { repaint(); }

void TZuImage::paintEvent(QPaintEvent *) {
  ++m_paintCount;
  QPainter p(this);
  if (m_showStyle == 0) {
    if (!Bitmap.isNull())
      p.drawImage(0, 0, Bitmap);
  } else {
    p.fillRect(rect(), m_color);
    // The canvas brush keeps this colour, and the caption's cells are filled
    // with it, until the next style-1 paint.
    m_brushColor = m_color;
  }
  if (m_caption.isEmpty())
    return;
  const QFontMetrics fm(font());
  p.fillRect(QRect(m_captionX, m_captionY, fm.horizontalAdvance(m_caption), fm.height()),
             m_brushColor);
  p.setPen(m_captionColor);
  p.drawText(m_captionX, m_captionY + fm.ascent(), m_caption);
}

void TZuImage::mousePressEvent(QMouseEvent *e) {
  e->accept();
  if (e->button() != Qt::LeftButton) {
    emit mouseDown(e);
    return;
  }
  if (m_parentMove)
    m_drag.begin(FormHandle, e->globalPosition());
  else
    emit mouseDown(e);
  if (OnZuClick)
    OnZuClick(this);
}

void TZuImage::mouseMoveEvent(QMouseEvent *e) {
  if (!m_drag.follow(FormHandle, e))
    QWidget::mouseMoveEvent(e);
}

void TZuImage::mouseReleaseEvent(QMouseEvent *e) {
  if (!m_drag.release(e))
    QWidget::mouseReleaseEvent(e);
}
