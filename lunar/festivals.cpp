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

constexpr std::array<Festival, 12> FixedFestivals = {{
    {1, 1, "春节"},  {1, 15, "元宵"}, {2, 2, "龙抬头"}, {5, 5, "端午"},
    {7, 7, "七夕"},  {7, 15, "中元"}, {8, 15, "中秋"},  {9, 9, "重阳"},
    {10, 1, "寒衣"}, {10, 15, "下元"}, {12, 8, "腊八"}, {12, 23, "小年"},
}};

struct GregorianFestival {
  int month;
  int day;       // of the month; 0: by weekday
  int sunday;    // by weekday: the n-th Sunday of the month
  int fromYear;  // the first year it was kept
  const char *name;
};

constexpr std::array<GregorianFestival, 14> GregorianFestivals = {{
    {1, 1, 0, 1950, "元旦"},    {2, 14, 0, 1950, "情人节"}, {3, 8, 0, 1950, "妇女节"},
    {3, 12, 0, 1979, "植树节"}, {5, 1, 0, 1950, "劳动节"},  {5, 4, 0, 1950, "青年节"},
    {5, 0, 2, 1950, "母亲节"},  {6, 1, 0, 1950, "儿童节"},  {6, 0, 3, 1950, "父亲节"},
    {7, 1, 0, 1950, "建党节"},  {8, 1, 0, 1950, "建军节"},  {9, 10, 0, 1985, "教师节"},
    {10, 1, 0, 1950, "国庆节"}, {12, 25, 0, 1950, "圣诞节"},
}};

// 0 = Sunday .. 6 = Saturday, Gregorian calendar (Sakamoto's rule).
int weekday(int year, int month, int day) {
  static constexpr int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3)
    --year;
  return (year + year / 4 - year / 100 + year / 400 + t[month - 1] + day) % 7;
}

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

std::string GregorianFestivalName(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || day > SolarMonthLength(year, month))
    return {};
  for (const GregorianFestival &f : GregorianFestivals) {
    if (f.month != month || year < f.fromYear)
      continue;
    if (f.day == day)
      return f.name;
    // The n-th Sunday is the one among days 7 (n - 1) + 1 .. 7 n.
    if (f.day == 0 && weekday(year, month, day) == 0 && (day - 1) / 7 + 1 == f.sunday)
      return f.name;
  }
  return {};
}

DayLabel FestivalModeLabel(int year, int month, int dayOfMonth, const LunarDate &day,
                           const LunarDate &nextDay) {
  std::string festival = FestivalName(day, nextDay);
  if (festival.empty())
    festival = GregorianFestivalName(year, month, dayOfMonth);
  if (!festival.empty())
    return {std::move(festival), true};
  if (const std::optional<int> term = SolarTermOn(year, month, dayOfMonth))
    return {SolarTermName(*term), true};
  return {LunarLabel(day), false};
}

std::optional<LunarDate> GridLunarDate(int year, int month, int day, LabelMode mode) {
  if (mode == LabelMode::Classic) {
    if (year < 1921 || year > 2010)
      return std::nullopt;
    return SolarToLunar(year - 1911, month, day, LunarTable::Classic);
  }
  // From the lunar new year of 1912, which the conversion itself knows, to 2100.
  if (year < 1912 || year > 2100)
    return std::nullopt;
  return SolarToLunar(year - 1911, month, day, LunarTable::Extended);
}

std::optional<DayLabel> GridDayLabel(int year, int month, int day, LabelMode mode) {
  const std::optional<LunarDate> l = GridLunarDate(year, month, day, mode);
  if (!l)
    return std::nullopt;
  if (mode != LabelMode::Festivals)
    return DayLabel{LunarLabel(*l), false};
  // 除夕 is known only from the next day; after the table's last day there
  // is none, and no 除夕.
  const LunarDate next =
      LunarDateOfNextDay(year, month, day, LunarTable::Extended).value_or(LunarDate{});
  return FestivalModeLabel(year, month, day, *l, next);
}

}  // namespace lunar
