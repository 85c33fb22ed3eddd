#include "lunar.h"

#include <gtest/gtest.h>

#include <vector>

using lunar::LunarDate;

namespace {

struct FestivalRow {
  LunarDate day, next;
  const char *name;  // "" for none
};

struct LabelRow {
  int year, month, day;  // Gregorian
  const char *text;
  bool special;
};

LunarDate lunarOf(int year, int month, int day) {
  const auto l = lunar::SolarToLunar(year - 1911, month, day);
  EXPECT_TRUE(l) << year << "-" << month << "-" << day;
  return l.value_or(LunarDate{});
}

// The lunar dates of a Gregorian day and of the day after it.
std::pair<LunarDate, LunarDate> lunarDays(int year, int month, int day) {
  return {lunarOf(year, month, day),
          lunar::LunarDateOfNextDay(year, month, day).value_or(LunarDate{})};
}

}  // namespace

// --- Festivals of a lunar date ---------------------------------------------

TEST(Festivals, FixedDaysAndTheirNeighbours) {
  const std::vector<FestivalRow> rows = {
      {{89, 1, 1}, {89, 1, 2}, "春节"},     {{89, 1, 15}, {89, 1, 16}, "元宵"},
      {{89, 5, 5}, {89, 5, 6}, "端午"},     {{89, 7, 7}, {89, 7, 8}, "七夕"},
      {{89, 8, 15}, {89, 8, 16}, "中秋"},   {{89, 9, 9}, {89, 9, 10}, "重阳"},
      {{89, 12, 8}, {89, 12, 9}, "腊八"},   {{89, 1, 2}, {89, 1, 3}, ""},
      {{89, 1, 14}, {89, 1, 15}, ""},       {{89, 5, 4}, {89, 5, 5}, ""},
      {{89, 8, 14}, {89, 8, 15}, ""},       {{89, 8, 16}, {89, 8, 17}, ""},
      {{89, 9, 15}, {89, 9, 16}, ""},       {{89, 7, 15}, {89, 7, 16}, ""},
      {{89, 12, 7}, {89, 12, 8}, ""},       {{89, 11, 8}, {89, 11, 9}, ""},
      {{89, 12, 28}, {89, 12, 29}, ""},
  };
  for (const FestivalRow &r : rows)
    EXPECT_EQ(lunar::FestivalName(r.day, r.next), r.name) << r.day.month << "/" << r.day.day;
}

// A leap month repeats its month's numbers, but none of its days is a festival
// (闰四月 2001, 闰五月 2009, 闰七月 2006, 闰八月 1995, 闰九月 2014), not even the
// last day of a leap twelfth month, were there one.
TEST(Festivals, LeapMonthDaysAreNeverFestivals) {
  const std::vector<FestivalRow> rows = {
      {{90, -4, 1}, {90, -4, 2}, ""},  {{98, -5, 5}, {98, -5, 6}, ""},
      {{95, -7, 7}, {95, -7, 8}, ""},  {{95, -7, 15}, {95, -7, 16}, ""},
      {{84, -8, 15}, {84, -8, 16}, ""}, {{103, -9, 9}, {103, -9, 10}, ""},
      {{90, -12, 29}, {91, 1, 1}, ""},
  };
  for (const FestivalRow &r : rows)
    EXPECT_EQ(lunar::FestivalName(r.day, r.next), r.name) << r.day.month << "/" << r.day.day;
}

// 除夕 is the last day of 腊月, whether that month has 29 days or 30.
TEST(Festivals, NewYearsEveIsTheDayBeforeTheNewYear) {
  // 腊月 of lunar 1999 has 29 days: 4 February 2000 is 腊月廿九.
  auto [day, next] = lunarDays(2000, 2, 4);
  EXPECT_EQ(day, (LunarDate{88, 12, 29}));
  EXPECT_EQ(lunar::FestivalName(day, next), "除夕");
  std::tie(day, next) = lunarDays(2000, 2, 3);
  EXPECT_EQ(lunar::FestivalName(day, next), "");
  // 腊月 of lunar 2009 has 30 days: 12 February 2010 is 廿九, 13 February 三十.
  std::tie(day, next) = lunarDays(2010, 2, 12);
  EXPECT_EQ(day, (LunarDate{98, 12, 29}));
  EXPECT_EQ(lunar::FestivalName(day, next), "");
  std::tie(day, next) = lunarDays(2010, 2, 13);
  EXPECT_EQ(day, (LunarDate{98, 12, 30}));
  EXPECT_EQ(lunar::FestivalName(day, next), "除夕");
  std::tie(day, next) = lunarDays(2010, 2, 14);
  EXPECT_EQ(lunar::FestivalName(day, next), "春节");
}

// --- The festival-mode label -----------------------------------------------

// Festival before solar term before the ordinary label; only festivals and
// terms are special.
TEST(FestivalModeLabel, Precedence) {
  const std::vector<LabelRow> rows = {
      {2000, 2, 4, "除夕", true},    // 腊月廿九 and 立春
      {2004, 1, 21, "除夕", true},   // 腊月三十 and 大寒
      {1992, 2, 4, "春节", true},    // 正月初一 and 立春
      {2000, 2, 19, "元宵", true},   // 正月十五 and 雨水
      {1980, 9, 23, "中秋", true},   // 八月十五 and 秋分
      {1995, 12, 22, "冬至", true},  // 冬月初一: the term wins over the month's name
      {2001, 6, 21, "夏至", true},   // 五月初一
      {2008, 5, 5, "立夏", true},    // 四月初一
      {2008, 4, 4, "清明", true},
      {2008, 4, 5, "廿九", false},   // the day after 清明
      {2001, 5, 23, "闰四月", false},
      {2001, 6, 20, "廿九", false},  // 闰四月廿九, the day before 夏至
      {2010, 1, 1, "十七", false},
      {2010, 2, 14, "春节", true},
      {2010, 3, 1, "十六", false},   // the day after 元宵
  };
  for (const LabelRow &r : rows) {
    SCOPED_TRACE(testing::Message() << r.year << "-" << r.month << "-" << r.day);
    const auto [day, next] = lunarDays(r.year, r.month, r.day);
    const lunar::DayLabel label = lunar::FestivalModeLabel(r.year, r.month, r.day, day, next);
    EXPECT_EQ(label.text, r.text);
    EXPECT_EQ(label.special, r.special);
  }
}

// The label needs only the two lunar dates, so it works beyond the classic
// table: 4 April 2025 is 三月初七 and 清明.
TEST(FestivalModeLabel, TermOfADateTheLunarTableDoesNotHold) {
  const lunar::DayLabel label =
      lunar::FestivalModeLabel(2025, 4, 4, LunarDate{114, 3, 7}, LunarDate{114, 3, 8});
  EXPECT_EQ(label.text, "清明");
  EXPECT_TRUE(label.special);
  const lunar::DayLabel plain =
      lunar::FestivalModeLabel(2025, 4, 5, LunarDate{114, 3, 8}, LunarDate{114, 3, 9});
  EXPECT_EQ(plain.text, "初八");
  EXPECT_FALSE(plain.special);
}
