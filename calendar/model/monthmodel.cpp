#include "monthmodel.h"

#include "clock.h"

#include <algorithm>

int32_t SelYear = 2000;
int32_t SelMonth = 1;
int32_t SelDay = 1;
int32_t FirstCell = 0;
std::array<int32_t, kDayCellCount> DayCells{};
std::array<int32_t, kDayCellCount> HasEntries{};
bool TableBusy = false;

const std::array<int32_t, 12> MonthLengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const std::array<const char *, 12> MonthNamesEn = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
std::array<std::string, 7> WeekdayNames{};
const std::array<const char *, 7> WeekdayNamesCn = {"星期日", "星期一", "星期二", "星期三",
                                                    "星期四", "星期五", "星期六"};

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int MonthLength(int year, int month) {
  if (month < 1 || month > 12)
    return 0;
  return MonthLengths[static_cast<size_t>(month - 1)] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

SMonthLayout monthCells(int year, int month, int days) {
  SMonthLayout l;
  l.Days = days < 0 ? MonthLength(year, month) : std::min(days, 31);
  l.FirstCell = calixo::weekday(year, month, 1);
  for (int d = 1; d <= l.Days; ++d)
    l.DayCells[static_cast<size_t>(l.FirstCell + d - 1)] = d;
  return l;
}

int cellOf(int col, int row) {
  if (col < 0 || col > 6 || row < 1 || row > 6)
    return -1;
  return (row - 1) * 7 + col;
}
