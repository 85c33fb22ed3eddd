#include "navigation.h"

#include <gtest/gtest.h>

#include <string>

using namespace calixo;

namespace {
struct Ymd {
  int y, m, d;
  bool operator==(const Ymd &) const = default;
};
void PrintTo(const Ymd &v, std::ostream *os) { *os << v.y << "-" << v.m << "-" << v.d; }

Ymd nextYear(Ymd v) { NextYear(v.y, v.m, v.d); return v; }
Ymd prevYear(Ymd v) { PrevYear(v.y, v.m, v.d); return v; }
Ymd stepMonth(Ymd v, int delta) { StepMonth(v.y, v.m, v.d, delta); return v; }
}  // namespace

struct StepRow {
  Ymd from;
  int delta;  // +1/-1 years with year = true, else months
  bool year;
  Ymd to;
};

TEST(Navigation, StepsByYearAndMonth) {
  const StepRow rows[] = {
      // A leap day has no twin in the neighbouring years.
      {{2024, 2, 29}, +1, true, {2025, 2, 28}},
      {{2024, 2, 29}, -1, true, {2023, 2, 28}},
      {{2000, 2, 29}, +1, true, {2001, 2, 28}},
      {{2024, 2, 28}, +1, true, {2025, 2, 28}},
      {{2023, 3, 31}, +1, true, {2024, 3, 31}},
      {{2009, 12, 31}, -1, true, {2008, 12, 31}},
      // Month ends are kept where the new month has them.
      {{2024, 1, 31}, +1, false, {2024, 2, 29}},
      {{2023, 1, 31}, +1, false, {2023, 2, 28}},
      {{1900, 1, 31}, +1, false, {1900, 2, 28}},
      {{2000, 1, 31}, +1, false, {2000, 2, 29}},
      {{2024, 3, 31}, -1, false, {2024, 2, 29}},
      {{2023, 3, 31}, -1, false, {2023, 2, 28}},
      {{2023, 5, 31}, +1, false, {2023, 6, 30}},
      {{2023, 7, 30}, +1, false, {2023, 8, 30}},
      {{2023, 2, 28}, +1, false, {2023, 3, 28}},
      // Year ends.
      {{2009, 12, 15}, +1, false, {2010, 1, 15}},
      {{2009, 12, 31}, +1, false, {2010, 1, 31}},
      {{2010, 1, 1}, -1, false, {2009, 12, 1}},
      {{2010, 1, 31}, -1, false, {2009, 12, 31}},
      // The ends of the calendar: no year 0 and no year 10000.
      {{9999, 6, 1}, +1, true, {9999, 6, 1}},
      {{1, 6, 1}, -1, true, {1, 6, 1}},
      {{9999, 12, 31}, +1, false, {9999, 12, 31}},
      {{1, 1, 1}, -1, false, {1, 1, 1}},
      {{9998, 12, 31}, +1, true, {9999, 12, 31}},
  };
  for (const StepRow &r : rows) {
    const Ymd got = r.year ? (r.delta > 0 ? nextYear(r.from) : prevYear(r.from))
                           : stepMonth(r.from, r.delta);
    EXPECT_EQ(got, r.to) << (r.year ? "year " : "month ") << r.delta << " from "
                         << testing::PrintToString(r.from);
  }
}

// The arrow keys: a day or a week, into the neighbouring month or year.
TEST(Navigation, StepsByDays) {
  const struct {
    Ymd from;
    int delta;
    Ymd to;
  } rows[] = {
      {{2026, 12, 8}, +1, {2026, 12, 9}},   {{2026, 12, 8}, -7, {2026, 12, 1}},
      {{2026, 12, 31}, +1, {2027, 1, 1}},   {{2027, 1, 3}, -7, {2026, 12, 27}},
      {{2024, 2, 25}, +7, {2024, 3, 3}},    {{2023, 2, 25}, +7, {2023, 3, 4}},
      {{2024, 3, 1}, -1, {2024, 2, 29}},    {{2026, 1, 1}, -1, {2025, 12, 31}},
      {{9999, 12, 31}, +1, {9999, 12, 31}}, {{1, 1, 3}, -7, {1, 1, 3}},
  };
  for (const auto &r : rows) {
    Ymd got = r.from;
    calixo::StepDays(got.y, got.m, got.d, r.delta);
    EXPECT_EQ(got, r.to) << r.delta << " from " << testing::PrintToString(r.from);
  }
}

TEST(Navigation, TwelveMonthStepsComeBackToTheSameMonth) {
  Ymd v{2023, 8, 31};
  for (int i = 0; i < 12; ++i)
    v = stepMonth(v, +1);
  // The day is cut at every month shorter than it and never grows back:
  // September makes it the 30th, February 2024 the 29th.
  EXPECT_EQ(v, (Ymd{2024, 8, 29}));
}

struct ApplyRow {
  int year, month;
  YearMonthCheck check;
  Ymd to;
};

TEST(YearMonthDialogChecks, BoundsAndDayCut) {
  const Ymd from{2023, 3, 31};
  const ApplyRow rows[] = {
      {1900, 1, YearMonthCheck::Applied, {1900, 1, 31}},
      {9999, 12, YearMonthCheck::Applied, {9999, 12, 31}},
      {1899, 5, YearMonthCheck::BadYear, from},
      {10000, 5, YearMonthCheck::BadYear, from},
      {0, 5, YearMonthCheck::BadYear, from},
      {1899, 13, YearMonthCheck::BadYear, from},  // the year is checked first
      {2024, 0, YearMonthCheck::BadMonth, from},
      {2024, 13, YearMonthCheck::BadMonth, from},
      {2024, -1, YearMonthCheck::BadMonth, from},
      {2024, 2, YearMonthCheck::Applied, {2024, 2, 29}},
      {2023, 2, YearMonthCheck::Applied, {2023, 2, 28}},
      {2023, 4, YearMonthCheck::Applied, {2023, 4, 30}},
      {2023, 5, YearMonthCheck::Applied, {2023, 5, 31}},
  };
  for (const ApplyRow &r : rows) {
    Ymd v = from;
    EXPECT_EQ(applyYearMonth(r.year, r.month, v.y, v.m, v.d), r.check) << r.year << "/" << r.month;
    EXPECT_EQ(v, r.to) << r.year << "/" << r.month;
  }
}

TEST(TextToInt, AcceptsDecimalIntegers) {
  const std::pair<std::string, int> rows[] = {
      {"2024", 2024},   {"0", 0},   {"-5", -5},         {"+12", 12},
      {"  7", 7},       {"007", 7}, {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
  };
  for (const auto &[text, value] : rows)
    EXPECT_EQ(textToInt(text), value) << text;
}

TEST(TextToInt, RejectsEverythingElseWithTheReportText) {
  const std::string rows[] = {"", " ", "abc", "12a", "1 2", "7 ", "-", "+", "2147483648",
                              "-2147483649", "99999999999999999999", "1.5",
                              "\xEF\xBC\x92\xEF\xBC\x90",  // full-width digits
                              "\xE4\xBA\x8C"};              // 二
  for (const std::string &text : rows) {
    try {
      textToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const EConvertError &e) {
      EXPECT_EQ(std::string(e.what()), "'" + text + "' is not a valid integer value");
    }
  }
}
