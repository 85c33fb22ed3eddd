// The sticky notes now on the screen, for the tests of the windows that pin
// them: every note is a top-level widget named "HovrelNote".
#pragma once

#include <QApplication>
#include <QList>
#include <QWidget>

inline QList<QWidget *> visibleNotes() {
  QList<QWidget *> notes;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("HovrelNote") && w->isVisible())
      notes << w;
  return notes;
}
