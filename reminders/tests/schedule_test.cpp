// The alarm schedule on a hand-moved clock: what comes due at each step.
#include "schedule.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using reminders::DueItem;

constexpr int64_t kDec8 = 46364;  // 2026-12-08

struct Stored {
  int64_t day;
  int hour, minute;
  const char *text;
};

class TableSource : public reminders::Source {
public:
  explicit TableSource(std::vector<Stored> rows) : m_rows(std::move(rows)) {}
  std::vector<DueItem> ItemsOf(int64_t day) override {
    std::vector<DueItem> out;
    for (const Stored &r : m_rows)
      if (r.day == day)
        out.push_back(item(r));
    return out;
  }
  std::vector<DueItem> ItemsBefore(int64_t day) override {
    std::vector<DueItem> out;
    for (const Stored &r : m_rows)
      if (r.day < day)
        out.push_back(item(r));
    return out;
  }
  std::vector<Stored> m_rows;

private:
  static DueItem item(const Stored &r) {
    DueItem i;
    i.Day = r.day;
    i.Hour = r.hour;
    i.Minute = r.minute;
    i.Text = r.text;
    return i;
  }
};

calixo::LocalDateTime at(int64_t day, int hour, int minute, int second = 0) {
  calixo::LocalDateTime t;
  calixo::dateFromDayNumber(day, t.year, t.month, t.day);
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

std::string texts(const std::vector<DueItem> &items) {
  std::string s;
  for (const DueItem &i : items)
    s += (s.empty() ? "" : ",") + i.Text;
  return s;
}

struct Step {
  int64_t day;
  int hour, minute, second;
  const char *due;  // texts handed out at this step, in order
  bool dateChanged;
};

struct StartAt {
  int64_t day;
  int hour, minute, second;
};

struct Case {
  const char *name;
  std::vector<Stored> stored;
  StartAt start;
  std::vector<Step> steps;
};

TEST(Schedule, HandsOutEveryReminderOnceInTimeOrder) {
  const Case cases[] = {
      {"a tick a second", {{kDec8, 10, 30, "a"}, {kDec8, 11, 0, "b"}},
       {kDec8, 10, 29, 50}, {{kDec8, 10, 29, 59, "", false}, {kDec8, 10, 30, 0, "a", false},
                              {kDec8, 10, 30, 1, "", false}, {kDec8, 11, 0, 0, "b", false}}},
      // Ticks stop while a box is open; the next one hands out what passed.
      {"minutes passed behind a box", {{kDec8, 10, 30, "a"}, {kDec8, 11, 0, "b"}, {kDec8, 11, 5, "c"}},
       {kDec8, 10, 0, 0}, {{kDec8, 10, 30, 0, "a", false}, {kDec8, 11, 2, 0, "b", false},
                            {kDec8, 11, 5, 0, "c", false}}},
      {"two of one minute, stored later first",
       {{kDec8, 9, 0, "late"}, {kDec8, 8, 0, "x"}, {kDec8, 8, 0, "y"}},
       {kDec8, 7, 0, 0}, {{kDec8, 8, 0, 0, "x,y", false}, {kDec8, 9, 0, 0, "late", false}}},
      {"the start minute's come at once, earlier ones never",
       {{kDec8, 7, 0, "past"}, {kDec8, 8, 0, "now"}, {kDec8, 8, 1, "next"}},
       {kDec8, 8, 0, 30}, {{kDec8, 8, 0, 31, "now", false}, {kDec8, 8, 0, 59, "", false},
                            {kDec8, 8, 1, 0, "next", false}}},
      // A start so slow that midnight passed before the clock was first read.
      {"started on the new date's first minute", {{kDec8 + 1, 0, 0, "new"}},
       {kDec8 + 1, 0, 0, 1}, {{kDec8 + 1, 0, 0, 2, "new", false}}},
      {"slept two hours", {{kDec8, 9, 0, "a"}, {kDec8, 10, 0, "b"}, {kDec8, 12, 0, "c"}},
       {kDec8, 8, 0, 0}, {{kDec8, 10, 30, 0, "a,b", false}, {kDec8, 12, 0, 0, "c", false}}},
      {"midnight", {{kDec8, 23, 59, "old"}, {kDec8 + 1, 0, 0, "new"}, {kDec8 + 1, 0, 2, "later"}},
       {kDec8, 23, 58, 0}, {{kDec8, 23, 59, 59, "old", false}, {kDec8 + 1, 0, 0, 0, "new", true},
                             {kDec8 + 1, 0, 2, 0, "later", false}}},
      // Started in the last second of a day, first tick on the next one.
      {"started just before midnight", {{kDec8 + 1, 0, 0, "new"}},
       {kDec8, 23, 59, 59}, {{kDec8 + 1, 0, 0, 1, "new", true}}},
      {"slept over midnight", {{kDec8, 23, 0, "old"}, {kDec8 + 1, 6, 0, "day2"}, {kDec8 + 2, 1, 0, "day3"},
                               {kDec8 + 2, 9, 0, "after"}},
       {kDec8, 22, 0, 0}, {{kDec8 + 2, 7, 0, 0, "old,day2,day3", true}, {kDec8 + 2, 9, 0, 0, "after", false}}},
      {"clock set back an hour", {{kDec8, 9, 30, "a"}},
       {kDec8, 10, 0, 0}, {{kDec8, 9, 0, 0, "", false}, {kDec8, 9, 30, 0, "a", false}}},
      {"clock set back a day", {{kDec8, 6, 0, "early"}, {kDec8, 9, 0, "a"}},
       {kDec8 + 1, 8, 0, 0}, {{kDec8, 8, 0, 0, "", true}, {kDec8, 9, 0, 0, "a", false}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TableSource source(c.stored);
    reminders::Schedule s(source);
    s.Start(at(c.start.day, c.start.hour, c.start.minute, c.start.second));
    for (const Step &step : c.steps) {
      SCOPED_TRACE(reminders::TimeText(step.hour, step.minute));
      const reminders::Advanced a = s.Advance(at(step.day, step.hour, step.minute, step.second));
      EXPECT_EQ(texts(a.Due), step.due);
      EXPECT_EQ(a.DateChanged, step.dateChanged);
      if (a.DateChanged) {
        EXPECT_EQ(a.NewDay, step.day);
      }
    }
  }
}

TEST(Schedule, ReloadAwaitsANewReminderButNeverAPassedMinuteAgain) {
  TableSource source({{kDec8, 10, 0, "a"}});
  reminders::Schedule s(source);
  s.Start(at(kDec8, 9, 0));
  EXPECT_EQ(texts(s.Advance(at(kDec8, 10, 0)).Due), "a");
  // Its clearing failed, and a reminder of this very minute and a later one
  // were set: only the later one is awaited.
  source.m_rows = {{kDec8, 10, 0, "a"}, {kDec8, 10, 0, "same minute"}, {kDec8, 10, 1, "b"}};
  s.Reload();
  ASSERT_NE(s.Next(), nullptr);
  EXPECT_EQ(s.Next()->Text, "b");
  EXPECT_EQ(texts(s.Advance(at(kDec8, 10, 1)).Due), "b");
  EXPECT_EQ(s.Next(), nullptr);
}

TEST(Schedule, MissedAreTheEarlierDatesOldestFirst) {
  TableSource source({{kDec8 - 1, 9, 0, "yesterday 9"}, {kDec8 - 3, 18, 0, "three days ago"},
                      {kDec8 - 1, 7, 30, "yesterday 7:30"}, {kDec8, 6, 0, "today"}});
  reminders::Schedule s(source);
  s.Start(at(kDec8, 8, 0));
  EXPECT_EQ(texts(s.Missed()), "three days ago,yesterday 7:30,yesterday 9");
}

}  // namespace
