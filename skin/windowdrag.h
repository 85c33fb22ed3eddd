// Moving a window with the mouse for the skin controls. The window manager's
// own move is asked for first; when it does not answer, the control moves the
// window itself from its mouse-move events until the button is released.
#pragma once

#include <QPoint>
#include <QPointF>

class QWidget;

namespace skin {

// Starts dragging target from a press at globalPos: the window manager's move
// where it answers (manual stays false), else a manual drag (manual true,
// offset the press position minus the target's position, in the coordinates
// of QWidget::move).
void beginDrag(QWidget *target, QPointF globalPos, bool &manual, QPoint &offset);
// Follows the mouse during a manual drag.
void followDrag(QWidget *target, QPointF globalPos, bool manual, QPoint offset);

}  // namespace skin
