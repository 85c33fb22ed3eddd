// The memo list and its notes on a real X server, driven by real input
// (xdotool): add a memo, type into its note, move, lock and close the note,
// show it again from the list and delete the memo, checking "TextList.dbf"
// after every step. Screenshots of the list and a note are saved beside the
// test binary's build folder.
#include "memolistform.h"

#include "calixoini.h"
#include "clock.h"
#include "dbffile.h"
#include "tempdir.h"
#include "ui.h"
#include "visiblenotes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <functional>

namespace {

bool waitUntil(const std::function<bool()> &done, int ms = 3000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms)
      return false;
    QTest::qWait(20);
  }
  return true;
}

void xdo(const QStringList &args) {
  ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0) << args.join(' ').toStdString();
  QTest::qWait(60);
}

void clickAt(QPoint global) {
  xdo({"mousemove", QString::number(global.x()), QString::number(global.y()), "click", "1"});
}

void saveScreenshot(QWidget *w, const char *name) {
  QScreen *screen = QGuiApplication::primaryScreen();
  const QRect r = w->frameGeometry();
  const QPixmap shot = screen->grabWindow(0, r.x(), r.y(), r.width(), r.height());
  EXPECT_TRUE(shot.save(QString::fromUtf8(CALIXO_E2E_OUT) + QLatin1Char('/') + QLatin1String(name)));
}

class MemoEndToEnd : public TempDirTest {};

TEST_F(MemoEndToEnd, AddTypeMoveLockCloseShowAgainDelete) {
  std::filesystem::copy_file(std::filesystem::path(CALIXO_RUNTIME_DIR) / "CALIXOTOP.EXB",
                             dir() / "CALIXOTOP.EXB");
  calixo::ManualClock clock(calixo::LocalDateTime{2026, 12, 8, 8, 30, 0, 0});
  calixo::setClock(&clock);
  TCalixoini settings;
  auto form = std::make_unique<TMemoListForm>(settings);
  EXPECT_FALSE(form->isVisible());
  form->ToggleShown();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  auto *grid = form->findChild<QTableView *>(QStringLiteral("DrawGridMemo"));
  auto *add = form->findChild<QWidget *>(QStringLiteral("ImageADD"));
  auto *del = form->findChild<QWidget *>(QStringLiteral("ImageDEL"));
  ASSERT_TRUE(grid && add && del);
  auto fileNow = [] { return readDbfFile("TextList.dbf"); };

  // Add.
  clickAt(add->mapToGlobal(QPoint(13, 13)));
  ASSERT_TRUE(waitUntil([&] { return visibleNotes().size() == 1; }));
  ASSERT_EQ(fileNow().records.size(), 1u);
  EXPECT_EQ(fileNow().value(0, "SHOW"), "1");
  EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QStringLiteral("2026-12-08 08:30"));
  QWidget *note = visibleNotes().first();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(note));

  // Type.
  auto *edit = note->findChild<QPlainTextEdit *>(QStringLiteral("noteText"));
  clickAt(edit->mapToGlobal(edit->rect().center()));
  xdo({"type", "--delay", "30", "milk 2L"});
  EXPECT_TRUE(waitUntil([&] { return fileNow().value(0, "TEXT") == "milk 2L"; }))
      << fileNow().value(0, "TEXT");
  EXPECT_EQ(grid->model()->index(0, 1).data().toString(), QStringLiteral("milk 2L"));

  // Move by dragging the caption.
  const QPoint from = note->mapToGlobal(QPoint(40, 10));
  const QPoint before = note->pos();
  xdo({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1"});
  for (int i = 1; i <= 6; ++i)
    xdo({"mousemove", QString::number(from.x() + 10 * i), QString::number(from.y() + 7 * i)});
  xdo({"mouseup", "1"});
  EXPECT_TRUE(waitUntil([&] { return note->pos() == before + QPoint(60, 42); }))
      << note->pos().x() << "," << note->pos().y();
  const QPoint left = note->pos();
  saveScreenshot(note, "memo-note.png");
  saveScreenshot(form.get(), "memo-list.png");

  // Lock: the text no longer changes and only LOCK is written.
  auto *lock = note->findChild<QToolButton *>(QStringLiteral("noteLock"));
  clickAt(lock->mapToGlobal(lock->rect().center()));
  EXPECT_TRUE(waitUntil([&] { return fileNow().value(0, "LOCK") == "1"; }));
  clickAt(edit->mapToGlobal(edit->rect().center()));
  xdo({"type", "xyz"});
  QTest::qWait(150);
  EXPECT_EQ(fileNow().value(0, "TEXT"), "milk 2L");

  // Close the note, then show it again from the list: it comes back where it was left.
  auto *close = note->findChild<QToolButton *>(QStringLiteral("noteClose"));
  clickAt(close->mapToGlobal(close->rect().center()));
  EXPECT_TRUE(waitUntil([&] { return visibleNotes().isEmpty(); }));
  EXPECT_EQ(fileNow().value(0, "SHOW"), "0");
  clickAt(grid->viewport()->mapToGlobal(grid->visualRect(grid->model()->index(0, 1)).center()));
  ASSERT_TRUE(waitUntil([&] { return visibleNotes().size() == 1; }));
  EXPECT_EQ(fileNow().value(0, "SHOW"), "1");
  EXPECT_EQ(visibleNotes().first()->pos(), left);
  EXPECT_TRUE(visibleNotes().first()->findChild<QToolButton *>(QStringLiteral("noteLock"))->isChecked());

  // Delete (the first row is selected): the note closes, the file is empty.
  clickAt(del->mapToGlobal(QPoint(13, 13)));
  EXPECT_TRUE(waitUntil([&] { return visibleNotes().isEmpty(); }));
  EXPECT_TRUE(fileNow().ok);
  EXPECT_TRUE(fileNow().records.empty());
  EXPECT_EQ(fileNow().headerCount, 0u);

  form->CanClose = true;
  form->close();
  form.reset();
  calixo::setClock(nullptr);
}

}  // namespace
