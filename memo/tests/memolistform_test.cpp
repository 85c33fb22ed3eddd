// The memo list window on offscreen windows with the real note library:
// picture buttons, the grid, the notes' reports and the close rule.
#include "memolistform.h"

#include "calixoini.h"
#include "clock.h"
#include "dbffile.h"
#include "tempdir.h"
#include "ui.h"
#include "visiblenotes.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

class MemoListFormTest : public TempDirTest {
protected:
  void SetUp() override {
    TempDirTest::SetUp();
    std::filesystem::copy_file(std::filesystem::path(CALIXO_RUNTIME_DIR) / "CALIXOTOP.EXB",
                               dir() / "CALIXOTOP.EXB");
    calixo::setClock(&m_clock);
    calixo::setMessageHook([this](const QString &t) { m_messages << t; });
  }
  void TearDown() override {
    if (m_form) {
      m_form->CanClose = true;
      m_form->close();
      m_form.reset();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    calixo::setMessageHook(nullptr);
    calixo::setClock(nullptr);
    TempDirTest::TearDown();
  }
  TMemoListForm &form() {
    if (!m_form)
      m_form = std::make_unique<TMemoListForm>(m_settings);
    return *m_form;
  }
  template <class T> T *child(QWidget *w, const char *name) {
    auto *c = w->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  QString cell(int row, int column) {
    auto *grid = child<QTableView>(&form(), "DrawGridMemo");
    return grid->model()->index(row - 1, column).data().toString();
  }
  void press(const char *button) {
    QTest::mouseClick(child<QWidget>(&form(), button), Qt::LeftButton, {}, QPoint(5, 5));
  }
  void releaseOverRow(int row) {
    auto *grid = child<QTableView>(&form(), "DrawGridMemo");
    const QRect r = grid->visualRect(grid->model()->index(row - 1, 0));
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, r.center());
  }
  DbfFile file() const { return readDbfFile("TextList.dbf"); }

  calixo::ManualClock m_clock{calixo::LocalDateTime{2005, 3, 7, 9, 5, 0, 0}};
  TCalixoini m_settings;
  std::unique_ptr<TMemoListForm> m_form;
  QStringList m_messages;
};

TEST_F(MemoListFormTest, FirstStartIsHiddenInPlaceWithOnlyTheHeaderAndNoNote) {
  TMemoListForm &f = form();
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(f.pos(), QPoint(437, 330));
  EXPECT_EQ(f.size(), QSize(267, 298));
  EXPECT_EQ(f.windowTitle(), QStringLiteral("记事本"));
  EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
  auto *grid = child<QTableView>(&f, "DrawGridMemo");
  EXPECT_EQ(grid->geometry(), QRect(24, 32, 217, 185));
  EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("创建时间"));
  EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("内容"));
  EXPECT_EQ(grid->columnWidth(0), 100);
  EXPECT_EQ(grid->columnWidth(1), 200);
  EXPECT_EQ(grid->model()->rowCount(), 54);
  EXPECT_EQ(cell(1, 0), QString());
  EXPECT_TRUE(visibleNotes().isEmpty());
  EXPECT_TRUE(file().ok);
  EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(QLatin1Char('|')).toStdString();
  EXPECT_EQ(child<QWidget>(&f, "ImageADD")->size(), QSize(26, 26));
  EXPECT_EQ(child<QWidget>(&f, "ImageDEL")->pos(), QPoint(87, 225));
}

TEST_F(MemoListFormTest, AddButtonPressedLookThenNewRowAndNote) {
  TMemoListForm &f = form();
  QWidget *add = child<QWidget>(&f, "ImageADD");
  QTest::mousePress(add, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(add->pos(), QPoint(42, 226)) << "pressed look";
  EXPECT_EQ(f.Table().Count(), 0) << "nothing happens before the release";
  QTest::mouseRelease(add, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(add->pos(), QPoint(41, 225));
  EXPECT_EQ(f.Table().Count(), 1);
  EXPECT_EQ(cell(1, 0), QStringLiteral("2005-03-07 09:05"));
  EXPECT_EQ(visibleNotes().size(), 1);
  EXPECT_EQ(file().value(0, "SHOW"), "1");
}

TEST_F(MemoListFormTest, NoteEditsReachRowAndTableAndLockOnlyLock) {
  form();
  press("ImageADD");
  ASSERT_EQ(visibleNotes().size(), 1);
  QWidget *note = visibleNotes().first();
  // Chinese arrives as the input method's commit.
  QInputMethodEvent ime;
  ime.setCommitString(QStringLiteral("买菜"));
  QCoreApplication::sendEvent(child<QPlainTextEdit>(note, "noteText"), &ime);
  EXPECT_EQ(cell(1, 1), QStringLiteral("买菜"));
  EXPECT_EQ(file().value(0, "TEXT"), "\xC2\xF2\xB2\xCB");
  QTest::mouseClick(child<QToolButton>(note, "noteLock"), Qt::LeftButton);
  EXPECT_EQ(file().value(0, "LOCK"), "1");
  EXPECT_EQ(file().value(0, "TEXT"), "\xC2\xF2\xB2\xCB");
  EXPECT_EQ(file().value(0, "SHOW"), "1");
}

TEST_F(MemoListFormTest, ClosedNoteComesBackOnReleaseOverItsRowOnly) {
  form();
  press("ImageADD");
  QTest::mouseClick(child<QToolButton>(visibleNotes().first(), "noteClose"), Qt::LeftButton);
  EXPECT_TRUE(visibleNotes().isEmpty());
  EXPECT_EQ(file().value(0, "SHOW"), "0");
  releaseOverRow(2);  // no memo there
  EXPECT_TRUE(visibleNotes().isEmpty());
  releaseOverRow(1);
  EXPECT_EQ(visibleNotes().size(), 1);
  EXPECT_EQ(file().value(0, "SHOW"), "1");
  releaseOverRow(1);
  EXPECT_EQ(visibleNotes().size(), 1) << "a shown note is left alone";
}

TEST_F(MemoListFormTest, DeleteWithoutSelectionDeletesTheFirstMemoAndClosesItsNote) {
  TMemoListForm &f = form();
  press("ImageADD");
  m_clock.advanceMs(60'000);
  press("ImageADD");
  ASSERT_EQ(visibleNotes().size(), 2);
  EXPECT_EQ(f.SelectedRow(), 1);
  press("ImageDEL");
  EXPECT_EQ(visibleNotes().size(), 1);
  EXPECT_EQ(f.Table().Count(), 1);
  EXPECT_EQ(cell(1, 0), QStringLiteral("2005-03-07 09:06"));
  EXPECT_EQ(cell(2, 0), QString());
  DbfFile d = file();
  ASSERT_EQ(d.records.size(), 1u);
  EXPECT_FALSE(d.records[0].deleted);
  press("ImageDEL");
  press("ImageDEL");  // the selected row is beyond the last memo now: nothing
  EXPECT_EQ(f.Table().Count(), 0);
  EXPECT_TRUE(visibleNotes().isEmpty());
}

TEST_F(MemoListFormTest, CloseIsRefusedUntilTheMainWindowAllowsIt) {
  TMemoListForm &f = form();
  press("ImageADD");
  f.ToggleShown();
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(f.close());
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(visibleNotes().size(), 1);
  f.CanClose = true;
  EXPECT_TRUE(f.close());
  EXPECT_TRUE(visibleNotes().isEmpty());
  EXPECT_EQ(file().value(0, "SHOW"), "1") << "the note comes back at the next start";
  m_form.reset();
  form();
  EXPECT_EQ(visibleNotes().size(), 1);
}

// However the program ends, it ends by asking the application to quit,
// which closes every window it can, the notes among them (first of all when
// the session ends): the notes the user left pinned keep SHOW 1. A quit that
// a window refuses leaves the program running, and a note the user closes
// after that is closed for good.
TEST_F(MemoListFormTest, NotesClosedByTheProgramEndingStayPinnedForTheNextStart) {
  // A window that refuses to close: the application gives up the quit.
  struct Refuse : QObject {
    bool eventFilter(QObject *, QEvent *e) override {
      if (e->type() != QEvent::Close)
        return false;
      e->ignore();
      return true;
    }
  } refuse;
  QWidget refuser;
  refuser.installEventFilter(&refuse);
  refuser.show();

  TMemoListForm &f = form();
  for (int i = 0; i < 3; ++i) {
    press("ImageADD");
    m_clock.advanceMs(60'000);
  }
  ASSERT_EQ(visibleNotes().size(), 3);
  QTest::mouseClick(child<QToolButton>(f.Table().Memo(0)->NoteWnd, "noteClose"), Qt::LeftButton);
  ASSERT_EQ(file().value(0, "SHOW"), "0");

  QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  QTimer::singleShot(300, qApp, [] { QCoreApplication::exit(7); });
  ASSERT_EQ(QCoreApplication::exec(), 7) << "the refused quit went through";
  // Which notes the application closed before it met the refusal depends on
  // the order it tries its windows in; the user closed none of them.
  EXPECT_EQ(file().value(1, "SHOW"), "1");
  EXPECT_EQ(file().value(2, "SHOW"), "1");
  releaseOverRow(3);  // the third note again, unless it is still there
  const SMEMOLISTDATA *third = f.Table().Memo(2);
  ASSERT_EQ(third->Show, 1);
  QTest::mouseClick(child<QToolButton>(third->NoteWnd, "noteClose"), Qt::LeftButton);
  EXPECT_EQ(file().value(2, "SHOW"), "0") << "closed by the user while the program went on";

  // The quit that ends the program.
  refuser.removeEventFilter(&refuse);
  QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_TRUE(visibleNotes().isEmpty()) << "quitting closes the notes";
  EXPECT_FALSE(refuser.isVisible());
  EXPECT_EQ(file().value(0, "SHOW"), "0") << "closed by the user";
  EXPECT_EQ(file().value(1, "SHOW"), "1") << "closed by the program ending";
  EXPECT_EQ(file().value(2, "SHOW"), "0");
  m_form->CanClose = true;
  m_form.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  form();
  ASSERT_EQ(visibleNotes().size(), 1);
  EXPECT_EQ(visibleNotes().first(), form().Table().Memo(1)->NoteWnd);
}

TEST_F(MemoListFormTest, ToggleShowsAndHides) {
  TMemoListForm &f = form();
  f.ToggleShown();
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.pos(), QPoint(437, 330));
  f.ToggleShown();
  EXPECT_FALSE(f.isVisible());
}

}  // namespace
