// The one place the program asks for "now". Every window and table operation
// reads local time through calixo::clock(); the program installs the system
// clock, tests install a ManualClock and start wherever they like (06:59:59,
// the 1st of March, ...).
#pragma once

#include <cstdint>

namespace calixo {

struct LocalDateTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, msec = 0;

  bool sameDate(int y, int m, int d) const { return year == y && month == m && day == d; }
};

class Clock {
public:
  virtual ~Clock() = default;
  virtual LocalDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
  LocalDateTime now() const override;
};

// A clock that only moves when told to; the day and time roll over like a
// calendar's.
class ManualClock final : public Clock {
public:
  explicit ManualClock(LocalDateTime start) : m_now(start) {}
  LocalDateTime now() const override { return m_now; }
  void set(LocalDateTime t) { m_now = t; }
  void advanceMs(int64_t ms);

private:
  LocalDateTime m_now;
};

// The process-wide clock; the system clock unless a test installed another.
const Clock &clock();
// Installs c (not owned) as the process-wide clock; nullptr restores the system clock.
void setClock(const Clock *c);

// Days since 30 December 1899 for a Gregorian date (1 January 2000 is 36526).
int64_t dayNumber(int year, int month, int day);
// The inverse of dayNumber.
void dateFromDayNumber(int64_t n, int &year, int &month, int &day);
// 0 = Sunday ... 6 = Saturday.
int weekday(int year, int month, int day);

}  // namespace calixo
