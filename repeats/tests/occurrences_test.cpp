// Where an anniversary falls: the leap-month and short-month rules as a table
// of cases, every lunar date of 1912 to 2011 against the classic table's own
// day-by-day conversion, the month lists, the next occurrence, reminders.
#include "repeats.h"

#include "clock.h"
#include "gbk.h"
#include "repeat_rows.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using lunar::LunarTable;
using repeats::SREPEATDATA;

std::string iso(int64_t n) {
  int y, m, d;
  calixo::dateFromDayNumber(n, y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

struct Case {
  char kind;
  int month, day, year;
  LunarTable table;
  const char *want;  // "" when there is no occurrence
};

TEST(Occurrence, RulesTable) {
  const LunarTable C = LunarTable::Classic, E = LunarTable::Extended;
  const Case cases[] = {
      // Gregorian: 29 February on the 28th in common years; day 0 the last day.
      {'G', 2, 29, 2024, C, "2024-02-29"},
      {'G', 2, 29, 2025, C, "2025-02-28"},
      {'G', 2, 29, 2100, C, "2100-02-28"},
      {'G', 2, 29, 2000, C, "2000-02-29"},
      {'G', 2, 0, 2024, C, "2024-02-29"},
      {'G', 4, 0, 2026, C, "2026-04-30"},
      {'G', 12, 31, 1850, C, "1850-12-31"},
      // 2001: a leap fourth month of 29 days after a fourth month of 30.
      {'L', 4, 1, 2001, C, "2001-04-23"},
      {'L', 4, 30, 2001, C, "2001-05-22"},
      {'L', -4, 1, 2001, C, "2001-05-23"},
      {'L', -4, 29, 2001, C, "2001-06-20"},
      {'L', -4, 30, 2001, C, "2001-06-20"},
      {'L', -4, 0, 2001, C, "2001-06-20"},
      {'L', 5, 1, 2001, C, "2001-06-21"},
      // Without that leap month, the ordinary fourth month.
      {'L', -4, 1, 2002, C, "2002-05-12"},
      {'L', 4, 1, 2002, C, "2002-05-12"},
      // 2025: a leap sixth month; 2033: a leap eleventh month.
      {'L', 6, 1, 2025, E, "2025-06-25"},
      {'L', -6, 1, 2025, E, "2025-07-25"},
      {'L', 11, 30, 2033, E, "2033-12-21"},
      {'L', -11, 1, 2033, E, "2033-12-22"},
      {'L', -11, 29, 2033, E, "2034-01-19"},
      {'L', 12, 1, 2033, E, "2034-01-20"},
      // 除夕 (腊月, day 0) on 廿九 when 腊月 has 29 days; 三十 falls there too.
      {'L', 12, 0, 2025, E, "2026-02-16"},
      {'L', 12, 30, 2025, E, "2026-02-16"},
      {'L', 12, 29, 2025, E, "2026-02-16"},
      {'L', 8, 15, 2026, E, "2026-09-25"},
      {'L', 1, 1, 2000, C, "2000-02-05"},
      {'L', 12, 0, 1999, C, "2000-02-04"},
      // The table's ends: the classic table stops at 2011, the extended at 2100.
      {'L', 1, 1, 1912, C, "1912-02-18"},
      {'L', 1, 1, 1911, E, ""},
      {'L', 1, 1, 2012, C, ""},
      {'L', 1, 1, 2012, E, "2012-01-23"},
      {'L', 1, 1, 2101, E, ""},
      // Not a date that comes round.
      {'G', 2, 30, 2024, C, ""},
      {'G', 13, 1, 2024, C, ""},
      {'L', 0, 1, 2001, C, ""},
      {'L', 1, 31, 2001, C, ""},
      {'X', 1, 1, 2001, C, ""},
  };
  for (const Case &c : cases) {
    const auto got = repeats::occurrenceIn(rep(c.kind, c.month, c.day), c.year, c.table);
    EXPECT_EQ(got ? iso(*got) : "", c.want)
        << c.kind << " " << c.month << "/" << c.day << " in " << c.year;
  }
}

// Every lunar date of the lunar years 1912 to 2011 against the classic
// table's own conversion of every Gregorian day to 2011-12-31, as the grid
// labels them: a date falls on the first day the grid shows it (a date the
// grid skips, on the day after), its month's length is its last day shown.
TEST(Occurrence, ClassicTableEveryYear) {
  std::map<std::tuple<int, int, int>, int64_t> firstShown;  // (lunar year, month, day)
  std::map<std::pair<int, int>, int> length;                // (lunar year, month)
  for (int64_t n = calixo::dayNumber(1912, 2, 18); n <= calixo::dayNumber(2011, 12, 31); ++n) {
    int y, m, d;
    calixo::dateFromDayNumber(n, y, m, d);
    const auto ld = lunar::SolarToLunar(y - 1911, m, d, LunarTable::Classic);
    ASSERT_TRUE(ld) << iso(n);
    firstShown.emplace(std::make_tuple(ld->year + 1911, ld->month, ld->day), n);
    int &len = length[{ld->year + 1911, ld->month}];
    len = std::max(len, ld->day);
  }
  int checked = 0;
  for (int year = 1912; year <= 2011; ++year) {
    for (int month = -12; month <= 12; ++month) {
      if (month == 0)
        continue;
      // A leap-month date in a year without that leap month: its ordinary month.
      const int shown = length.count({year, month}) ? month : std::abs(month);
      // The last month of 2011 runs past the end of the walk.
      if (year == 2011 && shown == 12)
        continue;
      const int len = length.at({year, shown});
      for (int day = 0; day <= 30; ++day) {
        const int d = day == 0 || day > len ? len : day;
        auto it = firstShown.find({year, shown, d});
        if (it == firstShown.end())
          it = firstShown.find({year, shown, d + 1});
        ASSERT_NE(it, firstShown.end()) << year << " " << shown << "/" << d;
        const auto got = repeats::occurrenceIn(rep('L', month, day), year, LunarTable::Classic);
        ASSERT_TRUE(got) << year << " " << month << "/" << day;
        EXPECT_EQ(iso(*got), iso(it->second)) << year << " " << month << "/" << day;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 100 * 24 * 31 - 2 * 31);
}

TEST(Occurrence, MonthListOrderedByDayThenTime) {
  std::vector<SREPEATDATA> list = {rep('L', 12, 0), rep('G', 2, 16), rep('G', 2, 1),
                                   rep('L', -6, 1), rep('G', 3, 1)};
  list[1].Hour = 9;  // after 除夕 at 0:00 on the same day
  const auto got = repeats::occurrencesInMonth(list, 2026, 2, LunarTable::Extended);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].Index, 2u);
  EXPECT_EQ(iso(got[1].DayNumber), "2026-02-16");
  EXPECT_EQ(got[1].Index, 0u);
  EXPECT_EQ(got[1].Year, 2025);  // 除夕 of the lunar year that began in 2025
  EXPECT_EQ(got[2].Index, 1u);
  // A leap-month date in a year without it: the ordinary sixth month of 2026.
  const auto july = repeats::occurrencesInMonth(list, 2026, 7, LunarTable::Extended);
  ASSERT_EQ(july.size(), 1u);
  EXPECT_EQ(iso(july[0].DayNumber), "2026-07-14");
}

TEST(Occurrence, NextFromADay) {
  const SREPEATDATA r = rep('L', 8, 15);
  const auto on = repeats::nextOccurrence(r, calixo::dayNumber(2026, 9, 25), LunarTable::Extended);
  ASSERT_TRUE(on);
  EXPECT_EQ(iso(on->DayNumber), "2026-09-25");
  const auto after = repeats::nextOccurrence(r, calixo::dayNumber(2026, 9, 26), LunarTable::Extended);
  ASSERT_TRUE(after);
  EXPECT_EQ(iso(after->DayNumber), "2027-09-15");
  EXPECT_EQ(after->Year, 2027);
  EXPECT_FALSE(repeats::nextOccurrence(r, calixo::dayNumber(2011, 9, 13), LunarTable::Classic));
}

TEST(Occurrence, Names) {
  struct {
    SREPEATDATA r;
    int year, daysUntil;
    const char *count, *reminder;
  } rows[] = {
      {rep('L', 8, 15, "妈妈生日"), 2026, 3, "第76个生日", "3天后：妈妈生日（农历八月十五）"},
      {rep('L', -4, 1, "婚礼"), 2026, 0, "26周年", "今天：婚礼（农历闰四月初一）"},
      {rep('L', 12, 0, "除夕"), 2026, 1, "", "1天后：除夕（农历腊月最后一天）"},
      {rep('G', 2, 29, "生日"), 1950, 2, "", "2天后：生日（公历2月29日）"},
  };
  rows[0].r.Year = 1950;
  rows[1].r.Year = 2000;
  rows[3].r.Year = 1950;  // the year itself: no count yet
  for (const auto &row : rows) {
    EXPECT_EQ(repeats::countName(row.r, row.year), row.count);
    EXPECT_EQ(repeats::reminderText(row.r, row.daysUntil), row.reminder);
  }
}

TEST(Occurrence, RemindersDueAtTheirMinuteOncePerDay) {
  // 中秋 2026 is 25 September; AHEAD 3 reminds from the 22nd.
  SREPEATDATA r = rep('L', 8, 15);
  r.SetFlag = 1;
  r.Hour = 8;
  r.Ahead = 3;
  const std::vector<SREPEATDATA> list = {r};
  const auto day = [](int d) { return calixo::dayNumber(2026, 9, d); };
  struct {
    int64_t today;
    int hour, minute;
    int64_t fired;
    int set;
    int want;  // days until, -1 for nothing due
  } rows[] = {
      {day(21), 8, 0, 0, 1, -1}, {day(22), 8, 0, 0, 1, 3}, {day(25), 8, 0, 0, 1, 0},
      {day(25), 8, 1, 0, 1, -1}, {day(25), 7, 59, 0, 1, -1}, {day(25), 8, 0, day(25), 1, -1},
      {day(25), 8, 0, day(24), 1, 0}, {day(25), 8, 0, 0, 0, -1}, {day(26), 8, 0, 0, 1, -1},
  };
  for (const auto &row : rows) {
    std::vector<SREPEATDATA> l = list;
    l[0].Fired = row.fired;
    l[0].SetFlag = row.set;
    const auto due = repeats::remindersDue(l, row.today, row.hour, row.minute, LunarTable::Extended);
    if (row.want < 0) {
      EXPECT_TRUE(due.empty()) << iso(row.today);
    } else {
      ASSERT_EQ(due.size(), 1u) << iso(row.today);
      EXPECT_EQ(due[0].DaysUntil, row.want) << iso(row.today);
    }
  }
}

}  // namespace
