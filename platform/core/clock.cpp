#include "clock.h"

#include <ctime>
#include <sys/time.h>

namespace calixo {

namespace {
const SystemClock g_systemClock;
const Clock *g_clock = nullptr;

// Howard Hinnant's days-from-civil, shifted so that 1899-12-30 is day 0.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}
constexpr int64_t kEpoch1899 = -25569;  // daysFromCivil(1899, 12, 30)
}  // namespace

LocalDateTime SystemClock::now() const {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm tm{};
  time_t secs = tv.tv_sec;
  localtime_r(&secs, &tm);
  LocalDateTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.msec = static_cast<int>(tv.tv_usec / 1000);
  return t;
}

void ManualClock::advanceMs(int64_t ms) {
  constexpr int64_t kDayMs = 86400000;
  int64_t total = ((static_cast<int64_t>(m_now.hour) * 60 + m_now.minute) * 60 + m_now.second) * 1000 +
                  m_now.msec + ms;
  int64_t dayShift = total / kDayMs;
  total %= kDayMs;
  if (total < 0) {
    total += kDayMs;
    --dayShift;
  }
  dateFromDayNumber(dayNumber(m_now.year, m_now.month, m_now.day) + dayShift, m_now.year, m_now.month,
                    m_now.day);
  m_now.msec = static_cast<int>(total % 1000);
  total /= 1000;
  m_now.second = static_cast<int>(total % 60);
  total /= 60;
  m_now.minute = static_cast<int>(total % 60);
  m_now.hour = static_cast<int>(total / 60);
}

const Clock &clock() { return g_clock ? *g_clock : g_systemClock; }
void setClock(const Clock *c) { g_clock = c; }

int64_t dayNumber(int year, int month, int day) {
  return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch1899;
}

void dateFromDayNumber(int64_t n, int &year, int &month, int &day) {
  int64_t z = n + kEpoch1899 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<int>(y + (m <= 2));
  month = static_cast<int>(m);
  day = static_cast<int>(d);
}

int weekday(int year, int month, int day) {
  // 1899-12-30 was a Saturday.
  int64_t w = (dayNumber(year, month, day) + 6) % 7;
  return static_cast<int>(w < 0 ? w + 7 : w);
}

}  // namespace calixo
