#include "dayinfo.h"

#include "monthmodel.h"
#include "solarterms.h"

#include <algorithm>
#include <array>

namespace {

// 0 = Sunday .. 6 = Saturday.
int weekdayOf(int year, int month, int day) {
  static constexpr int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3)
    --year;
  return (year + year / 4 - year / 100 + year / 400 + t[month - 1] + day) % 7;
}

std::string twoDigits(int v) {
  std::string s = std::to_string(v);
  if (v < 10)
    s.insert(s.begin(), '0');
  return s;
}

}  // namespace

std::vector<std::string> DayDescription(int year, int month, int day, lunar::LabelMode mode,
                                        const std::optional<SDayHoliday> &holiday,
                                        std::vector<SDayPlan> plans) {
  std::vector<std::string> lines;
  if (month < 1 || month > 12 || day < 1 || day > MonthLength(year, month))
    return lines;
  lines.push_back(std::to_string(year) + "年" + std::to_string(month) + "月" + std::to_string(day) +
                  "日 " + WeekdayNamesCn[static_cast<size_t>(weekdayOf(year, month, day))]);
  if (const auto l = lunar::GridLunarDate(year, month, day, mode)) {
    lines.push_back("农历" + lunar::StemBranchName(lunar::YearStemBranch(l->year)) + "年（" +
                    lunar::ZodiacName(l->year) + "年）" + lunar::LunarMonthName(l->month) +
                    lunar::LunarDayName(l->day));
    if (mode == lunar::LabelMode::Festivals) {
      const lunar::LunarDate next =
          lunar::LunarDateOfNextDay(year, month, day, lunar::LunarTable::Extended)
              .value_or(lunar::LunarDate{});
      std::string festivals = lunar::FestivalName(*l, next);
      const std::string gregorian = lunar::GregorianFestivalName(year, month, day);
      if (!gregorian.empty())
        festivals += (festivals.empty() ? "" : "、") + gregorian;
      if (!festivals.empty())
        lines.push_back("节日：" + festivals);
      if (const auto term = lunar::SolarTermOn(year, month, day))
        lines.push_back("节气：" + lunar::SolarTermName(*term));
    }
  }
  lines.push_back(lunar::StemBranchName(lunar::DayStemBranch(year, month, day)) + "日");
  if (holiday)
    lines.push_back(holiday->Name + (holiday->Off ? "（休）" : "（班）"));
  if (!plans.empty()) {
    std::stable_sort(plans.begin(), plans.end(), [](const SDayPlan &a, const SDayPlan &b) {
      return a.Hour * 60 + a.Minute < b.Hour * 60 + b.Minute;
    });
    lines.push_back(std::to_string(plans.size()) + "项计划：");
    for (size_t i = 0; i < plans.size() && i < kPlansListed; ++i)
      lines.push_back(std::to_string(plans[i].Hour) + ":" + twoDigits(plans[i].Minute) + " " +
                      plans[i].Text);
    if (plans.size() > kPlansListed)
      lines.push_back("……");
  }
  return lines;
}
