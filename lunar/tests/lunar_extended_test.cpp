// The extension of the year table (2012 to 2100, RocYear 101 to 189): how it
// is reached, that the classic table alone never reaches it, the records'
// properties, dates of the real calendar, and a walk over every day.
#include "lunar.h"

#include <gtest/gtest.h>

#include <climits>

using lunar::LunarDate;
using lunar::LunarTable;

namespace {

constexpr LunarTable Extended = LunarTable::Extended;
constexpr LunarTable Classic = LunarTable::Classic;

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

int lunarYearLength(const lunar::LunarYearInfo &info) {
  int length = info.LeapDays;
  for (int m = 1; m <= 12; ++m)
    length += info.LunarMonthDays[m];
  return length;
}

std::optional<LunarDate> extended(int year, int month, int day) {
  return lunar::SolarToLunar(year - 1911, month, day, Extended);
}

}  // namespace

TEST(LunarExtension, OnlyTheExtendedLookUpReadsPastTheClassicTable) {
  EXPECT_EQ(lunar::LastYearOf(Classic), 100);
  EXPECT_EQ(lunar::LastYearOf(Extended), 189);
  EXPECT_EQ(lunar::LunarYearRecord(101, Extended), "042986122");  // 2012
  EXPECT_EQ(lunar::LunarYearRecord(122, Extended), "111199130");  // 2033: leap 11th month
  EXPECT_EQ(lunar::LunarYearRecord(189, Extended), "133410039");  // 2100
  for (int y : {101, 150, 189}) {
    EXPECT_FALSE(lunar::LunarYearRecord(y)) << y;
    EXPECT_FALSE(lunar::LunarYearRecord(y, Classic)) << y;
    EXPECT_FALSE(lunar::LoadLunarYear(y, Classic)) << y;
  }
  for (int outside : {INT_MIN, -1, 0, 190, INT_MAX}) {
    EXPECT_FALSE(lunar::LunarYearRecord(outside, Extended)) << outside;
    EXPECT_FALSE(lunar::LoadLunarYear(outside, Extended)) << outside;
  }
  // The classic records are the same through either look-up.
  for (int y = lunar::FirstLunarYear; y <= lunar::LastLunarYear; ++y)
    EXPECT_EQ(lunar::LunarYearRecord(y, Extended), lunar::LunarYearRecord(y, Classic)) << y;
}

TEST(LunarExtension, EveryRecordIsConsistentAndRunsToTheNextNewYear) {
  // From the classic 2011 into the extension, and through it.
  for (int y = lunar::LastLunarYear; y <= lunar::LastExtendedLunarYear; ++y) {
    const int year = y + 1911;
    SCOPED_TRACE(year);
    const auto info = lunar::LoadLunarYear(y, Extended);
    ASSERT_TRUE(info);
    EXPECT_TRUE((info->LeapMonth >= 2 && info->LeapMonth <= 11) || info->LeapMonth == 13);
    EXPECT_EQ(info->LeapMonth == 13, info->LeapDays == 0);
    EXPECT_GE(info->DaysBeforeNewYear, 20);
    EXPECT_LE(info->DaysBeforeNewYear, 50);
    if (y == lunar::LastExtendedLunarYear)
      break;
    const auto next = lunar::LoadLunarYear(y + 1, Extended);
    ASSERT_TRUE(next);
    const int gap = (lunar::IsSolarLeapYear(year) ? 366 : 365) - info->DaysBeforeNewYear +
                    next->DaysBeforeNewYear;
    EXPECT_EQ(lunarYearLength(*info), gap);
  }
}

// Dates of the published calendar.
TEST(LunarExtension, DatesOfTheRealCalendar) {
  struct Row {
    Solar solar;
    LunarDate want;
  };
  const Row rows[] = {
      // New years.
      {{2012, 1, 22}, {100, 12, 29}},
      {{2012, 1, 23}, {101, 1, 1}},
      {{2024, 2, 9}, {112, 12, 30}},
      {{2024, 2, 10}, {113, 1, 1}},
      {{2025, 1, 29}, {114, 1, 1}},
      {{2026, 2, 17}, {115, 1, 1}},
      {{2027, 2, 6}, {116, 1, 1}},
      {{2030, 2, 3}, {119, 1, 1}},
      // The leap sixth month of 2025, and the leap second of 2023.
      {{2025, 7, 24}, {114, 6, 30}},
      {{2025, 7, 25}, {114, -6, 1}},
      {{2025, 8, 22}, {114, -6, 29}},
      {{2025, 8, 23}, {114, 7, 1}},
      {{2023, 3, 22}, {112, -2, 1}},
      {{2023, 4, 20}, {112, 3, 1}},
      // Today's month in the screenshots.
      {{2026, 12, 1}, {115, 10, 23}},
      {{2026, 12, 9}, {115, 11, 1}},
      // 2033's leap eleventh month runs into January 2034: before the new
      // year a date is counted back through it.
      {{2033, 12, 21}, {122, 11, 30}},
      {{2033, 12, 22}, {122, -11, 1}},
      {{2034, 1, 1}, {122, -11, 11}},
      {{2034, 1, 19}, {122, -11, 29}},
      {{2034, 1, 20}, {122, 12, 1}},
      {{2034, 2, 19}, {123, 1, 1}},
      // The last day the table covers.
      {{2100, 12, 31}, {189, 12, 1}},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(testing::Message() << r.solar.year << "-" << r.solar.month << "-" << r.solar.day);
    EXPECT_EQ(extended(r.solar.year, r.solar.month, r.solar.day), r.want);
  }
}

TEST(LunarExtension, RefusesWhatNeitherTableCovers) {
  EXPECT_FALSE(extended(1912, 2, 17));
  EXPECT_FALSE(extended(2101, 1, 1));
  EXPECT_FALSE(extended(2100, 2, 29));
  EXPECT_FALSE(extended(2100, 13, 1));
  EXPECT_TRUE(extended(1912, 2, 18));
  EXPECT_FALSE(lunar::SolarToLunar(101, 1, 1, Classic));
  EXPECT_FALSE(lunar::SolarToLunar(189, 12, 31));
}

// Every day from the first day of the classic table to the last of the
// extension: the classic days exactly as the classic look-up gives them, and
// from 2012 on a calendar that runs on without a gap: day by day, month after
// month in the order the records give, each month as long as its record says.
TEST(LunarExtension, EveryDayFollowsFromTheDayBefore) {
  Solar solar{1912, 2, 18};
  int classicDays = 0, extensionDays = 0;
  std::optional<LunarDate> prev;
  for (;; solar = nextDay(solar)) {
    SCOPED_TRACE(testing::Message() << solar.year << "-" << solar.month << "-" << solar.day);
    const auto got = extended(solar.year, solar.month, solar.day);
    ASSERT_TRUE(got);
    if (solar.year <= 2011) {
      ASSERT_EQ(got, lunar::SolarToLunar(solar.year - 1911, solar.month, solar.day));
      ++classicDays;
    } else {
      ++extensionDays;
      const auto info = lunar::LoadLunarYear(prev->year, Extended);
      ASSERT_TRUE(info);
      const int length = prev->month > 0 ? info->LunarMonthDays[prev->month] : info->LeapDays;
      if (prev->day < length) {
        ASSERT_EQ(*got, (LunarDate{prev->year, prev->month, prev->day + 1}));
      } else {
        ASSERT_EQ(prev->day, length);
        LunarDate want{prev->year, prev->month + 1, 1};
        if (prev->month == info->LeapMonth)
          want.month = -prev->month;
        else if (prev->month < 0)
          want.month = -prev->month + 1;
        if (want.month == 13)
          want = {prev->year + 1, 1, 1};
        ASSERT_EQ(*got, want);
      }
    }
    prev = got;
    if (solar.year == 2100 && solar.month == 12 && solar.day == 31)
      break;
  }
  EXPECT_EQ(classicDays, 36477);
  EXPECT_EQ(extensionDays, 32507);
}
