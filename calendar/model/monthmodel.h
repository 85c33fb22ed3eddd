// The month model of the main window: the selected date, how a month is laid
// out into the 42 day cells of the grid, and which cells carry the
// has-entries marker. The globals are shared with the time-list window, which
// reads the selected date when it stores rows. Plain C++, no Qt.
#pragma once

#include <array>
#include <cstdint>
#include <string>

inline constexpr int kDayCellCount = 42;

extern int32_t SelYear;
extern int32_t SelMonth;
extern int32_t SelDay;     // always a valid day of (SelYear, SelMonth)
extern int32_t FirstCell;  // cell of day 1, 0..6 (its weekday, 0 = Sunday)
// Day shown in cell k (grid row 1 + k / 7, column k % 7), 0 = blank.
extern std::array<int32_t, kDayCellCount> DayCells;
// 1 when the time table holds an entry for that cell's day.
extern std::array<int32_t, kDayCellCount> HasEntries;
// Set while one of the main window's operations works on the time table.
extern bool TableBusy;

extern const std::array<int32_t, 12> MonthLengths;
extern const std::array<const char *, 12> MonthNamesEn;
// UTF-8; assigned by the main window when it is created.
extern std::array<std::string, 7> WeekdayNames;
extern const std::array<const char *, 7> WeekdayNamesCn;

bool IsLeapYear(int year);
// 28..31 for month 1..12.
int MonthLength(int year, int month);

struct SMonthLayout {
  int32_t FirstCell = 0;
  int32_t Days = 0;
  std::array<int32_t, kDayCellCount> DayCells{};
};
// Lays a month of days days out (its length unless given): day d goes to
// cell FirstCell + d - 1, every other cell is 0.
SMonthLayout monthCells(int year, int month, int days = -1);

// The cell (0..41) of grid column col and row row (1..6), or -1 for the
// header row and anything outside.
int cellOf(int col, int row);
