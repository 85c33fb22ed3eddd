// repeats: birthdays and anniversaries that come back every year, by the
// lunar or the Gregorian calendar. SREPEATDATA is one record of REPEATS.DBF
// in memory; the functions here say on which Gregorian day it falls in a
// given year, list the occurrences of a month for many anniversaries at once,
// find the next occurrence from a day and decide which reminders are due.
// Lunar dates come from the lunar library's year table, the classic one or
// the extended one as the month grid uses it. Plain C++, no Qt.
#pragma once

#include "lunar.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace repeats {

struct SREPEATDATA {
  char Kind = 'L';       // 'L' lunar, 'G' Gregorian
  int32_t Month = 1;     // 1..12; a lunar leap month as -1..-12
  int32_t Day = 1;       // 1..31 (lunar 1..30); 0 the month's last day
  int32_t Hour = 0, Minute = 0;  // TIME
  int32_t Ahead = 0;     // also remind this many days before
  int32_t SetFlag = 0;   // 1: remind at TIME
  int64_t Fired = 0;     // day number of the last day a reminder fired
  int32_t Year = 0;      // year of the first occurrence, 0 unknown
  std::string Text;      // DO, GBK bytes
  int32_t RecNo = -1;    // record in the table, -1 while unsaved
};

// The largest AHEAD the table's field holds.
inline constexpr int kMaxAhead = 999;

// Empty when r is a date that can come round every year, else why not (in
// English, for error messages): a Gregorian day must exist in that month of
// a leap year (30 February never comes), a lunar day is at most 30.
std::string invalidReason(const SREPEATDATA &r);

// The Gregorian day (a day number, dayNumber of platform/core/clock.h) on
// which r falls in year: the Gregorian year for a Gregorian date, for a lunar
// date the lunar year that begins in that Gregorian year. nullopt when the
// table has no such lunar year or r is not valid.
std::optional<int64_t> occurrenceIn(const SREPEATDATA &r, int year, lunar::LunarTable table);

// Where each month of one lunar year begins and how long it is; built once
// and asked for any number of dates.
class LunarYearMonths {
public:
  // nullopt when the table has no record of that lunar year.
  static std::optional<LunarYearMonths> of(int year, lunar::LunarTable table);
  // The day number of the lunar month/day of this year by the rules of
  // where a date falls (leap month, short month, day 0).
  int64_t dayOf(int month, int day) const;
  int leapMonth() const { return m_leapMonth; }

private:
  int64_t m_start[13] = {};
  int m_length[13] = {};
  int64_t m_leapStart = 0;
  int m_leapLength = 0;
  int m_leapMonth = 0;  // 0 when the year has none
  int64_t m_nextJanuary = 0;  // 1 January of the following Gregorian year
  int64_t m_shift = 0;        // where the next new year is, less where the months end
};

struct SOccurrence {
  int64_t DayNumber = 0;
  int Year = 0;          // the year it belongs to, lunar or Gregorian as r's Kind
  size_t Index = 0;      // position in the list it was computed for
};

// Every occurrence that falls in the Gregorian month (year, month), ordered
// by day, then time of day, then list position. Each lunar year concerned is
// looked up once, so the cost is one table look-up per year plus constant
// work per anniversary.
std::vector<SOccurrence> occurrencesInMonth(const std::vector<SREPEATDATA> &list, int year,
                                            int month, lunar::LunarTable table);
// Every occurrence from day number first to last, both included, in the
// same order.
std::vector<SOccurrence> occurrencesBetween(const std::vector<SREPEATDATA> &list, int64_t first,
                                            int64_t last, lunar::LunarTable table);

// The first occurrence of r on or after day number from; nullopt when the
// table ends before one.
std::optional<SOccurrence> nextOccurrence(const SREPEATDATA &r, int64_t from,
                                          lunar::LunarTable table);

// The date as the user gave it, UTF-8: "农历八月十五", "农历闰四月初一",
// "农历腊月最后一天", "公历2月29日", "公历1月最后一天".
std::string dateName(const SREPEATDATA &r);
// Where YEAR is known and the occurrence is later: "第N个生日" when the
// text names a birthday (生日), else "N周年"; else "".
std::string countName(const SREPEATDATA &r, int occurrenceYear);
// The reminder's text, UTF-8: "3天后：妈妈生日（农历八月十五）", on the day
// itself "今天：妈妈生日（农历八月十五）".
std::string reminderText(const SREPEATDATA &r, int daysUntil);

struct SReminder {
  size_t Index = 0;
  int DaysUntil = 0;
};
// The reminders due at hour:minute of the day today (a day number): those set
// to remind at that minute, not yet fired today, whose next occurrence is
// today or at most AHEAD days away.
std::vector<SReminder> remindersDue(const std::vector<SREPEATDATA> &list, int64_t today, int hour,
                                    int minute, lunar::LunarTable table);

}  // namespace repeats
