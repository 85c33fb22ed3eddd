#include "windowdrag.h"
#include "zuimage.h"

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

void beginDrag(QWidget *target, QPointF globalPos, bool &manual, QPoint &offset) {
  manual = false;
  if (!target || startWindowDrag(target))
    return;
  manual = true;
  offset = inMoveCoordinates(target, globalPos) - target->pos();
}

void followDrag(QWidget *target, QPointF globalPos, bool manual, QPoint offset) {
  if (manual && target)
    target->move(inMoveCoordinates(target, globalPos) - offset);
}

}  // namespace skin
