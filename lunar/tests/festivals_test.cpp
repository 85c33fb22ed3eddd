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
  const auto l = lunar::SolarToLunar(year - 1911, month, day, lunar::LunarTable::Extended);
  EXPECT_TRUE(l) << year << "-" << month << "-" << day;
  return l.value_or(LunarDate{});
}

// The lunar dates of a Gregorian day and of the day after it.
std::pair<LunarDate, LunarDate> lunarDays(int year, int month, int day) {
  return {lunarOf(year, month, day),
          lunar::LunarDateOfNextDay(year, month, day, lunar::LunarTable::Extended).value_or(LunarDate{})};
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
      {{89, 9, 15}, {89, 9, 16}, ""},       {{89, 7, 14}, {89, 7, 15}, ""},
      {{89, 12, 7}, {89, 12, 8}, ""},       {{89, 11, 8}, {89, 11, 9}, ""},
      {{89, 12, 28}, {89, 12, 29}, ""},     {{89, 2, 2}, {89, 2, 3}, "龙抬头"},
      {{89, 7, 15}, {89, 7, 16}, "中元"},   {{89, 10, 1}, {89, 10, 2}, "寒衣"},
      {{89, 10, 15}, {89, 10, 16}, "下元"}, {{89, 12, 23}, {89, 12, 24}, "小年"},
      {{89, 2, 1}, {89, 2, 2}, ""},         {{89, 10, 2}, {89, 10, 3}, ""},
      {{89, 12, 24}, {89, 12, 25}, ""},
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
      {{112, -2, 2}, {112, -2, 3}, ""}, {{84, -10, 1}, {84, -10, 2}, ""},
      {{73, -10, 15}, {73, -10, 16}, ""},
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

// Lunar festival before Gregorian festival before solar term before the
// month's name on day 1 before the day's name; only festivals and terms are
// special. The Gregorian festivals by date and by weekday, each from its
// first year.
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
      {2010, 1, 1, "元旦", true},    // 冬月十七
      {2010, 2, 14, "春节", true},   // and 情人节
      {2020, 10, 1, "中秋", true},   // and 国庆节
      {2020, 6, 21, "父亲节", true}, // 五月初一 and 夏至
      {2010, 3, 1, "十六", false},   // the day after 元宵
      {2026, 3, 20, "龙抬头", true}, // and 春分
      {2023, 3, 23, "初二", false},  // 闰二月初二
      {1949, 1, 1, "初三", false},   // before 1950
      {1950, 1, 1, "元旦", true},
      {2026, 2, 14, "情人节", true},
      {2026, 3, 8, "妇女节", true},
      {1978, 3, 12, "初四", false},  // 植树节 from 1979
      {1979, 3, 12, "植树节", true},
      {2026, 5, 1, "劳动节", true},
      {2026, 5, 4, "青年节", true},
      {2026, 5, 3, "十七", false},   // the first Sunday of May
      {2026, 5, 10, "母亲节", true}, // the second
      {2026, 5, 17, "四月", false},  // the third Sunday, 四月初一
      {2026, 6, 1, "儿童节", true},
      {2026, 6, 14, "廿九", false},  // the second Sunday of June
      {2026, 6, 21, "父亲节", true}, // the third
      {2026, 7, 1, "建党节", true},
      {2026, 8, 1, "建军节", true},
      {1984, 9, 10, "中秋", true},   // 教师节 from 1985 anyway
      {1985, 9, 10, "教师节", true},
      {2026, 10, 1, "国庆节", true},
      {2026, 12, 25, "圣诞节", true},
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

// --- The grid's label by mode ----------------------------------------------

// Which dates get a label in each mode, and that the mode decides between the
// ordinary label and the festival-mode one.
TEST(GridDayLabel, YearsAndLabelsOfEachMode) {
  using lunar::LabelMode;
  const struct {
    LabelMode mode;
    int year, month, day;
    const char *text;  // nullptr: no label
  } rows[] = {
      {LabelMode::Classic, 1920, 12, 31, nullptr},
      {LabelMode::Classic, 1921, 1, 1, "廿三"},
      {LabelMode::Classic, 2010, 12, 31, "廿六"},
      {LabelMode::Classic, 2011, 1, 1, nullptr},
      {LabelMode::Classic, 2026, 12, 8, nullptr},
      {LabelMode::Extended, 1912, 2, 17, nullptr},
      {LabelMode::Extended, 1912, 2, 18, "正月"},
      {LabelMode::Extended, 2026, 12, 8, "三十"},
      {LabelMode::Extended, 2026, 2, 17, "正月"},
      {LabelMode::Extended, 2100, 12, 31, "腊月"},
      {LabelMode::Extended, 2101, 1, 1, nullptr},
      {LabelMode::Festivals, 2026, 2, 17, "春节"},
      {LabelMode::Festivals, 2026, 2, 16, "除夕"},
      {LabelMode::Festivals, 2100, 12, 31, "腊月"},  // no next day, no 除夕
      {LabelMode::Festivals, 1911, 12, 31, nullptr},
  };
  for (const auto &r : rows) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(r.mode) << " " << r.year << "-" << r.month
                                    << "-" << r.day);
    const auto label = lunar::GridDayLabel(r.year, r.month, r.day, r.mode);
    ASSERT_EQ(label.has_value(), r.text != nullptr);
    if (label) {
      EXPECT_EQ(label->text, r.text);
    }
  }
}

// --- Stem-branch and zodiac --------------------------------------------------

// The year's stem-branch and animal change at 正月初一, not on 1 January; the
// day's run through the sixty-day cycle without a break, across months,
// years and lunar new years.
TEST(StemBranch, YearsChangeAtTheLunarNewYearAndDaysFollowTheCycle) {
  const struct {
    int year, month, day;
    const char *yearName, *animal, *dayName;
  } rows[] = {
      {2026, 2, 16, "乙巳", "蛇", "辛酉"},  // 除夕
      {2026, 2, 17, "丙午", "马", "壬戌"},  // 正月初一
      {2026, 1, 1, "乙巳", "蛇", "乙亥"},
      {2026, 12, 8, "丙午", "马", "丙辰"},
      {2000, 1, 1, "己卯", "兔", "戊午"},
      {2000, 2, 5, "庚辰", "龙", "癸巳"},
      {1984, 2, 2, "甲子", "鼠", "丙寅"},
      {1912, 2, 18, "壬子", "鼠", "甲子"},
      {2100, 12, 31, "庚申", "猴", "丁未"},
  };
  for (const auto &r : rows) {
    SCOPED_TRACE(testing::Message() << r.year << "-" << r.month << "-" << r.day);
    const auto l = lunar::SolarToLunar(r.year - 1911, r.month, r.day, lunar::LunarTable::Extended);
    ASSERT_TRUE(l);
    EXPECT_EQ(lunar::StemBranchName(lunar::YearStemBranch(l->year)), r.yearName);
    EXPECT_EQ(lunar::ZodiacName(l->year), r.animal);
    EXPECT_EQ(lunar::StemBranchName(lunar::DayStemBranch(r.year, r.month, r.day)), r.dayName);
  }
  // Sixty days on, the same day of the cycle; every day between, the next one.
  int y = 2026, m = 12, d = 8;
  int cycle = lunar::DayStemBranch(y, m, d);
  for (int i = 0; i < 60; ++i) {
    if (++d > lunar::SolarMonthLength(y, m)) {
      d = 1;
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
    EXPECT_EQ(lunar::DayStemBranch(y, m, d), (cycle + 1) % 60) << y << "-" << m << "-" << d;
    cycle = lunar::DayStemBranch(y, m, d);
  }
  EXPECT_EQ(cycle, lunar::DayStemBranch(2026, 12, 8));
  EXPECT_EQ(lunar::StemBranchName(60), "");
}
