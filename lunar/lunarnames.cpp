#include "lunar.h"

namespace lunar {

namespace {
constexpr std::array<const char *, 31> DayNames = {
    "",     "初一", "初二", "初三", "初四", "初五", "初六", "初七", "初八", "初九", "初十",
    "十一", "十二", "十三", "十四", "十五", "十六", "十七", "十八", "十九", "二十",
    "廿一", "廿二", "廿三", "廿四", "廿五", "廿六", "廿七", "廿八", "廿九", "三十",
};

constexpr std::array<const char *, 13> MonthNames = {
    "",     "正月", "二月", "三月", "四月", "五月", "六月",
    "七月", "八月", "九月", "十月", "冬月", "腊月",
};

constexpr const char *LeapPrefix = "闰";
}  // namespace

std::string LunarDayName(int day) {
  if (day < 1 || day > 30)
    return {};
  return DayNames[static_cast<size_t>(day)];
}

std::string LunarMonthName(int month) {
  if (month >= 1 && month <= 12)
    return MonthNames[static_cast<size_t>(month)];
  if (month <= -1 && month >= -12)
    return LeapPrefix + LunarMonthName(-month);
  return {};
}

std::string LunarLabel(const LunarDate &d) {
  return d.day == 1 ? LunarMonthName(d.month) : LunarDayName(d.day);
}

}  // namespace lunar
