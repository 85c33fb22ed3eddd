// The time-list window and the alarm clock offscreen, with the clock injected
// and message boxes recorded.
#include "timelistform.h"

#include "alarmclock.h"
#include "clock.h"
#include "mainform.h"
#include "picturebutton.h"
#include "programfolder.h"
#include "timegrid.h"
#include "ui.h"

#include <QAction>
#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QFontMetrics>
#include <QTextDocument>
#include <QToolTip>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

class TimeListTest : public ProgramFolderTest {
protected:
  TimeListTest() : ProgramFolderTest({2024, 5, 15, 6, 59, 0, 0}) {}
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TMainTIMELIST> list;

  void SetUp() override {
    ProgramFolderTest::SetUp();
  }
  void TearDown() override {
    if (list)
      list->CanClose = true;
    list.reset();
    form.reset();
    ProgramFolderTest::TearDown();
  }
  void create() {
    form = std::make_unique<TMainForm>();
    calixo::guarded([this] { form->FormCreate(); });
    list = std::make_unique<TMainTIMELIST>(form.get());
    calixo::guarded([this] { list->FormCreate(); });
  }
  // Stores an entry of the selected date the way the window does.
  void store(int h, int m, int set, const std::string &text, int run = 0) {
    auto r = std::make_shared<STIMELISTDATA>();
    r->Hour = h;
    r->Minute = m;
    r->SetFlag = set;
    r->RunFlag = run;
    r->Text = text;
    form->SaveEntry(SelYear, SelMonth, SelDay, r, 0);
  }
  // Stores an entry of any date straight into the table.
  void storeOn(int y, int mo, int d, int h, int m, int set, const std::string &text) {
    auto r = std::make_shared<STIMELISTDATA>();
    r->Hour = h;
    r->Minute = m;
    r->SetFlag = set;
    r->Text = text;
    form->SaveEntry(y, mo, d, r, 0);
  }
  TTimeList today() {
    TTimeList l;
    form->LoadDayEntries(2024, 5, 15, l);
    return l;
  }
  void tickAt(int h, int m, int s) {
    clock.set({2024, 5, 15, h, m, s, 0});
    form->AlarmClock->OnTimerClockTimer();
  }
  void selectRow(int row) { list->DrawGridTimeList->setCurrentCell(2, row); }
};

TEST_F(TimeListTest, AlarmOfTheCurrentMinuteWaitsNextMinuteFiresOnceAndIsCleared) {
  create();
  store(6, 59, 1, "now");
  store(7, 0, 1, "wake");
  ASSERT_TRUE(form->AlarmClock->NextAlarm.Armed);
  EXPECT_EQ(form->AlarmClock->NextAlarm.Text, "wake") << "the current minute is not later than now";
  tickAt(6, 59, 30);
  EXPECT_TRUE(messages.empty());
  tickAt(7, 0, 0);
  tickAt(7, 0, 1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QStringLiteral("wake"));
  const TTimeList l = today();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0]->SetFlag, 1) << "the 6:59 entry never fires and keeps SET";
  EXPECT_EQ(l[1]->SetFlag, 0);
  EXPECT_EQ(list->Rows[14]->SetFlag, 0) << "today's rows show the fired entry unset";
  EXPECT_FALSE(form->AlarmClock->NextAlarm.Armed);
}

TEST_F(TimeListTest, CancelledEntriesAreNeverAwaitedAndTheEarliestWins) {
  create();
  store(9, 0, 0, "cancelled");
  EXPECT_FALSE(form->AlarmClock->NextAlarm.Armed);
  store(11, 0, 1, "late");
  store(10, 0, 1, "ten");
  store(10, 0, 1, "ten again");
  store(8, 0, 1, "early");
  // Stored after 11:00, the 8:00 and 10:00 entries are awaited first: none
  // of the three is lost. Both entries of 10:00 fire, in the order stored.
  EXPECT_EQ(form->AlarmClock->NextAlarm.Text, "early");
  tickAt(8, 0, 0);
  tickAt(9, 0, 0);
  tickAt(10, 0, 0);
  tickAt(11, 0, 0);
  EXPECT_EQ(messages, (std::vector<QString>{QStringLiteral("early"), QStringLiteral("ten"),
                                            QStringLiteral("ten again"), QStringLiteral("late")}));
  const TTimeList l = today();
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[3]->Text, "ten again");
  EXPECT_EQ(l[3]->SetFlag, 0) << "the second entry of 10:00 fired too";
}

// The program runs overnight: at the first tick of a new date the old
// date's pending entry is dropped and the new date's entries are awaited,
// the one at 0:00 included.
TEST_F(TimeListTest, AlarmsOfTheNextDayFireAcrossMidnight) {
  clock.set({2024, 5, 15, 23, 59, 59, 0});
  create();
  storeOn(2024, 5, 16, 0, 0, 1, "midnight");
  storeOn(2024, 5, 16, 0, 30, 0, "cancelled");
  storeOn(2024, 5, 16, 1, 0, 1, "one");
  EXPECT_FALSE(form->AlarmClock->NextAlarm.Armed) << "nothing of the 15th is later than 23:59";
  form->AlarmClock->OnTimerClockTimer();
  EXPECT_TRUE(messages.empty());
  clock.advanceMs(1000);
  form->AlarmClock->OnTimerClockTimer();
  EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("midnight")});
  clock.set({2024, 5, 16, 0, 0, 1, 0});
  form->AlarmClock->OnTimerClockTimer();
  clock.set({2024, 5, 16, 0, 30, 0, 0});
  form->AlarmClock->OnTimerClockTimer();
  clock.set({2024, 5, 16, 1, 0, 0, 0});
  form->AlarmClock->OnTimerClockTimer();
  EXPECT_EQ(messages, (std::vector<QString>{QStringLiteral("midnight"), QStringLiteral("one")}));
  TTimeList l;
  form->LoadDayEntries(2024, 5, 16, l);
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0]->SetFlag, 0);
  EXPECT_EQ(l[2]->SetFlag, 0);
}

// A day whose pending minute was slept through: the entry fires, naming its
// time, as soon as the clock is next seen, on another date; the new date's
// entry of that minute fires at its minute.
TEST_F(TimeListTest, AnEntryOfAnEarlierDateSleptThroughFiresLateNamingItsTime) {
  clock.set({2024, 5, 15, 9, 0, 0, 0});
  create();
  store(10, 0, 1, "the 15th");
  storeOn(2024, 5, 17, 10, 0, 1, "the 17th");
  ASSERT_TRUE(form->AlarmClock->NextAlarm.Armed);
  const struct {
    int day, hour, minute;
    std::vector<QString> shown;
  } steps[] = {
      {16, 10, 0, {QStringLiteral("10:00 the 15th")}},  // a whole day later
      {17, 9, 59, {QStringLiteral("10:00 the 15th")}},
      {17, 10, 0, {QStringLiteral("10:00 the 15th"), QStringLiteral("the 17th")}},
  };
  for (const auto &step : steps) {
    clock.set({2024, 5, step.day, step.hour, step.minute, 0, 0});
    form->AlarmClock->OnTimerClockTimer();
    EXPECT_EQ(messages, step.shown) << step.day << " " << step.hour << ":" << step.minute;
  }
  EXPECT_EQ(today()[0]->SetFlag, 0) << "the 15th's entry fired late";
}

// The machine slept through a minute of today: that entry fires as soon as
// the clock is seen again, naming its time, and the day's later entries
// still fire.
TEST_F(TimeListTest, AMinuteSleptThroughFiresOnWakingAndTheDaysLaterAlarmsToo) {
  clock.set({2024, 5, 15, 9, 0, 0, 0});
  create();
  store(10, 0, 1, "slept through");
  store(10, 20, 1, "just now");
  store(11, 0, 1, "eleven");
  tickAt(9, 0, 1);
  tickAt(10, 20, 30);  // woken during the 10:20 minute
  tickAt(10, 20, 31);
  tickAt(11, 0, 0);
  EXPECT_EQ(messages, (std::vector<QString>{QStringLiteral("10:00 slept through"), QStringLiteral("just now"),
                                            QStringLiteral("eleven")}));
  EXPECT_EQ(today()[0]->SetFlag, 0) << "the missed entry fired on waking";
}

// Midnight moves the program to the new day: the selection that was on
// today, with the month, and the time-list window; a plan typed after
// midnight is stored under the new date and fires.
TEST_F(TimeListTest, MidnightMovesTheSelectionAndTheTimeListAndAPlanTypedAfterItFires) {
  clock.set({2024, 5, 31, 23, 59, 58, 0});
  create();
  clock.set({2024, 6, 1, 0, 0, 0, 0});
  form->AlarmClock->OnTimerClockTimer();
  EXPECT_EQ(std::vector<int>({SelYear, SelMonth, SelDay}), std::vector<int>({2024, 6, 1}));
  EXPECT_EQ(list->EditDay->text(), QStringLiteral("2024年6月1日"));
  clock.set({2024, 6, 1, 0, 10, 0, 0});
  form->AlarmClock->OnTimerClockTimer();
  store(0, 30, 1, "plan");
  TTimeList l;
  form->LoadDayEntries(2024, 6, 1, l);
  ASSERT_EQ(l.size(), 1u);
  clock.set({2024, 6, 1, 0, 30, 0, 0});
  form->AlarmClock->OnTimerClockTimer();
  EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("plan")});
}

// Set entries of earlier dates, never fired while the program was not
// running, are shown once at the start in one box, oldest first, and
// cleared; [Reminders] CatchUp=0 keeps them silent and set.
TEST_F(TimeListTest, MissedEntriesOfEarlierDatesAreShownOnceAtTheStart) {
  for (const bool catchUp : {true, false}) {
    SCOPED_TRACE(catchUp);
    for (const auto &f : std::filesystem::directory_iterator("."))
      if (QString::fromStdString(f.path().filename().string()).compare("TimeList.dbf", Qt::CaseInsensitive) == 0)
        std::filesystem::remove(f.path());
    std::ofstream("Calixo.ini", std::ios::app) << "[Reminders]\nCatchUp=" << (catchUp ? 1 : 0) << "\n";
    create();
    storeOn(2024, 5, 14, 9, 0, 1, "yesterday");
    storeOn(2024, 5, 12, 18, 30, 1, "sunday");
    storeOn(2024, 5, 14, 8, 0, 0, "cancelled");
    list.reset();
    form.reset();
    messages.clear();
    create();
    QCoreApplication::processEvents();
    const std::vector<QString> expected{
        QStringLiteral("错过的提醒\n2024-05-12 18:30 sunday\n2024-05-14 9:00 yesterday")};
    EXPECT_EQ(messages, catchUp ? expected : std::vector<QString>{});
    TTimeList l;
    form->LoadDayEntries(2024, 5, 14, l);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0]->SetFlag, catchUp ? 0 : 1);
    list.reset();
    form.reset();
    std::filesystem::remove("Calixo.ini");
  }
}

TEST_F(TimeListTest, RunEntryStartsTheProgramWithItsPathAsArgument) {
  const std::string log = (dir() / "args.log").string();
  const std::string script = (dir() / "my run.sh").string();
  std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << log << ".tmp'\nmv '" << log << ".tmp' '"
                        << log << "'\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  create();
  store(7, 0, 1, script, 1);
  tickAt(7, 0, 0);
  for (int i = 0; i < 200 && !std::filesystem::exists(log); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  std::ifstream in(log);
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str(), script + "\n");
  EXPECT_TRUE(messages.empty());
}

TEST_F(TimeListTest, AfterThePurgeTheArmedEntryIsStillTheRightRecord) {
  // Two April records before today's: the compaction on 1 May moves it to 1.
  clock.set({2024, 4, 10, 6, 0, 0, 0});
  create();
  store(8, 0, 1, "april a");
  store(9, 0, 1, "april b");
  SelDay = 11;  // not today: nothing is armed
  list.reset();
  form.reset();
  clock.set({2024, 5, 1, 6, 0, 0, 0});
  {
    create();
    store(7, 0, 1, "may");
  }
  list.reset();
  form.reset();
  create();
  ASSERT_TRUE(form->AlarmClock->NextAlarm.Armed);
  EXPECT_EQ(form->AlarmClock->NextAlarm.RecNo, 1);
  clock.set({2024, 5, 1, 7, 0, 0, 0});
  form->AlarmClock->OnTimerClockTimer();
  EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("may")});
  TTimeList l;
  form->LoadDayEntries(2024, 5, 1, l);
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0]->SetFlag, 0);
}

TEST_F(TimeListTest, RowsLabelsAndStoredEntryShown) {
  clock.set({2024, 5, 15, 12, 0, 0, 0});
  create();
  store(7, 30, 1, "half");
  auto odd = std::make_shared<STIMELISTDATA>();
  odd->Hour = 7;
  odd->Minute = 15;
  odd->Text = "quarter";
  form->SaveEntry(2024, 5, 15, odd, 2);
  list->ShowDay(2024, 5, 15);
  EXPECT_EQ(list->EditDay->text(), QStringLiteral("2024年5月15日"));
  ASSERT_EQ(list->Rows.size(), 48u);
  EXPECT_EQ(list->Rows[15]->Text, "half");
  EXPECT_EQ(list->Rows[15]->AlarmState, 1);
  for (const auto &r : list->Rows)
    EXPECT_NE(r->Text, "quarter");
  EXPECT_EQ(list->DrawGridTimeList->Row(), 14);
  EXPECT_EQ(list->DrawGridTimeList->TopRow(), 14);
}

TEST_F(TimeListTest, ThreeKeystrokesMakeOneRecordAndNoDayMark) {
  clock.set({2024, 5, 15, 12, 0, 0, 0});
  create();
  list->show();
  selectRow(20);
  list->DrawGridTimeList->setFocus();
  // The first key opens the editor, which then has the focus.
  QTest::keyClicks(list->DrawGridTimeList, QStringLiteral("a"));
  ASSERT_NE(list->DrawGridTimeList->inplaceEditor(), nullptr);
  QTest::keyClicks(list->DrawGridTimeList->inplaceEditor(), QStringLiteral("bc"));
  const TTimeList l = today();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0]->Text, "abc");
  EXPECT_EQ(l[0]->Hour, 9);
  EXPECT_EQ(l[0]->Minute, 30);
  EXPECT_EQ(HasEntries[static_cast<size_t>(FirstCell + 14)], 0);
}

TEST_F(TimeListTest, TheTimeColumnStaysInViewWhileATextIsEdited) {
  clock.set({2024, 5, 15, 12, 0, 0, 0});
  create();
  list->show();
  TTimeGrid *grid = list->DrawGridTimeList;
  selectRow(20);
  grid->edit(grid->currentIndex());
  QCoreApplication::processEvents();
  EXPECT_EQ(grid->columnViewportPosition(0), 0);
  EXPECT_EQ(grid->columnWidth(0), 58);
  EXPECT_EQ(grid->columnWidth(1), 24);
  EXPECT_LE(grid->columnViewportPosition(2) + grid->columnWidth(2), grid->viewport()->width());
  EXPECT_GT(grid->columnWidth(2), 30);
}

TEST_F(TimeListTest, EditorRefusesCharactersGbkCannotStore) {
  clock.set({2024, 5, 15, 12, 0, 0, 0});
  create();
  list->show();
  selectRow(20);
  list->DrawGridTimeList->setFocus();
  // The row's editor open, then what an input method sends it: commits.
  list->DrawGridTimeList->edit(list->DrawGridTimeList->currentIndex());
  auto *edit = qobject_cast<QLineEdit *>(list->DrawGridTimeList->inplaceEditor());
  ASSERT_NE(edit, nullptr);
  QInputMethodEvent first;
  first.setCommitString(QStringLiteral("中"));
  QCoreApplication::sendEvent(edit, &first);
  QInputMethodEvent second;
  second.setCommitString(QStringLiteral("\U0001F600"));
  QCoreApplication::sendEvent(edit, &second);
  QCoreApplication::processEvents();
  EXPECT_EQ(edit->text(), QStringLiteral("中"));
  EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("该字符无法保存")});
  const TTimeList l = today();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0]->Text, "\xD6\xD0");

  // Typing stops at the field's 249 bytes, with a message: "中" and 123
  // more fill 248, a 125th does not fit, one ASCII letter does.
  messages.clear();
  auto commit = [edit](const QString &text) {
    QInputMethodEvent e;
    e.setCommitString(text);
    QCoreApplication::sendEvent(edit, &e);
  };
  for (int i = 0; i < 123; ++i)
    commit(QStringLiteral("中"));
  QCoreApplication::processEvents();
  EXPECT_TRUE(messages.empty());
  commit(QStringLiteral("中"));
  QCoreApplication::processEvents();
  EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("计划最多保存249个字节，多出的文字没有加入")});
  QTest::keyClicks(edit, QStringLiteral("a"));
  EXPECT_EQ(edit->text(), QString(124, QChar(0x4E2D)) + QStringLiteral("a"));
  EXPECT_EQ(today()[0]->Text.size(), 249u);
}

TEST_F(TimeListTest, LongTextIsCutOnACharacterBoundary) {
  bool ok = false;
  const std::string cut = rowTextFromEditor(QStringLiteral("a") + QString(200, QChar(0x4E2D)), ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(cut.size(), 249u) << "1 + 124 two-byte characters";
  EXPECT_EQ(static_cast<unsigned char>(cut.back()), 0xD0);
}

TEST_F(TimeListTest, MenuEnablingRules) {
  clock.set({2024, 5, 15, 12, 0, 0, 0});
  create();
  selectRow(20);
  list->OnPMTimeListPopup();
  EXPECT_TRUE(list->PMClockSet->isEnabled());
  EXPECT_FALSE(list->PMUNClockSet->isEnabled());
  EXPECT_FALSE(list->PMRunSet->isEnabled()) << "empty text";
  EXPECT_FALSE(list->PMRunUnSet->isEnabled());
  list->OnDrawGridTimeListSetEditText(2, 20, QStringLiteral("x"));
  list->OnPMTimeListPopup();
  EXPECT_TRUE(list->PMRunSet->isEnabled());
  list->OnPMRunSetClick();
  list->OnPMClockSetClick();
  list->OnPMTimeListPopup();
  EXPECT_FALSE(list->PMClockSet->isEnabled());
  EXPECT_TRUE(list->PMUNClockSet->isEnabled());
  EXPECT_FALSE(list->PMRunSet->isEnabled());
  EXPECT_TRUE(list->PMRunUnSet->isEnabled());
}

TEST_F(TimeListTest, SetThenCancelLeavesOneRecordUnsetAndTheCellMarked) {
  clock.set({2024, 5, 15, 12, 0, 0, 0});
  create();
  selectRow(30);
  // The picture buttons act on release.
  QTest::mouseClick(list->ImageClSet, Qt::LeftButton);
  EXPECT_EQ(form->AlarmClock->NextAlarm.Armed, 1);
  QTest::mouseClick(list->ImageClUnSet, Qt::LeftButton);
  const TTimeList l = today();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0]->SetFlag, 0);
  EXPECT_EQ(list->Rows[29]->AlarmState, 0);
  EXPECT_EQ(HasEntries[static_cast<size_t>(FirstCell + 14)], 1);
  EXPECT_FALSE(form->AlarmClock->NextAlarm.Armed);
}

TEST_F(TimeListTest, CloseRefusedWhileTheMainWindowLivesAndRedButtonToggles) {
  create();
  EXPECT_FALSE(list->isVisible());
  QTest::mouseClick(form->ImageRed, Qt::LeftButton);
  EXPECT_TRUE(list->isVisible());
  EXPECT_FALSE(list->close());
  EXPECT_TRUE(list->isVisible());
  QTest::mouseClick(form->ImageRed, Qt::LeftButton);
  EXPECT_FALSE(list->isVisible());
  EXPECT_TRUE(list->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(list->windowFlags() & Qt::X11BypassWindowManagerHint);
  // Beside the main window, clear of its buttons: over them, the list (on
  // top) would hide the red button that hides it and the close button.
  EXPECT_EQ(list->x(), form->x() + form->width());
  EXPECT_EQ(list->y(), form->y() + 40);
}

// What a tooltip shows, as a person reads it.
QString shownTip() {
  QTextDocument doc;
  doc.setHtml(QToolTip::text());
  return doc.toPlainText();
}

TEST_F(TimeListTest, HoveringARowShowsItsWholePlanTextAsATooltip) {
  clock.set({2024, 5, 15, 12, 0, 0, 0});
  create();
  store(9, 30, 0, "\xBF\xAA\xBB\xE1 project meeting");  // 开会 in GBK
  store(10, 0, 0, "<b>not bold</b> & <i>not italic</i>");
  std::string longText;
  while (longText.size() + 5 <= 249)
    longText += "\xBF\xAA\xBB\xE1 ";  // "开会 " until the field is full
  store(10, 30, 0, longText);
  list->ShowDay(2024, 5, 15);
  list->show();
  TTimeGrid *grid = list->DrawGridTimeList;
  grid->setTopRow(19);
  QCoreApplication::processEvents();
  auto hover = [&](int col, int row) {
    // A tooltip that is told to go fades out first.
    QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
    const QPoint at = grid->CellRect(col, row).center();
    QHelpEvent e(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(grid->viewport(), &e);
    return QToolTip::isVisible() ? shownTip() : QString();
  };
  struct Row {
    int row;
    QString tip;  // empty: no tooltip
  };
  const Row rows[] = {
      {20, QStringLiteral("开会 project meeting")},
      {21, QStringLiteral("<b>not bold</b> & <i>not italic</i>")},
      {22, calixo::fromGbk(longText).trimmed()},
      {23, QString()},  // 11:00, no text
  };
  for (const Row &r : rows) {
    for (int col = 0; col < 3; ++col) {
      SCOPED_TRACE(std::to_string(r.row) + "/" + std::to_string(col));
      EXPECT_EQ(hover(col, r.row).trimmed(), r.tip);
    }
  }
  // A short plan shows on one line; the longest wraps on the screen rather
  // than running off it.
  auto shownTipWidget = [] {
    QWidget *tip = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
      if (w->inherits("QTipLabel") && w->isVisible())
        tip = w;
    return tip;
  };
  hover(2, 20);
  QWidget *tip = shownTipWidget();
  ASSERT_NE(tip, nullptr);
  EXPECT_GE(tip->width(), QFontMetrics(tip->font()).horizontalAdvance(QStringLiteral("开会 project meeting")));
  const int oneLine = tip->height();
  hover(2, 22);
  tip = shownTipWidget();
  ASSERT_NE(tip, nullptr);
  EXPECT_GE(tip->height(), oneLine + QFontMetrics(tip->font()).height());
  EXPECT_TRUE(tip->screen()->geometry().contains(tip->geometry()));
  // Editing is as before: the editor still gets the row's text.
  EXPECT_EQ(list->OnDrawGridTimeListGetEditText(0, 20), QStringLiteral("开会 project meeting"));
  QToolTip::hideText();
}

}  // namespace
