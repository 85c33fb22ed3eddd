#include "holidays.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using holidays::DayKind;
using holidays::HolidayDay;
using holidays::HolidaySchedule;

namespace {

std::string lineOf(const HolidayDay &d) {
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
  return std::string(date) + "," + holidays::KindText(d.Kind) + "," + d.Name;
}

std::vector<std::string> linesOf(const std::vector<HolidayDay> &days) {
  std::vector<std::string> out;
  for (const HolidayDay &d : days)
    out.push_back(lineOf(d));
  return out;
}

struct ParseCase {
  const char *what;
  std::string bytes;
  std::vector<std::string> days;    // as "YYYY-MM-DD,休,name"
  std::vector<std::string> errors;  // the messages, in order
};

}  // namespace

TEST(HolidaysFile, EachLineIsKeptOrNamedAndSkipped) {
  const std::vector<ParseCase> cases = {
      {"comments, blank lines, CR LF and blanks around fields",
       "# 2027年\r\n\r\n  2027-01-01 , 休 , 元旦 \r\n2027-02-06,班,春节\r\n",
       {"2027-01-01,休,元旦", "2027-02-06,班,春节"}, {}},
      {"a UTF-8 byte-order mark", "\xEF\xBB\xBF" "2027-01-01,休,元旦",
       {"2027-01-01,休,元旦"}, {}},
      {"GBK bytes", "2027-01-01,\xD0\xDD,\xD4\xAA\xB5\xA9\n", {"2027-01-01,休,元旦"}, {}},
      {"bad lines are skipped, the others kept",
       "2027-01-01,休,元旦\n2027-02-30,休,春节\n2027-02-06,假,春节\n2027-02-07\n"
       "2027-02-08,休,\n27-2-9,休,春节\n2027-02-10,休,春节\n2027-01-01,班,元旦\n",
       {"2027-01-01,休,元旦", "2027-02-10,休,春节"},
       {"holidays.txt 第2行：日期无效，已跳过", "holidays.txt 第3行：第二项应为休或班，已跳过",
        "holidays.txt 第4行：应为 YYYY-MM-DD,休或班,名称，已跳过",
        "holidays.txt 第5行：名称为空或含逗号，已跳过", "holidays.txt 第6行：日期无效，已跳过",
        "holidays.txt 第8行：与第1行日期重复，已跳过"}},
      {"29 February only in a leap year", "2028-02-29,休,春节\n2027-02-29,休,春节\n",
       {"2028-02-29,休,春节"}, {"holidays.txt 第2行：日期无效，已跳过"}},
      {"an empty file", "", {}, {}},
  };
  for (const ParseCase &c : cases) {
    const holidays::UserHolidays got = holidays::ParseHolidaysFile(c.bytes, "holidays.txt");
    EXPECT_EQ(linesOf(got.Days), c.days) << c.what;
    EXPECT_EQ(got.Errors, c.errors) << c.what;
  }
}

TEST(HolidaySchedule, AYearInTheUsersFileReplacesThatYearOnly) {
  HolidaySchedule s;
  ASSERT_NE(s.Find(2026, 10, 1), nullptr);
  ASSERT_NE(s.Find(2025, 10, 1), nullptr);
  const holidays::UserHolidays user = holidays::ParseHolidaysFile(
      "2026-10-08,休,国庆节\n2027-01-01,休,元旦\n2024-13-01,休,元旦\n", "holidays.txt");
  s.ReplaceYears(user.Days);
  EXPECT_EQ(s.Find(2026, 10, 1), nullptr) << "2026's built-in days are gone";
  EXPECT_EQ(linesOf(s.Between(2026, 1, 1, 2027, 12, 31)),
            (std::vector<std::string>{"2026-10-08,休,国庆节", "2027-01-01,休,元旦"}));
  // 2024 is named only by a bad line: it keeps its built-in days.
  EXPECT_NE(s.Find(2024, 10, 1), nullptr);
  EXPECT_NE(s.Find(2025, 10, 1), nullptr);
}

TEST(HolidaySchedule, BuiltInDays) {
  struct Row {
    int y, m, d;
    const char *expected;  // "" for an ordinary day
  };
  const Row rows[] = {
      {2004, 1, 1, "2004-01-01,休,元旦"},   {2004, 1, 17, "2004-01-17,班,春节"},
      {2008, 6, 9, "2008-06-09,休,端午节"}, {2015, 9, 3, "2015-09-03,休,抗战胜利纪念日"},
      {2020, 2, 1, "2020-02-01,休,春节"},   {2026, 2, 14, "2026-02-14,班,春节"},
      {2026, 10, 7, "2026-10-07,休,国庆节"}, {2026, 10, 10, "2026-10-10,班,国庆节"},
      {2026, 10, 8, ""},                    {2027, 1, 1, ""},
  };
  const HolidaySchedule s;
  for (const Row &r : rows) {
    const HolidayDay *d = s.Find(r.y, r.m, r.d);
    EXPECT_EQ(d ? lineOf(*d) : std::string(), r.expected) << r.y << "-" << r.m << "-" << r.d;
  }
}
