// Solar terms: the day on which each of the 24 solar terms falls, in China
// Standard Time, for the Gregorian years 1912 to 2100. Read from a table of
// one 24-digit record per year that tools/solar-terms computes from the sun's
// apparent position and writes as solartermtable.cpp; nothing is computed at
// run time.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lunar {

// Years here are Gregorian years.
inline constexpr int FirstSolarTermYear = 1912;
inline constexpr int LastSolarTermYear = 2100;
inline constexpr int SolarTermCount = 24;

// The table's record of a year; nullopt outside 1912..2100. The only way into
// the table.
std::optional<std::string_view> SolarTermYearRecord(int year);

// Terms are numbered in calendar order, 0 = 小寒 .. 23 = 冬至; terms 2 (m - 1)
// and 2 (m - 1) + 1 fall in Gregorian month m. UTF-8; "" for a number outside 0..23.
std::string SolarTermName(int term);
// The day of the month on which a term falls; nullopt for a year or term the
// table does not hold.
std::optional<int> SolarTermDay(int year, int term);
// The term that falls on a Gregorian date; nullopt when none does, for a date
// outside 1912..2100, or for a date that does not exist.
std::optional<int> SolarTermOn(int year, int month, int day);

}  // namespace lunar
