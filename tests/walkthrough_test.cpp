// A user's whole walk through the real program under X with real input:
// stepping years and months, the year/month dialog, the three tool windows,
// a sticky note, a three-second countdown and its reminder, and the close
// button. Every window is saved as a picture in the build folder on the way.
#include "e2e_support.h"

#include "dbf.h"

#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

using namespace e2e;

// The main window's controls, in the window's own coordinates (their centres,
// kept clear of where two buttons overlap).
constexpr QPoint kRed(541, 57), kBlue(540, 100), kGreen(540, 143), kClose(543, 251);
constexpr QPoint kLastYear(535, 182), kNextYear(552, 181), kBeforMonth(535, 213),
    kNextMonth(552, 212);
constexpr QPoint kYearLabel(240, 56);
// The year, the month's number and name, and the grid.
constexpr QRect kMonthArea(230, 48, 281, 249);

// The dialog's edits; the countdown's first channel.
constexpr QPoint kEditYear(140, 42), kEditMonth(140, 74);
constexpr QPoint kSliderB1(206, 60), kEditB1(94, 88), kCheckBoxB1(42, 64);
// The memo list's add button.
constexpr QPoint kMemoAdd(51, 235);
// The text area of a note, under its caption strip.
constexpr QPoint kNoteText(100, 90);

void saveShot(X &x, const TopWindow &w, const char *name) {
  const QImage shot = x.grab(w);
  EXPECT_FALSE(shot.isNull()) << name;
  EXPECT_TRUE(shot.save(QStringLiteral(CALIXO_WALK_OUT "/walk-%1.png").arg(QLatin1String(name)), "PNG"))
      << name;
}

void clickIn(const TopWindow &w, QPoint at, int button = 1) { clickAt(w.x + at.x(), w.y + at.y(), button); }

QImage monthArea(X &x, const TopWindow &main) {
  return x.grab(main, kMonthArea.x(), kMonthArea.y(), kMonthArea.width(), kMonthArea.height());
}

// The month area once it stays the same for a moment (the first click
// activates the window, which draws the grid's focus).
QImage steadyMonthArea(X &x, const TopWindow &main) {
  QImage last = monthArea(x, main), now;
  const auto end = std::chrono::steady_clock::now() + 5s;
  for (;;) {
    std::this_thread::sleep_for(200ms);
    now = monthArea(x, main);
    if (now == last || std::chrono::steady_clock::now() > end)
      return now;
    last = now;
  }
}

// Waits until the month area looks as wanted (equal to or different from
// reference); returns what it shows last.
QImage waitForMonthArea(X &x, const TopWindow &main, const QImage &reference, bool equal) {
  QImage now;
  const auto end = std::chrono::steady_clock::now() + 5s;
  do {
    std::this_thread::sleep_for(50ms);
    now = monthArea(x, main);
  } while ((now == reference) != equal && std::chrono::steady_clock::now() < end);
  return now;
}

// Selects all of a line edit, copies it and reads the clipboard, until it
// holds expected or the time is up; returns what was read last.
std::string copiedText(X &x, const TopWindow &w, QPoint edit, const std::string &expected) {
  clickIn(w, edit);
  std::string got;
  const auto end = std::chrono::steady_clock::now() + 5s;
  do {
    xdo("key ctrl+a ctrl+c");
    got = x.clipboardText(1000ms);
  } while (got != expected && std::chrono::steady_clock::now() < end);
  return got;
}

class Walkthrough : public EndToEnd {};

TEST_F(Walkthrough, AUserStepsChoosesAMonthOpensEveryWindowCountsDownAndCloses) {
  copyRuntimeData(dir());
  const std::string errors = (dir() / "stderr.txt").string();
  X x;
  ASSERT_TRUE(x.ok()) << "no X display";
  // A fixed start, so the months stepped through are known.
  Program calixo(dir(), "2026-12-08 10:00:00", errors);

  std::vector<TopWindow> windows = waitForWindows(x, 1, 20s);
  ASSERT_EQ(windows.size(), 1u);
  const TopWindow main = windows[0];
  ASSERT_EQ(main.width, 586);
  std::this_thread::sleep_for(700ms);  // the first paint
  saveShot(x, main, "main");

  // Years and months: each step changes the labels and the grid, and the
  // opposite step brings back exactly what was shown.
  const QImage atStart = monthArea(x, main);
  ASSERT_FALSE(atStart.isNull());
  clickIn(main, kNextYear);
  const QImage december2027 = steadyMonthArea(x, main);
  EXPECT_NE(december2027, atStart) << "the next-year button changed nothing";
  clickIn(main, kLastYear);
  const QImage december2026 = steadyMonthArea(x, main);
  EXPECT_NE(december2026, december2027) << "the last-year button changed nothing";
  clickIn(main, kNextYear);
  EXPECT_EQ(waitForMonthArea(x, main, december2027, true), december2027)
      << "the next-year button did not come to 2027 again";
  clickIn(main, kLastYear);
  EXPECT_EQ(waitForMonthArea(x, main, december2026, true), december2026)
      << "the last-year button did not go back to 2026";
  clickIn(main, kNextMonth);
  const QImage january2027 = waitForMonthArea(x, main, december2026, false);
  EXPECT_NE(january2027, december2026) << "the next-month button changed nothing";
  EXPECT_NE(january2027, december2027);
  clickIn(main, kBeforMonth);
  EXPECT_EQ(waitForMonthArea(x, main, december2026, true), december2026)
      << "the month-before button did not go back to December";
  // To January 2028: a year forward, then a month, across the year's end.
  clickIn(main, kNextYear);
  waitForMonthArea(x, main, december2027, true);
  clickIn(main, kNextMonth);
  waitForMonthArea(x, main, december2027, false);

  // The year label opens the dialog on the selected year and month.
  clickIn(main, kYearLabel);
  TopWindow dialog = waitForNewWindow(x, {main.id}, 5s);
  ASSERT_NE(dialog.id, 0u) << "the year label opened no dialog";
  EXPECT_EQ(dialog.width, 310);
  EXPECT_EQ(dialog.height, 141);
  std::this_thread::sleep_for(300ms);  // its first paint
  saveShot(x, dialog, "dialog");
  EXPECT_EQ(copiedText(x, dialog, kEditYear, "2028"), "2028");
  EXPECT_EQ(copiedText(x, dialog, kEditMonth, "1"), "1");
  // A year and a month typed in, and OK (the default button) by Enter.
  clickIn(dialog, kEditYear);
  xdo("key ctrl+a");
  xdo("type --delay 40 2009");
  clickIn(dialog, kEditMonth);
  xdo("key ctrl+a");
  xdo("type --delay 40 2");
  xdo("key Return");
  EXPECT_TRUE(waitForViewable(x, dialog.id, false, 5s)) << "OK did not close the dialog";
  const QImage february2009 = waitForMonthArea(x, main, december2026, false);
  EXPECT_NE(february2009, december2027);
  // Shown again, it holds the month now selected; Escape cancels.
  clickIn(main, kYearLabel);
  dialog = waitForNewWindow(x, {main.id}, 5s);
  ASSERT_NE(dialog.id, 0u) << "the dialog did not open again";
  EXPECT_EQ(copiedText(x, dialog, kEditYear, "2009"), "2009");
  EXPECT_EQ(copiedText(x, dialog, kEditMonth, "2"), "2");
  xdo("key Escape");
  EXPECT_TRUE(waitForViewable(x, dialog.id, false, 5s)) << "Escape did not close the dialog";
  EXPECT_EQ(waitForMonthArea(x, main, february2009, true), february2009) << "Cancel changed the month";

  // The red button shows the time list beside the main window and hides it.
  clickIn(main, kRed);
  const TopWindow timeList = waitForNewWindow(x, {main.id}, 5s);
  ASSERT_NE(timeList.id, 0u) << "the red button showed no time list";
  EXPECT_EQ(timeList.width, 237);
  EXPECT_EQ(timeList.x, main.x + main.width) << "the list must leave the main window's buttons free";
  EXPECT_EQ(timeList.y, main.y + 40);
  std::this_thread::sleep_for(300ms);
  saveShot(x, timeList, "timelist");
  clickIn(main, kRed);
  EXPECT_TRUE(waitForViewable(x, timeList.id, false, 5s)) << "the red button did not hide the time list";

  // The green button shows the memo list; its add button pins a note, which
  // stays when the list is hidden.
  clickIn(main, kGreen);
  const TopWindow memoList = waitForNewWindow(x, {main.id}, 5s);
  ASSERT_NE(memoList.id, 0u) << "the green button showed no memo list";
  EXPECT_EQ(memoList.width, 267);
  std::this_thread::sleep_for(300ms);
  clickIn(memoList, kMemoAdd);
  const TopWindow note = waitForNewWindow(x, {main.id, memoList.id}, 5s);
  ASSERT_NE(note.id, 0u) << "add pinned no note";
  clickIn(note, kNoteText);
  xdo("type --delay 40 'buy milk'");
  std::this_thread::sleep_for(300ms);
  saveShot(x, memoList, "memolist");
  saveShot(x, note, "note");
  clickIn(main, kGreen);
  EXPECT_TRUE(waitForViewable(x, memoList.id, false, 5s)) << "the green button did not hide the memo list";
  EXPECT_TRUE(x.viewable(note.id)) << "hiding the list took the note away";

  // The blue button shows the countdown. Channel one: the slider to 3 by
  // keyboard, seconds (the unit at start), a reminder, and the tick.
  clickIn(main, kBlue);
  const TopWindow countdown = waitForNewWindow(x, {main.id, note.id}, 5s);
  ASSERT_NE(countdown.id, 0u) << "the blue button showed no countdown";
  EXPECT_EQ(countdown.width, 355);
  EXPECT_EQ(countdown.height, 239);
  std::this_thread::sleep_for(300ms);
  clickIn(countdown, kSliderB1);
  xdo("key Home Right Right");
  clickIn(countdown, kEditB1);
  xdo("type --delay 40 tea");
  clickIn(countdown, kCheckBoxB1);
  const auto started = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(1500ms);  // a progress tick or so
  saveShot(x, countdown, "countdown");
  const TopWindow reminder = waitForNewWindow(x, {main.id, note.id, countdown.id}, 20s);
  const auto after = std::chrono::steady_clock::now() - started;
  ASSERT_NE(reminder.id, 0u) << "no reminder came";
  // Three seconds: not the one second the slider starts at, nor the 11 of a
  // page step.
  EXPECT_GE(after, 2500ms);
  EXPECT_LT(after, 10s);
  std::this_thread::sleep_for(300ms);
  saveShot(x, reminder, "reminder");
  xdo("mousemove " + std::to_string(reminder.x + reminder.width / 2) + " " +
      std::to_string(reminder.y + reminder.height / 2));
  xdo("key Return");
  EXPECT_TRUE(waitForViewable(x, reminder.id, false, 5s)) << "Enter did not dismiss the reminder";
  EXPECT_TRUE(x.viewable(countdown.id));
  clickIn(main, kBlue);
  EXPECT_TRUE(waitForViewable(x, countdown.id, false, 5s)) << "the blue button did not hide the countdown";

  // What the walk wrote: one memo with the typed text, no entries.
  std::string memo;
  EXPECT_EQ(withFirstRecord("TextList", [&](dbf::TDbfDataSet &t) { memo = t.StringGet("TEXT"); }), 1);
  EXPECT_EQ(memo, "buy milk");

  // The close button ends the program normally, note and all; nothing on
  // the way reached the general error report.
  clickIn(main, kClose);
  EXPECT_EQ(calixo.waitForExit(15s), 0);
  const std::string reported = readFile(errors);
  EXPECT_EQ(reported.find("calixo: "), std::string::npos) << reported;
  EXPECT_EQ(reported.find("runtime error"), std::string::npos) << reported;  // sanitizer builds
}

}  // namespace
