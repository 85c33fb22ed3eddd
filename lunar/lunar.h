// lunar: Gregorian date -> Chinese lunar date by table look-up, and the names
// the month grid shows. Pure functions over constant tables of one nine-digit
// record per year, no astronomy: the classic table for 1912 to 2011 and its
// extension for 2012 to 2100, which a caller reaches only by asking for it.
// The festivals and the solar terms (solarterms.h) give the grid's
// festival-mode label.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace lunar {

// Year numbers are RocYear: the Gregorian year minus 1911 (1 = 1912, 100 = 2011,
// 189 = 2100).
struct LunarYearInfo {
  int LeapMonth = 13;                 // 2..12, 13 = no leap month
  std::array<int, 13> LunarMonthDays{};  // index 1..12, 29 or 30
  int LeapDays = 0;                   // 0, 29 or 30
  int DaysBeforeNewYear = 0;          // 0..99
};

struct LunarDate {
  int year = 0;   // RocYear
  int month = 0;  // 1..12, or -L for the leap month after month L
  int day = 0;    // 1..30

  friend bool operator==(const LunarDate &, const LunarDate &) = default;
};

// The records a look-up may read: the classic table alone, or the classic
// table followed by its extension (records 101..189, the same format).
enum class LunarTable { Classic, Extended };

// The first and last RocYear each table covers.
inline constexpr int FirstLunarYear = 1;
inline constexpr int LastLunarYear = 100;
inline constexpr int LastExtendedLunarYear = 189;
int LastYearOf(LunarTable table);

// The record of a year, nine decimal digits; nullopt outside 1..100 (Classic)
// or 1..189 (Extended). This is the only way into the tables.
std::optional<std::string_view> LunarYearRecord(int rocYear, LunarTable table = LunarTable::Classic);

// nullopt where LunarYearRecord has no record.
std::optional<LunarYearInfo> LoadLunarYear(int rocYear, LunarTable table = LunarTable::Classic);
std::array<int, 13> UnpackMonthSizes(int number);
bool IsSolarLeapYear(int year);
// Days in a Gregorian month (February 29 in a leap year); 0 for a month outside 1..12.
int SolarMonthLength(int year, int month);
// nullopt for a date before 18 February 1912, after the table's last year
// (2011 or 2100), or not a real date.
std::optional<LunarDate> SolarToLunar(int rocYear, int month, int day,
                                      LunarTable table = LunarTable::Classic);

// UTF-8 names: days "初一".."三十", months "正月".."腊月", leap prefix "闰";
// an empty string for a day or month that does not exist.
std::string LunarDayName(int day);
std::string LunarMonthName(int month);  // negative: "闰" + name of -month
// The grid's label for a lunar date: the day's name, or on day 1 the month's name.
std::string LunarLabel(const LunarDate &d);

// The lunar date of the Gregorian day after (year, month, day), a Gregorian
// year, by the given table; nullopt past the table's last day.
std::optional<LunarDate> LunarDateOfNextDay(int year, int month, int day,
                                            LunarTable table = LunarTable::Classic);

// The traditional festival of a lunar date, UTF-8, or "" for none. nextDay is
// the lunar date of the following Gregorian day: 除夕 is the day whose next
// day is 正月初一, however long 腊月 is. Days of a leap month are never festivals.
std::string FestivalName(const LunarDate &day, const LunarDate &nextDay);

// The festival of a Gregorian date, UTF-8, or "" for none: fixed days (元旦,
// 劳动节, 国庆节...) and two by weekday (母亲节, the second Sunday of May;
// 父亲节, the third Sunday of June), each from the year it was first kept
// (1950; 植树节 1979, 教师节 1985).
std::string GregorianFestivalName(int year, int month, int day);

struct DayLabel {
  std::string text;
  bool special = false;  // a festival or a solar term, drawn in its own colour
};
// The grid's label in festival mode for the Gregorian date (year, month,
// dayOfMonth) whose lunar date is day: its lunar festival, else its Gregorian
// festival, else the solar term that falls on it, else LunarLabel.
DayLabel FestivalModeLabel(int year, int month, int dayOfMonth, const LunarDate &day,
                           const LunarDate &nextDay);

// What the month grid shows under the day numbers.
//   Classic    the classic table's labels, for the years 1921 to 2010;
//   Extended   both tables' labels, for every date from 18 February 1912 to 2100;
//   Festivals  as Extended, with festivals and solar terms (FestivalModeLabel).
enum class LabelMode { Classic, Extended, Festivals };

// The label the grid draws for a Gregorian date in mode; nullopt where it
// draws none (outside the mode's years, or a date the table does not hold).
std::optional<DayLabel> GridDayLabel(int year, int month, int day, LabelMode mode);
// The lunar date behind GridDayLabel, by the same years and table.
std::optional<LunarDate> GridLunarDate(int year, int month, int day, LabelMode mode);

// --- Stem-branch (干支) and zodiac ------------------------------------------
// The sixty-day cycle is counted from 甲子 = 0. UTF-8 names, "" outside 0..59.
std::string StemBranchName(int cycle);
// The cycle number of a lunar year (a RocYear): it changes at 正月初一.
int YearStemBranch(int lunarRocYear);
// The zodiac animal of a lunar year (a RocYear): "鼠" .. "猪".
std::string ZodiacName(int lunarRocYear);
// The cycle number of a Gregorian day; the days follow the cycle without a
// break (2026-12-08 is 丙辰, 52).
int DayStemBranch(int year, int month, int day);

}  // namespace lunar
