#include "hovrel.h"

#include "notewindow.h"

extern "C" int CreatTopWnd(SMEMOLISTDATA *memo, QWidget *owner, void * /*instance*/) {
  if (!memo)
    return 0;
  auto *note = new THovrelNote(memo, owner);
  memo->NoteWnd = note;
  note->show();
  return 1;
}
