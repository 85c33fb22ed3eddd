// Moving a window with the mouse for the skin controls. The window manager's
// own move is asked for first; when it does not answer, the control moves the
// window itself from its mouse-move events until the button is released.
#pragma once

#include <QPoint>
#include <QPointF>

class QMouseEvent;
class QWidget;

namespace skin {

// The drag state of one skin control. begin() starts dragging target from a
// press: the window manager's move where it answers, else a manual drag that
// follow() carries on from the control's mouse moves until release().
class TWindowDrag {
public:
  void begin(QWidget *target, QPointF globalPos);
  // True when the event belonged to a manual drag and was used.
  bool follow(QWidget *target, QMouseEvent *e);
  bool release(QMouseEvent *e);

private:
  bool m_manual = false;
  QPoint m_offset;  // press position minus the target's, as QWidget::move counts
};

}  // namespace skin
