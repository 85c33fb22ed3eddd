// THovrelNote: one sticky note. It shows the memo's caption and text, sends
// every change of the text, the lock and its own closing to the owner window
// as a HovrelMessageEvent carrying the memo pointer, and remembers where the
// user left it.
#pragma once

#include "hovrel.h"
#include "notepositions.h"

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <string>

class QLabel;
class QPlainTextEdit;
class QToolButton;

class THovrelNote : public QWidget {
  Q_OBJECT
public:
  THovrelNote(SMEMOLISTDATA *memo, QWidget *owner);

  bool locked() const { return m_locked; }

protected:
  void paintEvent(QPaintEvent *) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;
  void moveEvent(QMoveEvent *e) override;
  void closeEvent(QCloseEvent *e) override;

private:
  void createControls();
  void placeNote();
  void onTextChanged();
  void onLockToggled(bool on);
  SMEMOLISTDATA *memo();
  void send(unsigned message, intptr_t lParam = 0);
  void savePosition();

  SMEMOLISTDATA *m_memo;  // nullptr once the note has closed: the record may be gone
  QPointer<QWidget> m_owner;
  int64_t m_key;
  hovrel::NotePositions m_positions;
  QLabel *m_caption = nullptr;
  QToolButton *m_lock = nullptr;
  QToolButton *m_close = nullptr;
  QPlainTextEdit *m_text = nullptr;
  QString m_acceptedText;  // the last text kept: GBK, at most 249 bytes
  std::string m_acceptedGbk;
  bool m_locked = false;
  bool m_restoring = false;
  bool m_dragging = false;
  QPoint m_dragOffset;
  QTimer m_saveTimer;
};
