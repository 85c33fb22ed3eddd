#include "navigation.h"

#include <limits>

namespace calixo {

namespace {

constexpr int kFirstYear = 1, kLastYear = 9999;

bool leapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int monthLength(int year, int month) {
  static const int lengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return lengths[month] + (month == 2 && leapYear(year) ? 1 : 0);
}

void stepYear(int &SelYear, int &SelMonth, int &SelDay, int delta) {
  const int year = SelYear + delta;
  if (year < kFirstYear || year > kLastYear)
    return;
  if (leapYear(SelYear) && SelMonth == 2 && SelDay == 29)
    SelDay = 28;
  SelYear = year;
}

}  // namespace

void NextYear(int &SelYear, int &SelMonth, int &SelDay) { stepYear(SelYear, SelMonth, SelDay, +1); }

void PrevYear(int &SelYear, int &SelMonth, int &SelDay) { stepYear(SelYear, SelMonth, SelDay, -1); }

void StepMonth(int &SelYear, int &SelMonth, int &SelDay, int delta) {
  // The last day of the month plus one day, or its first day minus one: the
  // neighbouring month, a year further at the ends.
  int year = SelYear, month = SelMonth + (delta > 0 ? 1 : -1);
  if (month > 12) {
    month = 1;
    ++year;
  } else if (month < 1) {
    month = 12;
    --year;
  }
  if (year < kFirstYear || year > kLastYear)
    return;
  const int d = SelDay;
  SelYear = year;
  SelMonth = month;
  const int n = monthLength(year, month);
  SelDay = d < n ? d : n;
}

void StepDays(int &SelYear, int &SelMonth, int &SelDay, int delta) {
  int year = SelYear, month = SelMonth, day = SelDay + delta;
  while (day < 1) {
    if (--month < 1) {
      month = 12;
      --year;
    }
    day += monthLength(year, month);
  }
  while (day > monthLength(year, month)) {
    day -= monthLength(year, month);
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  if (year < kFirstYear || year > kLastYear)
    return;
  SelYear = year;
  SelMonth = month;
  SelDay = day;
}

int textToInt(const std::string &text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  const size_t digits = i;
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
      break;
  }
  if (negative)
    value = -value;
  if (i == digits || i != text.size() || value > std::numeric_limits<int>::max() ||
      value < std::numeric_limits<int>::min())
    throw EConvertError("'" + text + "' is not a valid integer value");
  return static_cast<int>(value);
}

YearMonthCheck applyYearMonth(int year, int month, int &SelYear, int &SelMonth, int &SelDay) {
  if (year > 9999 || year < 1900)
    return YearMonthCheck::BadYear;
  if (month > 12 || month < 1)
    return YearMonthCheck::BadMonth;
  SelYear = year;
  SelMonth = month;
  const int n = monthLength(year, month);
  if (SelDay > n)
    SelDay = n;
  return YearMonthCheck::Applied;
}

}  // namespace calixo
