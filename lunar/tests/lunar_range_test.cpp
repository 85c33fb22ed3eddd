// Converts every day the table covers, 18 February 1912 to 31 December 2011,
// and checks that the lunar dates run on as a calendar does: day by day, month
// after month in the order the records give, each month as long as its record
// says.
#include "lunar.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using lunar::LunarDate;

namespace {

struct Solar {
  int year, month, day;
};

Solar nextDay(Solar d) {
  if (++d.day > lunar::SolarMonthLength(d.year, d.month)) {
    d.day = 1;
    if (++d.month > 12) {
      d.month = 1;
      ++d.year;
    }
  }
  return d;
}

int monthLength(const LunarDate &d) {
  const auto info = lunar::LoadLunarYear(d.year);
  return d.month > 0 ? info->LunarMonthDays[d.month] : info->LeapDays;
}

// The lunar month after d's month: the leap month follows the month it is
// named after, the new year follows month 12.
LunarDate monthAfter(const LunarDate &d) {
  const auto info = lunar::LoadLunarYear(d.year);
  if (d.month < 0)
    return {d.year, -d.month + 1, 1};
  if (d.month == info->LeapMonth)
    return {d.year, -d.month, 1};
  if (d.month == 12)
    return {d.year + 1, 1, 1};
  return {d.year, d.month + 1, 1};
}

}  // namespace

TEST(LunarRange, EveryDayFollowsFromTheDayBefore) {
  // Where a lunar year and the next record's new year disagree, the count
  // from the end of the year (1 January) and the count from its start
  // (31 December) meet one day off: the date repeats, or a day is skipped.
  // Keyed by the Gregorian year of the 31 December; value: the day's step.
  const std::map<int, int> boundarySteps = {{1915, 0}, {1930, 2}, {1932, 0}, {1943, 0}};
  std::set<int> boundariesSeen;

  Solar solar{1912, 2, 18};
  int dayOfYear = 49;
  LunarDate prev{};
  int daysInMonth = 0;       // Gregorian days spent in prev's lunar month so far
  int monthDeviation = 0;    // how much longer than its record that month runs
  int dates = 0;
  for (;; solar = nextDay(solar), ++dayOfYear) {
    if (solar.month == 1 && solar.day == 1)
      dayOfYear = 1;
    SCOPED_TRACE(testing::Message() << solar.year << "-" << solar.month << "-" << solar.day);
    const auto got = lunar::SolarToLunar(solar.year - 1911, solar.month, solar.day);
    ASSERT_TRUE(got);
    const LunarDate cur = *got;
    ++dates;

    ASSERT_GE(cur.day, 1);
    ASSERT_LE(cur.day, 30);
    const auto info = lunar::LoadLunarYear(cur.year);
    ASSERT_TRUE(info);
    if (cur.month < 0)
      ASSERT_EQ(-cur.month, info->LeapMonth);
    else
      ASSERT_TRUE(cur.month >= 1 && cur.month <= 12);
    ASSERT_FALSE(lunar::LunarLabel(cur).empty());
    if (cur.month == 1 && cur.day == 1) {
      EXPECT_EQ(cur.year, solar.year - 1911);
      EXPECT_EQ(dayOfYear, info->DaysBeforeNewYear + 1);
    }

    if (dates == 1) {
      ASSERT_EQ(cur, (LunarDate{1, 1, 1}));
    } else if (cur.year == prev.year && cur.month == prev.month) {
      int step = 1;
      if (solar.month == 1 && solar.day == 1) {
        const auto known = boundarySteps.find(solar.year - 1);
        if (known != boundarySteps.end()) {
          step = known->second;
          monthDeviation += 1 - step;
          boundariesSeen.insert(known->first);
        }
      }
      ASSERT_EQ(cur.day, prev.day + step);
    } else {
      ASSERT_EQ(cur, monthAfter(prev));
      ASSERT_EQ(prev.day, monthLength(prev));
      ASSERT_EQ(daysInMonth, monthLength(prev) + monthDeviation);
      daysInMonth = 0;
      monthDeviation = 0;
    }
    ++daysInMonth;
    prev = cur;
    if (solar.year == 2011 && solar.month == 12 && solar.day == 31)
      break;
  }
  EXPECT_EQ(dates, 36477);
  EXPECT_EQ(boundariesSeen, (std::set<int>{1915, 1930, 1932, 1943}));
  EXPECT_FALSE(lunar::SolarToLunar(101, 1, 1));
}
