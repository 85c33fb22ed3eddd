// The main window's anniversaries offscreen: the marks of a month, the names
// for the hover text, reminders through the alarm schedule once a day, a
// damaged table reported, and [Repeats] Enabled=0.
#include "mainform.h"

#include "alarmclock.h"
#include "calixoini.h"
#include "clock.h"
#include "filenames.h"
#include "gbk.h"
#include "programfolder.h"
#include "repeattable.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

class MainRepeatsTest : public ProgramFolderTest {
protected:
  // 22 September 2026, 07:59; 中秋 (八月十五) is on the 25th.
  MainRepeatsTest() : ProgramFolderTest({2026, 9, 22, 7, 59, 0, 0}) {}
  std::unique_ptr<TMainForm> form;

  void TearDown() override {
    form.reset();
    ProgramFolderTest::TearDown();
  }
  void settings(const std::string &extra) {
    std::ofstream(dir() / "Calixo.ini", std::ios::binary)
        << TCalixoini::DefaultTemplate() << "[Lunar]\r\nExtended=1\r\n" << extra;
  }
  void store(const char *textUtf8, int month, int day, int ahead) {
    repeats::TRepeatTable t;
    t.CreateIfMissing();
    t.Open();
    repeats::SREPEATDATA r;
    r.Kind = 'L';
    r.Month = month;
    r.Day = day;
    r.Hour = 8;
    r.Ahead = ahead;
    r.SetFlag = 1;
    calixo::utf8ToGbk(textUtf8, r.Text);
    t.Append(r);
  }
  void create() {
    form = std::make_unique<TMainForm>();
    form->FormCreate();
  }
  void tickAt(int hour, int minute, int second = 0) {
    clock.set({2026, 9, 22, hour, minute, second, 0});
    form->AlarmClock->OnTimerClockTimer();
  }
};

TEST_F(MainRepeatsTest, MarksNamesAndAReminderOnceADay) {
  settings("");
  store("妈妈生日", 8, 15, 3);
  create();
  // 1 September 2026 is a Tuesday: the 25th is cell 2 + 24.
  for (int cell = 0; cell < kDayCellCount; ++cell)
    EXPECT_EQ(form->RepeatMarks[static_cast<size_t>(cell)], cell == 26 ? 1 : 0) << cell;
  EXPECT_EQ(form->AnniversariesOn(25), QStringList{QStringLiteral("妈妈生日（农历八月十五）")});
  EXPECT_TRUE(form->AnniversariesOn(24).isEmpty());

  tickAt(7, 59, 30);
  EXPECT_TRUE(messages.empty());
  tickAt(8, 0);
  tickAt(8, 0, 30);
  tickAt(8, 1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QStringLiteral("3天后：妈妈生日（农历八月十五）"));
  EXPECT_EQ(form->RepeatTable()->Items()[0].Fired, calixo::dayNumber(2026, 9, 22));

  // Started again the same day at 8:00, FIRED keeps it from coming twice.
  form.reset();
  clock.set({2026, 9, 22, 7, 59, 0, 0});
  create();
  tickAt(8, 0);
  EXPECT_EQ(messages.size(), 1u);
}

// The reminder's minute slept through: it comes on waking, naming its time,
// as an alarm does. A reminder of a day Calixo did not run on comes in the
// start's 错过的提醒 box.
TEST_F(MainRepeatsTest, AReminderSleptThroughComesOnWaking) {
  settings("");
  store("妈妈生日", 8, 15, 3);
  create();
  tickAt(7, 59, 30);
  tickAt(9, 15);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QStringLiteral("8:00 3天后：妈妈生日（农历八月十五）"));

  form.reset();
  messages.clear();
  clock.set({2026, 9, 24, 7, 0, 0, 0});  // the 23rd went by without Calixo
  create();
  form->AlarmClock->OnTimerClockTimer();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QStringLiteral("错过的提醒\n2026-09-23 8:00 2天后：妈妈生日（农历八月十五）"));
  EXPECT_EQ(form->RepeatTable()->Items()[0].Fired, calixo::dayNumber(2026, 9, 23));
}

TEST_F(MainRepeatsTest, SwitchedOffNothingIsOpenedOrCreated) {
  settings("[Repeats]\r\nEnabled=0\r\n");
  create();
  EXPECT_EQ(form->RepeatTable(), nullptr);
  EXPECT_FALSE(calixo::fileExists("REPEATS.DBF"));
  EXPECT_TRUE(form->AnniversariesOn(25).isEmpty());
}

TEST_F(MainRepeatsTest, ADamagedTableIsReportedAndLeftAlone) {
  settings("");
  std::ofstream("repeats.dbf", std::ios::binary) << "garbage";
  create();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("repeats.dbf"))) << messages[0].toStdString();
  EXPECT_FALSE(form->RepeatTable()->Active());
  std::ifstream in("repeats.dbf", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "garbage");
}

}  // namespace
