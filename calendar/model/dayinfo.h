// dayinfo: the whole date of one day, as the month grid shows it when the
// pointer rests on the day: the Gregorian date and weekday, the lunar date
// with the year's stem-branch and zodiac, the day's stem-branch, its
// festivals, solar term and statutory holiday, and its plans. The window
// gathers the plans and the holiday and shows the lines; the text is made
// here, without a window. UTF-8 throughout.
#pragma once

#include "lunar.h"

#include <optional>
#include <string>
#include <vector>

// A statutory holiday or make-up workday, as the holiday calendar gives it.
struct SDayHoliday {
  std::string Name;  // as in the notice, "国庆节"
  bool Off = true;   // true: a day off (休), false: a make-up workday (班)
};

struct SDayPlan {
  int Hour = 0, Minute = 0;
  std::string Text;
};

// How many plans the description lists by name; the rest are only counted.
inline constexpr size_t kPlansListed = 3;

// The lines for the Gregorian date (year, month, day). The lunar lines follow
// the grid's mode (none where the grid shows no lunar label); festivals and
// the solar term only in festival mode. plans in any order; the earliest are
// listed.
std::vector<std::string> DayDescription(int year, int month, int day, lunar::LabelMode mode,
                                        const std::optional<SDayHoliday> &holiday,
                                        std::vector<SDayPlan> plans);
