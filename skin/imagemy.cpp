#include "imagemy.h"
#include "windowdrag.h"

#include <QMouseEvent>
#include <QPainter>

TImageMy::TImageMy(QWidget *parent) : QWidget(parent) {}

void TImageMy::setPicture(const QImage &picture) {
  m_picture = picture;
  if (!m_picture.isNull())
    resize(m_picture.size());
  update();
}

void TImageMy::paintEvent(QPaintEvent *) {
  if (m_picture.isNull())
    return;
  QPainter p(this);
  p.drawImage(0, 0, m_picture);
}

// A left press belongs to the drag alone: the skin raises no press or click
// of its own, and the press does not travel on to the window underneath.
void TImageMy::mousePressEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(e);
    return;
  }
  e->accept();
  m_drag.begin(FormHandle, e->globalPosition());
}

void TImageMy::mouseMoveEvent(QMouseEvent *e) {
  if (!m_drag.follow(FormHandle, e))
    QWidget::mouseMoveEvent(e);
}

void TImageMy::mouseReleaseEvent(QMouseEvent *e) {
  if (!m_drag.release(e))
    QWidget::mouseReleaseEvent(e);
}
