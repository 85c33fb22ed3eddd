// holidays: China's official days off (休) and make-up working days (班).
// The schedule of 2004 to 2026 is built in (holidaydays.inc, written by
// tools/holidays/holidays.py); each later year is announced in the autumn
// before it, so the user's holidays.txt in the data folder adds years or
// replaces them whole. Plain C++: names are UTF-8.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace holidays {

enum class DayKind { Off, Work };

struct HolidayDay {
  int Year = 0, Month = 0, Day = 0;
  DayKind Kind = DayKind::Off;
  std::string Name;  // UTF-8: 元旦, 春节, 清明节, 劳动节, 端午节, 中秋节, 国庆节...

  bool operator==(const HolidayDay &) const = default;
};

// "休" or "班" (UTF-8).
const char *KindText(DayKind kind);

// The lines of a holidays.txt: "YYYY-MM-DD,休|班,name", "#" comments and
// blank lines ignored. The file may be UTF-8 (with or without a BOM) or GBK;
// bytes that are valid UTF-8 are taken as UTF-8. A bad line is skipped and
// named in Errors ("holidays.txt 第3行：..."), the others are kept.
struct UserHolidays {
  std::vector<HolidayDay> Days;
  std::vector<std::string> Errors;  // UTF-8
};
UserHolidays ParseHolidaysFile(std::string_view bytes, std::string_view fileName);

class HolidaySchedule {
public:
  // The built-in schedule.
  HolidaySchedule();
  // Every year that days lists replaces that year's days here.
  void ReplaceYears(const std::vector<HolidayDay> &days);
  // The day's entry, or nullptr for an ordinary day.
  const HolidayDay *Find(int year, int month, int day) const;
  // Every listed day from (y1, m1, d1) to (y2, m2, d2), both included, in order.
  std::vector<HolidayDay> Between(int y1, int m1, int d1, int y2, int m2, int d2) const;

private:
  std::map<int, HolidayDay> m_days;  // key: yyyymmdd
};

// The built-in schedule with the user's file (when it exists) applied;
// errors gets the file's bad lines, or the reason it could not be read.
HolidaySchedule LoadHolidaySchedule(const std::string &fileName, std::vector<std::string> &errors);

}  // namespace holidays
