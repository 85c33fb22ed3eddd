#include "repeats.h"

#include "clock.h"
#include "gbk.h"

#include <algorithm>
#include <cstdlib>

namespace repeats {

namespace {

// Lunar years are numbered by the Gregorian year in which they begin; the
// table numbers them from 1912 as 1.
constexpr int kRocOffset = 1911;

int gregorianDay(int year, int month, int day) {
  const int length = lunar::SolarMonthLength(year, month);
  // 29 February falls on the 28th in common years; day 0 is the last day.
  return day == 0 || day > length ? length : day;
}

int64_t gregorianOccurrence(const SREPEATDATA &r, int year) {
  return calixo::dayNumber(year, r.Month, gregorianDay(year, r.Month, r.Day));
}

void sortOccurrences(std::vector<SOccurrence> &out, const std::vector<SREPEATDATA> &list) {
  std::stable_sort(out.begin(), out.end(), [&list](const SOccurrence &a, const SOccurrence &b) {
    if (a.DayNumber != b.DayNumber)
      return a.DayNumber < b.DayNumber;
    const SREPEATDATA &ra = list[a.Index], &rb = list[b.Index];
    const int ta = ra.Hour * 60 + ra.Minute, tb = rb.Hour * 60 + rb.Minute;
    if (ta != tb)
      return ta < tb;
    return a.Index < b.Index;
  });
}

}  // namespace

std::string invalidReason(const SREPEATDATA &r) {
  if (r.Kind == 'G') {
    if (r.Month < 1 || r.Month > 12)
      return "a Gregorian month must be 1 to 12";
    if (r.Day < 0 || r.Day > lunar::SolarMonthLength(2000, r.Month))
      return "the Gregorian month has no such day";
  } else if (r.Kind == 'L') {
    if (r.Month == 0 || r.Month < -12 || r.Month > 12)
      return "a lunar month must be 1 to 12, or -1 to -12 for a leap month";
    if (r.Day < 0 || r.Day > 30)
      return "a lunar day must be 0 to 30";
  } else {
    return "KIND must be L or G";
  }
  if (r.Hour < 0 || r.Hour > 23 || r.Minute < 0 || r.Minute > 59)
    return "the time of day is out of range";
  if (r.Ahead < 0 || r.Ahead > kMaxAhead)
    return "AHEAD must be 0 to 999";
  if (r.Year < 0 || r.Year > 9999)
    return "YEAR must be 0 to 9999";
  return {};
}

std::optional<LunarYearMonths> LunarYearMonths::of(int year, lunar::LunarTable table) {
  const std::optional<lunar::LunarYearInfo> info = lunar::LoadLunarYear(year - kRocOffset, table);
  if (!info)
    return std::nullopt;
  LunarYearMonths m;
  int64_t start = calixo::dayNumber(year, 1, 1) + info->DaysBeforeNewYear;
  for (int month = 1; month <= 12; ++month) {
    m.m_start[month] = start;
    m.m_length[month] = info->LunarMonthDays[static_cast<size_t>(month)];
    start += m.m_length[month];
    if (month == info->LeapMonth) {
      m.m_leapMonth = month;
      m.m_leapStart = start;
      m.m_leapLength = info->LeapDays;
      start += m.m_leapLength;
    }
  }
  // The grid dates January and February before the next new year by counting
  // back from that new year; in four classic years (1915, 1930, 1932, 1943)
  // that count and the count from this new year meet a day apart.
  m.m_nextJanuary = calixo::dayNumber(year + 1, 1, 1);
  if (const auto next = lunar::LoadLunarYear(year + 1 - kRocOffset, table))
    m.m_shift = m.m_nextJanuary + next->DaysBeforeNewYear - start;
  return m;
}

int64_t LunarYearMonths::dayOf(int month, int day) const {
  // A leap-month date falls in its leap month; in a year without that leap
  // month, in the ordinary month of its number. An ordinary month's date
  // never falls in the leap month.
  int64_t start;
  int length;
  if (month < 0 && -month == m_leapMonth) {
    start = m_leapStart;
    length = m_leapLength;
  } else {
    const int m = std::abs(month);
    start = m_start[m];
    length = m_length[m];
  }
  // 三十 in a 29-day month, and day 0, fall on the month's last day.
  const int d = day == 0 || day > length ? length : day;
  const int64_t forward = start + d - 1;
  if (forward < m_nextJanuary || m_shift == 0)
    return forward;
  // From 1 January on, the day the grid shows with this date; a date the
  // grid skips falls on 1 January, with the date after it.
  return std::max(forward + m_shift, m_nextJanuary);
}

std::optional<int64_t> occurrenceIn(const SREPEATDATA &r, int year, lunar::LunarTable table) {
  if (!invalidReason(r).empty())
    return std::nullopt;
  if (r.Kind == 'G')
    return gregorianOccurrence(r, year);
  const std::optional<LunarYearMonths> months = LunarYearMonths::of(year, table);
  if (!months)
    return std::nullopt;
  return months->dayOf(r.Month, r.Day);
}

std::vector<SOccurrence> occurrencesBetween(const std::vector<SREPEATDATA> &list, int64_t first,
                                            int64_t last, lunar::LunarTable table) {
  std::vector<SOccurrence> out;
  if (last < first)
    return out;
  int y0, y1, m, d;
  calixo::dateFromDayNumber(first, y0, m, d);
  calixo::dateFromDayNumber(last, y1, m, d);
  // A lunar year that begins in Gregorian year y ends before March of y + 1,
  // so the lunar years that can touch the range begin in y0 - 1 to y1.
  std::vector<std::optional<LunarYearMonths>> lunarYears;
  for (int y = y0 - 1; y <= y1; ++y)
    lunarYears.push_back(LunarYearMonths::of(y, table));
  for (size_t i = 0; i < list.size(); ++i) {
    const SREPEATDATA &r = list[i];
    if (!invalidReason(r).empty())
      continue;
    for (int y = y0 - 1; y <= y1; ++y) {
      int64_t day;
      if (r.Kind == 'G') {
        if (y < y0)
          continue;
        day = gregorianOccurrence(r, y);
      } else {
        const auto &months = lunarYears[static_cast<size_t>(y - (y0 - 1))];
        if (!months)
          continue;
        day = months->dayOf(r.Month, r.Day);
      }
      if (day >= first && day <= last)
        out.push_back({day, y, i});
    }
  }
  sortOccurrences(out, list);
  return out;
}

std::vector<SOccurrence> occurrencesInMonth(const std::vector<SREPEATDATA> &list, int year,
                                            int month, lunar::LunarTable table) {
  const int64_t first = calixo::dayNumber(year, month, 1);
  return occurrencesBetween(list, first, first + lunar::SolarMonthLength(year, month) - 1, table);
}

std::optional<SOccurrence> nextOccurrence(const SREPEATDATA &r, int64_t from,
                                          lunar::LunarTable table) {
  int y, m, d;
  calixo::dateFromDayNumber(from, y, m, d);
  // The occurrences of consecutive years come in order, so the first one on
  // or after the day is the answer.
  for (int year = y - 1; year <= y + 1; ++year) {
    const std::optional<int64_t> day = occurrenceIn(r, year, table);
    if (day && *day >= from)
      return SOccurrence{*day, year, 0};
  }
  return std::nullopt;
}

std::string dateName(const SREPEATDATA &r) {
  if (r.Kind == 'G') {
    std::string s = "公历" + std::to_string(r.Month) + "月";
    return s + (r.Day == 0 ? std::string("最后一天") : std::to_string(r.Day) + "日");
  }
  return "农历" + lunar::LunarMonthName(r.Month) +
         (r.Day == 0 ? std::string("最后一天") : lunar::LunarDayName(r.Day));
}

std::string countName(const SREPEATDATA &r, int occurrenceYear) {
  if (r.Year <= 0 || occurrenceYear <= r.Year)
    return {};
  const int n = occurrenceYear - r.Year;
  if (calixo::gbkToUtf8(r.Text).find("生日") != std::string::npos)
    return "第" + std::to_string(n) + "个生日";
  return std::to_string(n) + "周年";
}

std::string reminderText(const SREPEATDATA &r, int daysUntil) {
  const std::string when = daysUntil == 0 ? std::string("今天") : std::to_string(daysUntil) + "天后";
  return when + "：" + calixo::gbkToUtf8(r.Text) + "（" + dateName(r) + "）";
}

std::vector<SReminder> remindersDue(const std::vector<SREPEATDATA> &list, int64_t today, int hour,
                                    int minute, lunar::LunarTable table) {
  std::vector<SReminder> due;
  for (size_t i = 0; i < list.size(); ++i) {
    const SREPEATDATA &r = list[i];
    if (r.SetFlag != 1 || r.Hour != hour || r.Minute != minute || r.Fired == today)
      continue;
    const std::optional<SOccurrence> next = nextOccurrence(r, today, table);
    if (next && next->DayNumber - today <= r.Ahead)
      due.push_back({i, static_cast<int>(next->DayNumber - today)});
  }
  return due;
}

}  // namespace repeats
