#include "notewindow.h"

#include "notetext.h"
#include "preeditguard.h"
#include "ui.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr QSize kNoteSize(200, 160);
constexpr int kCaptionHeight = 22;
const QColor kPaper(0xFF, 0xF4, 0x9C);
const QColor kEdge(0xC8, 0xAA, 0x3C);
const QColor kCaptionStrip(0xF5, 0xDE, 0x6E);

// New notes without a remembered place step down and to the right from the
// first one, so that they never hide each other completely.
int g_cascade = 0;

// The last failure to store a position that the user was told of.
std::string &lastPositionFailure() {
  static std::string why;
  return why;
}

}  // namespace

THovrelNote::THovrelNote(SMEMOLISTDATA *memo, QWidget *owner)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_memo(memo),
      m_owner(owner),
      m_key(hovrel::positionKey(memo->DateTime)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QStringLiteral("HovrelNote"));
  setWindowTitle(calixo::fromGbk(memo->Caption ? memo->Caption : "").trimmed());
  setFixedSize(kNoteSize);
  createControls();
  placeNote();
  m_saveTimer.setSingleShot(true);
  m_saveTimer.setInterval(300);
  connect(&m_saveTimer, &QTimer::timeout, this, &THovrelNote::savePosition);
}

void THovrelNote::createControls() {
  m_caption = new QLabel(calixo::fromGbk(m_memo->Caption ? m_memo->Caption : ""), this);
  m_caption->setObjectName(QStringLiteral("noteCaption"));
  m_caption->setFont(calixo::chineseFont(12));
  // Presses on the caption reach the note itself, which moves the window.
  m_caption->setAttribute(Qt::WA_TransparentForMouseEvents);

  m_lock = new QToolButton(this);
  m_lock->setObjectName(QStringLiteral("noteLock"));
  m_lock->setCheckable(true);
  m_lock->setAutoRaise(true);
  m_lock->setFont(calixo::chineseFont(12));
  m_lock->setText(QStringLiteral("锁"));
  m_lock->setToolTip(QStringLiteral("锁定"));
  m_lock->setFixedSize(20, 18);

  m_close = new QToolButton(this);
  m_close->setObjectName(QStringLiteral("noteClose"));
  m_close->setAutoRaise(true);
  m_close->setText(QStringLiteral("×"));
  m_close->setToolTip(QStringLiteral("关闭"));
  m_close->setFixedSize(20, 18);

  m_text = new QPlainTextEdit(this);
  m_text->setObjectName(QStringLiteral("noteText"));
  m_text->setFont(calixo::chineseFont(13));
  m_text->setFrameShape(QFrame::NoFrame);
  m_text->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; color: #3a3000; }"));
  m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  calixo::dropPreeditOnFocusLoss(m_text);
  m_acceptedGbk = m_memo->Text ? m_memo->Text : "";
  m_acceptedText = calixo::fromGbk(m_acceptedGbk);
  m_text->setPlainText(m_acceptedText);
  // Typing into a note that opens adds to its text.
  m_text->moveCursor(QTextCursor::End);

  auto *top = new QHBoxLayout;
  top->setContentsMargins(6, 2, 2, 0);
  top->setSpacing(0);
  top->addWidget(m_caption, 1);
  top->addWidget(m_lock);
  top->addWidget(m_close);
  auto *box = new QVBoxLayout(this);
  box->setContentsMargins(1, 1, 1, 1);
  box->setSpacing(0);
  box->addLayout(top);
  box->addSpacing(2);
  box->addWidget(m_text, 1);

  m_locked = m_memo->Lock == 1;
  m_lock->setChecked(m_locked);
  m_text->setReadOnly(m_locked);

  connect(m_text, &QPlainTextEdit::textChanged, this, &THovrelNote::onTextChanged);
  connect(m_lock, &QToolButton::toggled, this, &THovrelNote::onLockToggled);
  connect(m_close, &QToolButton::clicked, this, &QWidget::close);
}

void THovrelNote::placeNote() {
  QScreen *screen = QGuiApplication::primaryScreen();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  QPoint at;
  if (auto kept = m_positions.find(m_key)) {
    at = QPoint(kept->x, kept->y);
  } else if (m_memo->X != 0 || m_memo->Y != 0) {
    at = QPoint(m_memo->X, m_memo->Y);
  } else {
    const int step = g_cascade++ % 10;
    at = avail.topLeft() + QPoint(80 + 26 * step, 60 + 26 * step);
  }
  // A note must reopen where it can be seen and grabbed, even if the screen
  // became smaller since it was left.
  at.setX(std::clamp(at.x(), avail.left(), std::max(avail.left(), avail.right() - width() + 1)));
  at.setY(std::clamp(at.y(), avail.top(), std::max(avail.top(), avail.bottom() - height() + 1)));
  move(at);
}

void THovrelNote::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), kPaper);
  p.fillRect(QRect(0, 0, width(), kCaptionHeight), m_locked ? kEdge : kCaptionStrip);
  p.setPen(kEdge);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void THovrelNote::onTextChanged() {
  if (m_restoring || !memo())
    return;
  // Typing, a paste, a drop and an input method's committed text all land
  // here; text an input method is still composing is not part of the
  // document and never reaches the table.
  const hovrel::SNoteTextFit fit = hovrel::fitNoteEdit(m_acceptedText, m_text->toPlainText());
  if (fit.changed()) {
    m_restoring = true;
    QTextCursor c(m_text->document());
    c.setPosition(fit.at);
    c.setPosition(fit.at + fit.inserted, QTextCursor::KeepAnchor);
    c.insertText(fit.kept);
    m_text->setTextCursor(c);
    // Undo would bring back what the table cannot keep (typing merges into
    // one undo step with the keystrokes before it, so the trimmed edit is no
    // step of its own): the history starts again here.
    m_text->document()->clearUndoRedoStacks();
    m_restoring = false;
    // Told once the editor has finished with the edit: a message box inside
    // its own change notification would re-enter it.
    const QString message = fit.refused ? QStringLiteral("该字符无法保存")
                                        : QStringLiteral("便笺最多保存249个字节，多出的文字没有加入");
    QTimer::singleShot(0, this, [this, message] { calixo::showMessage(message, this); });
  }
  m_acceptedText = m_text->toPlainText();
  std::string gbk;
  // Only a stored text that was not GBK to begin with fails here; the table
  // keeps it as it is.
  if (!calixo::toGbk(m_acceptedText, gbk) || gbk == m_acceptedGbk)
    return;
  m_acceptedGbk = gbk;
  // The pointer is valid only while the owner handles the message; the owner
  // copies the text.
  send(WM_MEMO_TEXT, reinterpret_cast<intptr_t>(m_acceptedGbk.c_str()));
  send(WM_MEMO_REDRAW);
}

void THovrelNote::onLockToggled(bool on) {
  if (!memo())
    return;
  m_locked = on;
  m_memo->Lock = on ? 1 : 0;
  m_text->setReadOnly(on);
  update();
  send(WM_MEMO_LOCK);
}

SMEMOLISTDATA *THovrelNote::memo() {
  // The record belongs to the owner: once the owner is gone, so may be the record.
  if (!m_owner)
    m_memo = nullptr;
  return m_memo;
}

void THovrelNote::send(unsigned message, intptr_t lParam) {
  if (!memo())
    return;
  HovrelMessageEvent e(message, reinterpret_cast<uintptr_t>(m_memo), lParam);
  QCoreApplication::sendEvent(m_owner, &e);
}

void THovrelNote::mousePressEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton || m_locked)
    return;
  QWindow *w = windowHandle();
  if (w && w->startSystemMove())
    return;
  // No window manager to move us: follow the mouse ourselves.
  m_dragging = true;
  m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void THovrelNote::mouseMoveEvent(QMouseEvent *e) {
  if (m_dragging)
    move(e->globalPosition().toPoint() - m_dragOffset);
}

void THovrelNote::mouseReleaseEvent(QMouseEvent *e) {
  if (m_dragging && e->button() == Qt::LeftButton) {
    m_dragging = false;
    savePosition();
  }
}

void THovrelNote::moveEvent(QMoveEvent *) {
  if (isVisible())
    m_saveTimer.start();
}

void THovrelNote::savePosition() {
  std::string why;
  if (m_positions.store(m_key, {x(), y()}, &why)) {
    lastPositionFailure().clear();
    return;
  }
  // Every move stores the position: one failure is said once for all notes
  // until a store succeeds again.
  if (why == lastPositionFailure())
    return;
  lastPositionFailure() = why;
  const QString message = QStringLiteral("便笺位置没有保存。\n") + QString::fromLocal8Bit(why);
  QTimer::singleShot(0, qApp, [message] { calixo::reportError(message); });
}

void THovrelNote::closeEvent(QCloseEvent *e) {
  m_saveTimer.stop();
  savePosition();
  if (memo()) {
    m_memo->Show = 0;
    send(WM_MEMO_SHOW);
    // From here on the owner may free the record at any moment.
    m_memo = nullptr;
  }
  e->accept();
}
