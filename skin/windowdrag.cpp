#include "windowdrag.h"
#include "zuimage.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace {

// Where globalPos lies in the coordinates that target->move() uses: the
// screen for a window, the parent's client area for a child.
QPoint inMoveCoordinates(const QWidget *target, QPointF globalPos) {
  const QPoint p = globalPos.toPoint();
  if (target->isWindow() || !target->parentWidget())
    return p;
  return target->parentWidget()->mapFromGlobal(p);
}

}  // namespace

bool startWindowDrag(QWidget *w) {
  if (!w || !w->isWindow())
    return false;
  QWindow *handle = w->windowHandle();
  return handle && handle->startSystemMove();
}

namespace skin {

void TWindowDrag::begin(QWidget *target, QPointF globalPos) {
  m_manual = false;
  if (!target || startWindowDrag(target))
    return;
  m_manual = true;
  m_offset = inMoveCoordinates(target, globalPos) - target->pos();
}

bool TWindowDrag::follow(QWidget *target, QMouseEvent *e) {
  if (!m_manual)
    return false;
  if (!(e->buttons() & Qt::LeftButton)) {
    // The release went elsewhere (a grab taken away): the drag is over.
    m_manual = false;
    return true;
  }
  e->accept();
  if (target)
    target->move(inMoveCoordinates(target, e->globalPosition()) - m_offset);
  return true;
}

bool TWindowDrag::release(QMouseEvent *e) {
  if (!m_manual || e->button() != Qt::LeftButton)
    return false;
  m_manual = false;
  e->accept();
  return true;
}

}  // namespace skin
