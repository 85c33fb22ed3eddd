#include "lunar.h"
#include "solarterms.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

namespace {

struct TermDay {
  int year, month, day;
  const char *name;
};

// Days since 1 January 1912 of a date, for measuring gaps across months and years.
int dayNumber(int year, int month, int day) {
  int n = day;
  for (int y = lunar::FirstSolarTermYear; y < year; ++y)
    n += lunar::IsSolarLeapYear(y) ? 366 : 365;
  for (int m = 1; m < month; ++m)
    n += lunar::SolarMonthLength(year, m);
  return n;
}

}  // namespace

// --- Names -----------------------------------------------------------------

// The order is checked with the days below.
TEST(SolarTermNames, TwentyFourDistinctNames) {
  std::set<std::string> names;
  for (int term = 0; term < lunar::SolarTermCount; ++term)
    names.insert(lunar::SolarTermName(term));
  EXPECT_EQ(names.size(), 24u);
  for (int outside : {INT_MIN, -1, 24, INT_MAX})
    EXPECT_EQ(lunar::SolarTermName(outside), "") << outside;
}

// --- Days ------------------------------------------------------------------

// Days in Beijing time, not UT (秋分 2000 fell at 17:28 UT on the 22nd),
// including terms within seconds of midnight: 冬至 2021 at 23:59 on the 21st,
// 大寒 1979 five seconds before midnight, 冬至 1951 a second after it.
TEST(SolarTermDays, KnownDays) {
  const std::vector<TermDay> known = {
      {2024, 12, 21, "冬至"}, {2025, 4, 4, "清明"},   {2026, 2, 4, "立春"},
      {2026, 6, 21, "夏至"},  {2000, 3, 20, "春分"},  {2025, 1, 5, "小寒"},
      {2000, 9, 23, "秋分"},
      {2021, 12, 21, "冬至"}, {1979, 1, 20, "大寒"},  {1951, 12, 23, "冬至"},
  };
  for (const TermDay &k : known) {
    SCOPED_TRACE(testing::Message() << k.year << "-" << k.month << "-" << k.day);
    const auto term = lunar::SolarTermOn(k.year, k.month, k.day);
    ASSERT_TRUE(term);
    EXPECT_EQ(lunar::SolarTermName(*term), k.name);
    EXPECT_FALSE(lunar::SolarTermOn(k.year, k.month, k.day - 1));
    EXPECT_FALSE(lunar::SolarTermOn(k.year, k.month, k.day + 1));
  }
}

TEST(SolarTermDays, NoneOutsideTheTableOrForImpossibleDates) {
  const auto first = lunar::SolarTermDay(1912, 0);
  ASSERT_TRUE(first);
  EXPECT_FALSE(lunar::SolarTermOn(1911, 1, *first));
  EXPECT_FALSE(lunar::SolarTermOn(2101, 1, *first));
  EXPECT_FALSE(lunar::SolarTermYearRecord(1911));
  EXPECT_FALSE(lunar::SolarTermYearRecord(2101));
  EXPECT_FALSE(lunar::SolarTermDay(2000, -1));
  EXPECT_FALSE(lunar::SolarTermDay(2000, 24));
  for (auto [m, d] : std::vector<std::pair<int, int>>{{0, 5}, {13, 5}, {2, 30}, {4, 31}, {6, 0}})
    EXPECT_FALSE(lunar::SolarTermOn(2000, m, d)) << m << "-" << d;
}

// Properties of every record: a digit mistyped, a record shifted by a year or
// two terms swapped is caught here. Every year has its 24 terms, each on one
// day of its own month and found again by date; consecutive terms, across the
// turn of the year too, lie 14 to 16 days apart.
TEST(SolarTermDays, EveryYearHasItsTwentyFourTermsFifteenDaysApart) {
  int previous = 0;
  for (int year = lunar::FirstSolarTermYear; year <= lunar::LastSolarTermYear; ++year) {
    SCOPED_TRACE(year);
    const auto record = lunar::SolarTermYearRecord(year);
    ASSERT_TRUE(record);
    ASSERT_EQ(record->size(), 24u);
    int termDays = 0;
    for (int month = 1; month <= 12; ++month)
      for (int day = 1; day <= lunar::SolarMonthLength(year, month); ++day)
        termDays += lunar::SolarTermOn(year, month, day) ? 1 : 0;
    EXPECT_EQ(termDays, 24);
    for (int term = 0; term < 24; ++term) {
      SCOPED_TRACE(lunar::SolarTermName(term));
      const int month = term / 2 + 1;
      const auto day = lunar::SolarTermDay(year, term);
      ASSERT_TRUE(day);
      EXPECT_EQ(lunar::SolarTermOn(year, month, *day), term);
      // The first term of a month falls early in it, the second after mid-month.
      const int earliest = term % 2 == 0 ? 3 : 18;
      EXPECT_TRUE(*day >= earliest && *day <= earliest + 6) << *day;
      const int n = dayNumber(year, month, *day);
      if (previous != 0) {
        EXPECT_TRUE(n - previous >= 14 && n - previous <= 16) << n - previous;
      }
      previous = n;
    }
  }
}
