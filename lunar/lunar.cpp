#include "lunar.h"

namespace lunar {

namespace {
constexpr std::array<int, 13> SolarMonthDays = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// The decimal number in characters [from, from + count) of a record.
int recordField(std::string_view record, size_t from, size_t count) {
  int value = 0;
  for (char c : record.substr(from, count))
    value = value * 10 + (c - '0');
  return value;
}

// Before its new year a date belongs to the last months of the previous lunar
// year, counted back from month 12. No new year falls more than 51 days into
// the Gregorian year, so the count never reaches back past month 11; a leap
// month on the way is one that follows month 11 or 12 (2033 has a leap
// eleventh month), and it lies between its month and the next. The classic
// records have no such leap month, so there regular months alone are counted.
std::optional<LunarDate> walkBack(int rocYear, int n, LunarTable table) {
  const std::optional<LunarYearInfo> info = LoadLunarYear(rocYear, table);
  if (!info)
    return std::nullopt;
  for (int m = 12; m >= 1; --m) {
    if (m == info->LeapMonth) {
      n += info->LeapDays;
      if (n > 0)
        return LunarDate{rocYear, -m, n};
    }
    n += info->LunarMonthDays[m];
    if (n > 0)
      return LunarDate{rocYear, m, n};
  }
  return std::nullopt;
}

// n = 1 is the new year's day; months in calendar order, the leap month right
// after the month it follows.
std::optional<LunarDate> walkForward(const LunarYearInfo &info, int rocYear, int n) {
  for (int m = 1; m <= 12; ++m) {
    if (n <= info.LunarMonthDays[m])
      return LunarDate{rocYear, m, n};
    n -= info.LunarMonthDays[m];
    if (m == info.LeapMonth) {
      if (n <= info.LeapDays)
        return LunarDate{rocYear, -m, n};
      n -= info.LeapDays;
    }
  }
  return std::nullopt;
}
}  // namespace

bool IsSolarLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int SolarMonthLength(int year, int month) {
  if (month < 1 || month > 12)
    return 0;
  if (month == 2 && IsSolarLeapYear(year))
    return 29;
  return SolarMonthDays[static_cast<size_t>(month)];
}

std::array<int, 13> UnpackMonthSizes(int number) {
  std::array<int, 13> days{};
  for (int m = 12; m >= 1; --m) {
    days[static_cast<size_t>(m)] = number % 2 != 0 ? 30 : 29;
    number /= 2;
  }
  return days;
}

std::optional<LunarYearInfo> LoadLunarYear(int rocYear, LunarTable table) {
  const std::optional<std::string_view> record = LunarYearRecord(rocYear, table);
  if (!record)
    return std::nullopt;
  LunarYearInfo info;
  info.LeapMonth = recordField(*record, 0, 2);
  info.LunarMonthDays = UnpackMonthSizes(recordField(*record, 2, 4));
  switch (recordField(*record, 6, 1)) {
  case 1:
    info.LeapDays = 29;
    break;
  case 2:
    info.LeapDays = 30;
    break;
  default:
    info.LeapDays = 0;
    break;
  }
  info.DaysBeforeNewYear = recordField(*record, 7, 2);
  return info;
}

std::optional<LunarDate> SolarToLunar(int rocYear, int month, int day, LunarTable table) {
  const std::optional<LunarYearInfo> info = LoadLunarYear(rocYear, table);
  if (!info)
    return std::nullopt;
  const int year = rocYear + 1911;
  if (day < 1 || day > SolarMonthLength(year, month))
    return std::nullopt;
  int dayOfYear = day;
  for (int m = 1; m < month; ++m)
    dayOfYear += SolarMonthLength(year, m);
  const int n = dayOfYear - info->DaysBeforeNewYear;
  if (n <= 0)
    return walkBack(rocYear - 1, n, table);
  return walkForward(*info, rocYear, n);
}

}  // namespace lunar
