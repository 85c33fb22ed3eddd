#include "lunar.h"
#include "solarterms.h"

#include <array>
#include <utility>

namespace lunar {

namespace {
struct Festival {
  int month;
  int day;
  const char *name;
};

constexpr std::array<Festival, 7> FixedFestivals = {{
    {1, 1, "春节"},
    {1, 15, "元宵"},
    {5, 5, "端午"},
    {7, 7, "七夕"},
    {8, 15, "中秋"},
    {9, 9, "重阳"},
    {12, 8, "腊八"},
}};

constexpr const char *NewYearsEve = "除夕";
}  // namespace

std::string FestivalName(const LunarDate &day, const LunarDate &nextDay) {
  if (day.month < 1)
    return {};
  for (const Festival &f : FixedFestivals) {
    if (day.month == f.month && day.day == f.day)
      return f.name;
  }
  // 腊月 has 29 or 30 days; the last day of the year is known only by the
  // next day being the new year.
  if (nextDay.month == 1 && nextDay.day == 1)
    return NewYearsEve;
  return {};
}

std::optional<LunarDate> LunarDateOfNextDay(int year, int month, int day, LunarTable table) {
  if (++day > SolarMonthLength(year, month)) {
    day = 1;
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  return SolarToLunar(year - 1911, month, day, table);
}

DayLabel FestivalModeLabel(int year, int month, int dayOfMonth, const LunarDate &day,
                           const LunarDate &nextDay) {
  std::string festival = FestivalName(day, nextDay);
  if (!festival.empty())
    return {std::move(festival), true};
  if (const std::optional<int> term = SolarTermOn(year, month, dayOfMonth))
    return {SolarTermName(*term), true};
  return {LunarLabel(day), false};
}

}  // namespace lunar
