// The note library's contract, tested through its one export on offscreen
// windows: what a note sends, when, and what it writes into the record.
#include "hovrel.h"
#include "ui.h"

#include "tempdir.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Sent {
  unsigned message;
  SMEMOLISTDATA *memo;
  std::string text;  // lParam of WM_MEMO_TEXT, copied while it was valid
  int show;          // the record's Show when the message arrived
};

// Stands in for the memo list window: records every message it receives.
class Owner : public QWidget {
public:
  std::vector<Sent> sent;
  bool event(QEvent *e) override {
    if (e->type() != HovrelMessageEvent::EventType)
      return QWidget::event(e);
    auto *m = static_cast<HovrelMessageEvent *>(e);
    Sent s{m->message(), m->memo(), {}, m->memo()->Show};
    if (m->message() == WM_MEMO_TEXT)
      s.text = reinterpret_cast<const char *>(m->lParam());
    sent.push_back(s);
    return true;
  }
  std::vector<unsigned> messages() const {
    std::vector<unsigned> v;
    for (const auto &s : sent)
      v.push_back(s.message);
    return v;
  }
};

class HovrelTest : public TempDirTest {
protected:
  void SetUp() override {
    TempDirTest::SetUp();
    m_caption = "     2005-03-07 09:05";
    m_text = "\xBC\xC7\xCA\xC2";  // GBK "记事"
  }
  void TearDown() override {
    for (auto &m : m_memos)
      if (m->Show == 1 && m->NoteWnd)
        m->NoteWnd->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TempDirTest::TearDown();
  }
  SMEMOLISTDATA *memo(double dateTime, const char *text = nullptr, int lock = 0) {
    auto m = std::make_unique<SMEMOLISTDATA>();
    *m = SMEMOLISTDATA{};
    m->DateTime = dateTime;
    m->Text = text ? const_cast<char *>(text) : nullptr;
    m->Lock = lock;
    m->Caption = m_caption.data();
    m_memos.push_back(std::move(m));
    return m_memos.back().get();
  }
  QWidget *open(SMEMOLISTDATA *m) {
    EXPECT_EQ(CreatTopWnd(m, &m_owner, nullptr), 1);
    m->Show = 1;  // the list's part
    return m->NoteWnd;
  }
  template <class T> T *child(QWidget *note, const char *name) {
    auto *c = note->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }

  Owner m_owner;
  std::string m_caption, m_text;
  std::vector<std::unique_ptr<std::string>> m_texts;  // texts the records point to
  std::vector<std::unique_ptr<SMEMOLISTDATA>> m_memos;
};

// Answers the message boxes a note shows (the library has its own copy of
// the message hook, so the real box is what it shows) and keeps their texts.
class BoxAnswerer {
public:
  BoxAnswerer() {
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
        texts << box->text();
        box->accept();
      }
    });
    m_timer.start();
  }
  // The texts of the boxes shown until now, once the events that show them ran.
  QStringList shown() {
    QTest::qWait(50);
    return texts;
  }
  QStringList texts;

private:
  QTimer m_timer;
};

TEST_F(HovrelTest, NoteExistsWhenTheCallReturnsAndShowsCaptionAndText) {
  SMEMOLISTDATA *m = memo(38418.378472, m_text.c_str());
  QWidget *note = open(m);
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->isVisible());
  const Qt::WindowFlags f = note->windowFlags();
  EXPECT_TRUE(f & Qt::FramelessWindowHint);
  EXPECT_TRUE(f & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(f & Qt::X11BypassWindowManagerHint);
  EXPECT_EQ(child<QLabel>(note, "noteCaption")->text(), QStringLiteral("     2005-03-07 09:05"));
  EXPECT_EQ(child<QPlainTextEdit>(note, "noteText")->toPlainText(), QStringLiteral("记事"));
  EXPECT_TRUE(m_owner.sent.empty()) << "opening reports nothing";
  EXPECT_EQ(CreatTopWnd(nullptr, &m_owner, nullptr), 0);
}

TEST_F(HovrelTest, EveryEditSendsTextThenRedrawWithTheRecordAndLeavesTheRecordsText) {
  SMEMOLISTDATA *m = memo(40000.5);
  QWidget *note = open(m);
  auto *edit = child<QPlainTextEdit>(note, "noteText");
  QTest::keyClicks(edit, QStringLiteral("ab"));
  ASSERT_EQ(m_owner.messages(),
            (std::vector<unsigned>{WM_MEMO_TEXT, WM_MEMO_REDRAW, WM_MEMO_TEXT, WM_MEMO_REDRAW}));
  EXPECT_EQ(m_owner.sent[0].text, "a");
  EXPECT_EQ(m_owner.sent[2].text, "ab");
  for (const auto &s : m_owner.sent)
    EXPECT_EQ(s.memo, m);
  EXPECT_EQ(m->Text, nullptr) << "the note never replaces the list's text";

  m_owner.sent.clear();
  edit->insertPlainText(QStringLiteral("日记"));
  ASSERT_EQ(m_owner.messages(), (std::vector<unsigned>{WM_MEMO_TEXT, WM_MEMO_REDRAW}));
  EXPECT_EQ(m_owner.sent[0].text, "ab\xC8\xD5\xBC\xC7");
}

TEST_F(HovrelTest, CharactersWithoutGbkFormAreRefusedAtTheEditor) {
  SMEMOLISTDATA *m = memo(40000.25, m_text.c_str());
  QWidget *note = open(m);
  auto *edit = child<QPlainTextEdit>(note, "noteText");
  const struct {
    const char *name;
    QString insert;
  } rows[] = {
      {"emoji", QString::fromUtf8("\xF0\x9F\x98\x80")},
      {"Thai", QString::fromUtf8("\xE0\xB8\x81")},
      {"mixed with GBK text", QString::fromUtf8("\xE5\xA5\xBD\xF0\x9F\x98\x80")},
  };
  const QStringList refused{QStringLiteral("该字符无法保存")};
  for (const auto &row : rows) {
    BoxAnswerer boxes;
    edit->insertPlainText(row.insert);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("记事")) << row.name;
    EXPECT_TRUE(m_owner.sent.empty()) << row.name;
    EXPECT_EQ(boxes.shown(), refused) << row.name;
  }
  // The same through the input method, the way Chinese is typed.
  BoxAnswerer boxes;
  QInputMethodEvent ime;
  ime.setCommitString(QString::fromUtf8("\xF0\x9F\x98\x80"));
  QCoreApplication::sendEvent(edit, &ime);
  EXPECT_EQ(edit->toPlainText(), QStringLiteral("记事"));
  EXPECT_TRUE(m_owner.sent.empty());
  EXPECT_EQ(boxes.shown(), refused) << "the time list's message";

  QTest::keyClicks(edit, QStringLiteral("?"));
  ASSERT_EQ(m_owner.sent.size(), 2u);
  EXPECT_EQ(m_owner.sent[0].text, m_text + "?") << "a real question mark is kept";
}

// The note holds what the memo table keeps: 249 GBK bytes. Typing, pasting
// and the input method's commits stop there, on a character boundary, and
// the user is told; what is sent to the list is never longer.
TEST_F(HovrelTest, TheEditorHoldsAtMost249GbkBytesCutOnACharacterBoundary) {
  const QString kTooLong = QStringLiteral("便笺最多保存249个字节，多出的文字没有加入");
  const QString zhong(QChar(0x4E2D));  // 中, two GBK bytes
  enum How { Type, Paste, Commit };
  const struct {
    const char *name;
    QString start;  // the note's text when the edit begins
    int cursor;     // where the edit goes (-1: select everything first)
    How how;
    QString insert;
    QString expected;
    bool told;
  } rows[] = {
      {"paste into an empty note: 124 characters, 248 bytes", {}, 0, Paste, QString(200, QChar(0x4E2D)),
       QString(124, QChar(0x4E2D)), true},
      {"one byte before: the last character fits exactly", QStringLiteral("a"), 1, Paste,
       QString(200, QChar(0x4E2D)), QStringLiteral("a") + QString(124, QChar(0x4E2D)), true},
      {"a paste in the middle keeps what follows the cursor", QString(240, QLatin1Char('x')), 120, Paste,
       QStringLiteral("abcdefghijkl"), QString(120, QLatin1Char('x')) + QStringLiteral("abcdefghi") +
                                           QString(120, QLatin1Char('x')),
       true},
      {"a paste over a selection frees its bytes", QString(249, QLatin1Char('x')), -1, Paste,
       QString(130, QChar(0x4E2D)), QString(124, QChar(0x4E2D)), true},
      {"a fitting paste is not cut", QStringLiteral("ab"), 2, Paste, QString(123, QChar(0x4E2D)),
       QStringLiteral("ab") + QString(123, QChar(0x4E2D)), false},
      {"a keystroke at the limit", QString(249, QLatin1Char('x')), 249, Type, QStringLiteral("y"),
       QString(249, QLatin1Char('x')), true},
      {"a two-byte commit into the last byte", QString(248, QLatin1Char('x')), 248, Commit, zhong,
       QString(248, QLatin1Char('x')), true},
      {"a commit that fits", QString(247, QLatin1Char('x')), 247, Commit, zhong,
       QString(247, QLatin1Char('x')) + zhong, false},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    std::string startGbk;
    ASSERT_TRUE(calixo::toGbk(row.start, startGbk));
    m_texts.push_back(std::make_unique<std::string>(startGbk));
    SMEMOLISTDATA *m = memo(43000.0 + static_cast<double>(m_memos.size()), m_texts.back()->c_str());
    QWidget *note = open(m);
    auto *edit = child<QPlainTextEdit>(note, "noteText");
    edit->setFocus();
    QTextCursor c = edit->textCursor();
    if (row.cursor < 0)
      c.select(QTextCursor::Document);
    else
      c.setPosition(row.cursor);
    edit->setTextCursor(c);
    m_owner.sent.clear();
    BoxAnswerer boxes;
    switch (row.how) {
    case Type:
      QTest::keyClicks(edit, row.insert);
      break;
    case Paste:
      QGuiApplication::clipboard()->setText(row.insert);
      edit->paste();
      break;
    case Commit: {
      QInputMethodEvent ime;
      ime.setCommitString(row.insert);
      QCoreApplication::sendEvent(edit, &ime);
      break;
    }
    }
    EXPECT_EQ(edit->toPlainText(), row.expected);
    std::string expectedGbk;
    ASSERT_TRUE(calixo::toGbk(row.expected, expectedGbk));
    EXPECT_LE(expectedGbk.size(), 249u);
    if (expectedGbk == startGbk) {
      EXPECT_TRUE(m_owner.sent.empty());
    } else {
      ASSERT_EQ(m_owner.messages(), (std::vector<unsigned>{WM_MEMO_TEXT, WM_MEMO_REDRAW}));
      EXPECT_EQ(m_owner.sent[0].text, expectedGbk);
    }
    EXPECT_EQ(boxes.shown(), row.told ? QStringList{kTooLong} : QStringList{});
    // Undo never brings back what did not fit: after a cut the history
    // starts again, other edits are taken back.
    edit->undo();
    EXPECT_EQ(edit->toPlainText(), row.told ? row.expected : row.start);
    EXPECT_EQ(boxes.shown().size(), row.told ? 1 : 0);
    note->close();
  }
}

// The input method's text being composed is not the note's text yet: it is
// not sent to the list and does not count; its commit is the edit.
TEST_F(HovrelTest, ComposingTextIsNotSentOnlyTheCommitIs) {
  const std::string start(247, 'x');
  SMEMOLISTDATA *m = memo(44000.0, start.c_str());
  QWidget *note = open(m);
  auto *edit = child<QPlainTextEdit>(note, "noteText");
  edit->setFocus();
  edit->moveCursor(QTextCursor::End);
  BoxAnswerer boxes;
  QInputMethodEvent compose(QStringLiteral("zhongwen"), {});
  QCoreApplication::sendEvent(edit, &compose);
  EXPECT_TRUE(m_owner.sent.empty());
  EXPECT_EQ(edit->toPlainText(), QString::fromStdString(start));
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("中文"));
  QCoreApplication::sendEvent(edit, &commit);
  EXPECT_EQ(edit->toPlainText(), QString::fromStdString(start) + QStringLiteral("中"));
  ASSERT_EQ(m_owner.messages(), (std::vector<unsigned>{WM_MEMO_TEXT, WM_MEMO_REDRAW}));
  EXPECT_EQ(m_owner.sent[0].text, start + "\xD6\xD0");
  EXPECT_EQ(boxes.shown(), QStringList{QStringLiteral("便笺最多保存249个字节，多出的文字没有加入")});
}

TEST_F(HovrelTest, LockToggleReportsLockAndFreezesTextAndPosition) {
  SMEMOLISTDATA *m = memo(40001.0);
  QWidget *note = open(m);
  auto *lock = child<QToolButton>(note, "noteLock");
  auto *edit = child<QPlainTextEdit>(note, "noteText");
  QTest::mouseClick(lock, Qt::LeftButton);
  EXPECT_EQ(m->Lock, 1);
  ASSERT_EQ(m_owner.messages(), std::vector<unsigned>{WM_MEMO_LOCK});
  EXPECT_EQ(m_owner.sent[0].memo, m);

  QTest::keyClicks(edit, QStringLiteral("x"));
  EXPECT_EQ(edit->toPlainText(), QString());
  const QPoint before = note->pos();
  QTest::mousePress(note, Qt::LeftButton, {}, QPoint(40, 8));
  QTest::mouseMove(note, QPoint(90, 48));
  QTest::mouseRelease(note, Qt::LeftButton, {}, QPoint(90, 48));
  EXPECT_EQ(note->pos(), before) << "a locked note does not move";
  EXPECT_EQ(m_owner.sent.size(), 1u);

  QTest::mouseClick(lock, Qt::LeftButton);
  EXPECT_EQ(m->Lock, 0);
  EXPECT_EQ(m_owner.messages(), (std::vector<unsigned>{WM_MEMO_LOCK, WM_MEMO_LOCK}));
  QTest::keyClicks(edit, QStringLiteral("x"));
  EXPECT_EQ(edit->toPlainText(), QStringLiteral("x"));
}

TEST_F(HovrelTest, LockedMemoOpensLocked) {
  SMEMOLISTDATA *m = memo(40002.0, nullptr, 1);
  QWidget *note = open(m);
  EXPECT_TRUE(child<QToolButton>(note, "noteLock")->isChecked());
  EXPECT_TRUE(child<QPlainTextEdit>(note, "noteText")->isReadOnly());
}

TEST_F(HovrelTest, CloseRequestClosesBeforeReturningAndReportsShowZero) {
  for (const bool byButton : {false, true}) {
    SCOPED_TRACE(byButton ? "close button" : "close request");
    m_owner.sent.clear();
    SMEMOLISTDATA *m = memo(40003.0 + byButton);
    QWidget *note = open(m);
    if (byButton)
      QTest::mouseClick(child<QToolButton>(note, "noteClose"), Qt::LeftButton);
    else
      note->close();
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(m->Show, 0);
    ASSERT_EQ(m_owner.messages(), std::vector<unsigned>{WM_MEMO_SHOW});
    EXPECT_EQ(m_owner.sent[0].show, 0) << "Show is written before the report";
    EXPECT_EQ(m_owner.sent[0].memo, m);
  }
}

TEST_F(HovrelTest, ClosedNoteNeverTouchesItsRecordAgain) {
  SMEMOLISTDATA *m = memo(40004.0);
  QWidget *note = open(m);
  note->close();
  // The list frees the record right after the close; the pending deletion of
  // the note must not read it (AddressSanitizer would report it).
  m_memos.pop_back();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  EXPECT_EQ(m_owner.sent.size(), 1u);
}

TEST_F(HovrelTest, NewNotesCascadeAndANoteReopensWhereItWasLeft) {
  SMEMOLISTDATA *a = memo(41000.1);
  SMEMOLISTDATA *b = memo(41000.2);
  QWidget *na = open(a);
  QWidget *nb = open(b);
  EXPECT_NE(na->pos(), nb->pos());

  QTest::mousePress(na, Qt::LeftButton, {}, QPoint(40, 8));
  QTest::mouseMove(na, QPoint(70, 38));
  QTest::mouseRelease(na, Qt::LeftButton, {}, QPoint(70, 38));
  const QPoint left = na->pos();
  na->close();
  nb->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  QWidget *again = open(a);
  EXPECT_EQ(again->pos(), left);
  QWidget *otherAgain = open(b);
  EXPECT_NE(otherAgain->pos(), left);
}

TEST_F(HovrelTest, StoredTablePositionIsUsedWhenTheLibraryKnowsNone) {
  SMEMOLISTDATA *m = memo(42000.0);
  m->X = 300;
  m->Y = 200;
  EXPECT_EQ(open(m)->pos(), QPoint(300, 200));
}

TEST_F(HovrelTest, OwnerGoneMeansNothingIsSent) {
  auto owner = std::make_unique<Owner>();
  SMEMOLISTDATA *m = memo(42001.0);
  ASSERT_EQ(CreatTopWnd(m, owner.get(), nullptr), 1);
  m->Show = 1;
  owner.reset();
  // With its owner gone the note treats the record as gone too: it neither
  // sends nor writes.
  QWidget *note = m->NoteWnd;
  QTest::keyClicks(child<QPlainTextEdit>(note, "noteText"), QStringLiteral("z"));
  QTest::mouseClick(child<QToolButton>(note, "noteLock"), Qt::LeftButton);
  note->close();
  EXPECT_EQ(m->Lock, 0);
  EXPECT_EQ(m->Show, 1);
  EXPECT_FALSE(note->isVisible());
  m->Show = 0;  // nothing left for the fixture to close
}

}  // namespace
