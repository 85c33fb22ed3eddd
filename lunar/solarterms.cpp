#include "solarterms.h"

#include "lunar.h"

#include <array>

namespace lunar {

namespace {
constexpr std::array<const char *, SolarTermCount> TermNames = {
    "小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至",
    "小暑", "大暑", "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至",
};

// A record holds the first term of a month as its day and the second as its
// day minus 15, so every day fits one digit.
constexpr int SecondTermOffset = 15;
}  // namespace

std::string SolarTermName(int term) {
  if (term < 0 || term >= SolarTermCount)
    return {};
  return TermNames[static_cast<size_t>(term)];
}

std::optional<int> SolarTermDay(int year, int term) {
  const std::optional<std::string_view> record = SolarTermYearRecord(year);
  if (!record || term < 0 || term >= SolarTermCount)
    return std::nullopt;
  const int digit = (*record)[static_cast<size_t>(term)] - '0';
  return term % 2 == 0 ? digit : digit + SecondTermOffset;
}

std::optional<int> SolarTermOn(int year, int month, int day) {
  if (day < 1 || day > SolarMonthLength(year, month))
    return std::nullopt;
  for (int term = 2 * (month - 1); term < 2 * month; ++term) {
    if (SolarTermDay(year, term) == day)
      return term;
  }
  return std::nullopt;
}

}  // namespace lunar
