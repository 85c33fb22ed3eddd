#include "dayinfo.h"

#include <gtest/gtest.h>

using lunar::LabelMode;

namespace {
std::vector<std::string> lines(std::initializer_list<const char *> l) { return {l.begin(), l.end()}; }
}  // namespace

// The whole date of a day, in each mode, with and without festivals, a
// holiday and plans.
TEST(DayDescription, LinesOfADay) {
  const struct {
    int year, month, day;
    LabelMode mode;
    std::optional<SDayHoliday> holiday;
    std::vector<SDayPlan> plans;
    std::vector<std::string> want;
  } rows[] = {
      {2026, 12, 8, LabelMode::Festivals, std::nullopt, {},
       lines({"2026年12月8日 星期二", "农历丙午年（马年）十月三十", "丙辰日"})},
      // The lunar year turns at 正月初一, with its festival and the day's term.
      {2026, 2, 16, LabelMode::Festivals, SDayHoliday{"春节", true}, {},
       lines({"2026年2月16日 星期一", "农历乙巳年（蛇年）腊月廿九", "节日：除夕", "辛酉日",
              "春节（休）"})},
      {2026, 2, 17, LabelMode::Extended, std::nullopt, {},
       lines({"2026年2月17日 星期二", "农历丙午年（马年）正月初一", "壬戌日"})},
      {2020, 10, 1, LabelMode::Festivals, std::nullopt, {},
       lines({"2020年10月1日 星期四", "农历庚子年（鼠年）八月十五", "节日：中秋、国庆节", "丁丑日"})},
      {2026, 12, 22, LabelMode::Festivals, SDayHoliday{"元旦", false}, {},
       lines({"2026年12月22日 星期二", "农历丙午年（马年）冬月十四", "节气：冬至", "庚午日",
              "元旦（班）"})},
      {2001, 5, 23, LabelMode::Classic, std::nullopt, {},
       lines({"2001年5月23日 星期三", "农历辛巳年（蛇年）闰四月初一", "丙戌日"})},
      // No lunar date where the grid shows none; plans earliest first.
      {2026, 12, 8, LabelMode::Classic, std::nullopt,
       {{19, 30, "看电影"}, {7, 0, "跑步"}, {12, 0, "午饭"}, {8, 30, "开会"}},
       lines({"2026年12月8日 星期二", "丙辰日", "4项计划：", "7:00 跑步", "8:30 开会", "12:00 午饭",
              "……"})},
      {2026, 12, 8, LabelMode::Classic, std::nullopt, {{9, 0, "a"}},
       lines({"2026年12月8日 星期二", "丙辰日", "1项计划：", "9:00 a"})},
      {2026, 2, 30, LabelMode::Festivals, std::nullopt, {}, {}},
  };
  for (const auto &r : rows) {
    SCOPED_TRACE(testing::Message() << r.year << "-" << r.month << "-" << r.day);
    EXPECT_EQ(DayDescription(r.year, r.month, r.day, r.mode, r.holiday, r.plans), r.want);
  }
}
