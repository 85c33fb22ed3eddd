#include "lunar.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>

using lunar::LunarDate;

namespace {

std::set<int> bigMonths(const std::array<int, 13> &days) {
  std::set<int> big;
  for (int m = 1; m <= 12; ++m) {
    EXPECT_TRUE(days[m] == 29 || days[m] == 30) << "month " << m;
    if (days[m] == 30)
      big.insert(m);
  }
  return big;
}

int lunarYearLength(const lunar::LunarYearInfo &info) {
  int length = info.LeapDays;
  for (int m = 1; m <= 12; ++m)
    length += info.LunarMonthDays[m];
  return length;
}

}  // namespace

// --- The table -------------------------------------------------------------

TEST(LunarTable, RecordsAreIndexedByRocYear) {
  EXPECT_EQ(lunar::LunarYearRecord(1), "132637048");    // 1912
  EXPECT_EQ(lunar::LunarYearRecord(73), "102855132");   // 1984
  EXPECT_EQ(lunar::LunarYearRecord(89), "133222035");   // 2000
  EXPECT_EQ(lunar::LunarYearRecord(90), "043477123");   // 2001
  EXPECT_EQ(lunar::LunarYearRecord(100), "132890033");  // 2011
  for (int outside : {INT_MIN, -1, 0, 101, 1000, INT_MAX}) {
    EXPECT_FALSE(lunar::LunarYearRecord(outside)) << outside;
    EXPECT_FALSE(lunar::LoadLunarYear(outside)) << outside;
  }
}

// Properties every record has; a record mistyped while copying the table is
// caught here.
TEST(LunarTable, EveryRecordIsConsistent) {
  for (int y = lunar::FirstLunarYear; y <= lunar::LastLunarYear; ++y) {
    SCOPED_TRACE(y + 1911);
    const auto info = lunar::LoadLunarYear(y);
    ASSERT_TRUE(info);
    EXPECT_TRUE((info->LeapMonth >= 2 && info->LeapMonth <= 10) || info->LeapMonth == 13);
    EXPECT_EQ(info->LeapMonth == 13, info->LeapDays == 0);
    EXPECT_TRUE(info->LeapDays == 0 || info->LeapDays == 29 || info->LeapDays == 30);
    EXPECT_GE(info->DaysBeforeNewYear, 20);
    EXPECT_LE(info->DaysBeforeNewYear, 50);
  }
}

// A lunar year lasts from its new year to the next record's new year, apart
// from four places where the records disagree by one day.
TEST(LunarTable, YearLengthsMatchTheNextNewYear) {
  const std::map<int, int> disagreements = {{1915, -1}, {1930, 1}, {1932, -1}, {1943, -1}};
  for (int y = lunar::FirstLunarYear; y < lunar::LastLunarYear; ++y) {
    const int year = y + 1911;
    SCOPED_TRACE(year);
    const auto info = lunar::LoadLunarYear(y);
    const auto next = lunar::LoadLunarYear(y + 1);
    ASSERT_TRUE(info && next);
    const int gap = (lunar::IsSolarLeapYear(year) ? 366 : 365) - info->DaysBeforeNewYear +
                    next->DaysBeforeNewYear;
    const auto known = disagreements.find(year);
    EXPECT_EQ(lunarYearLength(*info) - gap, known == disagreements.end() ? 0 : known->second);
  }
}

// --- Parsing ---------------------------------------------------------------

TEST(LunarParse, LoadLunarYearSplitsTheFields) {
  struct Row {
    int rocYear;
    int leapMonth;
    int leapDays;
    int daysBeforeNewYear;
    std::set<int> bigMonths;
  };
  const Row rows[] = {
      {89, 13, 0, 35, {1, 2, 5, 8, 10, 11}},        // 2000: no leap month
      {90, 4, 29, 23, {1, 2, 4, 5, 8, 10, 12}},     // 2001: short leap fourth month
      {3, 5, 30, 25, {1, 2, 4, 7, 10, 12}},          // 1914: long leap fifth month
      {73, 10, 29, 32, {1, 3, 4, 7, 10, 11, 12}},   // 1984: leap tenth month
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.rocYear);
    const auto info = lunar::LoadLunarYear(r.rocYear);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->LeapMonth, r.leapMonth);
    EXPECT_EQ(info->LeapDays, r.leapDays);
    EXPECT_EQ(info->DaysBeforeNewYear, r.daysBeforeNewYear);
    EXPECT_EQ(bigMonths(info->LunarMonthDays), r.bigMonths);
  }
}

TEST(LunarParse, UnpackMonthSizesReadsTwelveBitsFromMonthOneDown) {
  const std::set<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const std::pair<int, std::set<int>> rows[] = {
      {0, {}},
      {4095, all},
      {2048, {1}},
      {1, {12}},
      {3222, {1, 2, 5, 8, 10, 11}},
      {3222 + 4096, {1, 2, 5, 8, 10, 11}},  // bits above the twelfth are ignored
      {9999, {2, 3, 4, 9, 10, 11, 12}},  // 9999 = 2 * 4096 + 1807
  };
  for (const auto &[number, big] : rows) {
    SCOPED_TRACE(number);
    const auto days = lunar::UnpackMonthSizes(number);
    EXPECT_EQ(days[0], 0);
    EXPECT_EQ(bigMonths(days), big);
  }
}

// --- Gregorian calendar ----------------------------------------------------

TEST(LunarSolar, LeapYearsAndMonthLengths) {
  const std::pair<int, bool> leap[] = {{1912, true},  {1900, false}, {2000, true}, {1984, true},
                                       {2001, false}, {2100, false}, {2400, true}, {2011, false}};
  for (const auto &[year, isLeap] : leap)
    EXPECT_EQ(lunar::IsSolarLeapYear(year), isLeap) << year;

  EXPECT_EQ(lunar::SolarMonthLength(2000, 2), 29);
  EXPECT_EQ(lunar::SolarMonthLength(1900, 2), 28);
  EXPECT_EQ(lunar::SolarMonthLength(2001, 2), 28);
  EXPECT_EQ(lunar::SolarMonthLength(2001, 1), 31);
  EXPECT_EQ(lunar::SolarMonthLength(2001, 4), 30);
  EXPECT_EQ(lunar::SolarMonthLength(2001, 12), 31);
  EXPECT_EQ(lunar::SolarMonthLength(2001, 0), 0);
  EXPECT_EQ(lunar::SolarMonthLength(2001, 13), 0);
}

// --- Conversion ------------------------------------------------------------

struct ConversionRow {
  int year, month, day;  // Gregorian
  LunarDate want;
};

void expectConversions(std::initializer_list<ConversionRow> rows) {
  for (const ConversionRow &r : rows) {
    SCOPED_TRACE(testing::Message() << r.year << "-" << r.month << "-" << r.day);
    const auto got = lunar::SolarToLunar(r.year - 1911, r.month, r.day);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->year, r.want.year);
    EXPECT_EQ(got->month, r.want.month);
    EXPECT_EQ(got->day, r.want.day);
  }
}

TEST(LunarConversion, NewYear) {
  expectConversions({
      {2000, 2, 4, {88, 12, 29}},
      {2000, 2, 5, {89, 1, 1}},
      {2010, 2, 13, {98, 12, 30}},
      {2010, 2, 14, {99, 1, 1}},
      {1912, 2, 18, {1, 1, 1}},
      {1912, 3, 19, {1, 2, 1}},
  });
}

TEST(LunarConversion, LeapMonths) {
  expectConversions({
      {2001, 5, 22, {90, 4, 30}},
      {2001, 5, 23, {90, -4, 1}},
      {2001, 6, 20, {90, -4, 29}},
      {2001, 6, 21, {90, 5, 1}},
      {1984, 11, 23, {73, -10, 1}},
  });
}

// Dates before the new year count back through the previous year's regular
// months, even when that year has a leap month.
TEST(LunarConversion, BeforeTheNewYear) {
  expectConversions({
      {1985, 1, 1, {73, 11, 11}},
      {2000, 1, 1, {88, 11, 25}},
      {1913, 1, 1, {1, 11, 24}},
  });
}

TEST(LunarConversion, FebruaryOfLeapAndCommonYears) {
  expectConversions({
      {2000, 2, 29, {89, 1, 25}},
      {2000, 3, 1, {89, 1, 26}},
      {2001, 3, 1, {90, 2, 7}},
      {2011, 12, 31, {100, 12, 7}},
  });
}

// A leap year's 29 February must not lengthen February for a later call.
TEST(LunarConversion, LeapDayDoesNotCarryOver) {
  ASSERT_TRUE(lunar::SolarToLunar(89, 2, 29));
  EXPECT_EQ(lunar::SolarToLunar(90, 3, 1), (LunarDate{90, 2, 7}));
  ASSERT_TRUE(lunar::SolarToLunar(89, 12, 31));
  EXPECT_EQ(lunar::SolarToLunar(90, 3, 1), (LunarDate{90, 2, 7}));
}

TEST(LunarConversion, RefusesWhatTheTableDoesNotCover) {
  const int rows[][3] = {
      {1, 2, 17},       // the day before the first new year
      {1, 1, 1},        //
      {0, 12, 31},      // 1911
      {101, 1, 1},      // 2012
      {-5, 3, 1},       //
      {INT_MIN, 1, 1},  //
      {INT_MAX, 1, 1},  //
      {90, 2, 29},      // not a leap year
      {89, 2, 30},      //
      {90, 4, 31},      //
      {90, 0, 1},       //
      {90, 13, 1},      //
      {90, -1, 1},      //
      {90, 1, 0},       //
      {90, 1, 32},      //
      {90, 6, INT_MAX}, //
  };
  for (const auto &r : rows)
    EXPECT_FALSE(lunar::SolarToLunar(r[0], r[1], r[2])) << r[0] << "/" << r[1] << "/" << r[2];
}

// --- Names and labels ------------------------------------------------------

TEST(LunarNames, Days) {
  const std::pair<int, const char *> rows[] = {
      {1, "初一"},  {2, "初二"},  {9, "初九"},  {10, "初十"}, {11, "十一"}, {15, "十五"},
      {19, "十九"}, {20, "二十"}, {21, "廿一"}, {29, "廿九"}, {30, "三十"},
      {0, ""},      {31, ""},     {-1, ""},
  };
  for (const auto &[day, name] : rows)
    EXPECT_EQ(lunar::LunarDayName(day), name) << day;
}

TEST(LunarNames, Months) {
  const std::pair<int, const char *> rows[] = {
      {1, "正月"},    {2, "二月"},     {3, "三月"},    {4, "四月"},  {5, "五月"},
      {6, "六月"},    {7, "七月"},     {8, "八月"},    {9, "九月"},  {10, "十月"},
      {11, "冬月"},   {12, "腊月"},    {-4, "闰四月"}, {-2, "闰二月"}, {-10, "闰十月"},
      {-12, "闰腊月"}, {0, ""},        {13, ""},       {-13, ""},
  };
  for (const auto &[month, name] : rows)
    EXPECT_EQ(lunar::LunarMonthName(month), name) << month;
}

TEST(LunarNames, LabelIsTheMonthOnItsFirstDay) {
  const std::pair<LunarDate, const char *> rows[] = {
      {{89, 1, 1}, "正月"},    {{90, -4, 1}, "闰四月"}, {{90, 11, 1}, "冬月"},
      {{88, 12, 1}, "腊月"},   {{73, -10, 1}, "闰十月"}, {{90, -4, 2}, "初二"},
      {{90, 4, 30}, "三十"},   {{73, 11, 11}, "十一"},  {{88, 12, 29}, "廿九"},
  };
  for (const auto &[date, label] : rows)
    EXPECT_EQ(lunar::LunarLabel(date), label) << date.year << "/" << date.month << "/" << date.day;
}
