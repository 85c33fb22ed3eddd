#include "schedule.h"

#include <algorithm>
#include <cstdio>

namespace reminders {

namespace {

// A clock jump of many days hands out at most this many skipped dates; older
// ones are left for the next start's catch-up.
constexpr int64_t kMaxSkippedDays = 31;

int minuteOf(const calixo::LocalDateTime &t) { return t.hour * 60 + t.minute; }

void sortByTime(std::vector<DueItem> &items) {
  std::stable_sort(items.begin(), items.end(), [](const DueItem &a, const DueItem &b) {
    return a.Day != b.Day ? a.Day < b.Day : a.minuteOfDay() < b.minuteOfDay();
  });
}

void takeBetween(const std::vector<DueItem> &items, int after, int upTo, std::vector<DueItem> &out) {
  for (const DueItem &i : items)
    if (i.minuteOfDay() > after && i.minuteOfDay() <= upTo)
      out.push_back(i);
}

}  // namespace

std::string TimeText(int hour, int minute) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d:%02d", hour, minute);
  return buf;
}

void Schedule::load() {
  m_today = m_source.ItemsOf(m_day);
  sortByTime(m_today);
}

void Schedule::Start(const calixo::LocalDateTime &now) {
  m_started = true;
  m_day = calixo::dayNumber(now.year, now.month, now.day);
  m_seen = minuteOf(now);
  load();
  // A start that takes a few seconds past a reminder's minute (or past
  // midnight) must not lose it.
  m_startDue.clear();
  takeBetween(m_today, m_seen - 1, m_seen, m_startDue);
}

void Schedule::Reload() {
  if (m_started)
    load();
}

Advanced Schedule::Advance(const calixo::LocalDateTime &now) {
  Advanced a;
  if (!m_started)
    return a;
  const int64_t day = calixo::dayNumber(now.year, now.month, now.day);
  const int minute = minuteOf(now);
  a.Due = std::move(m_startDue);
  m_startDue.clear();
  if (day == m_day) {
    if (minute > m_seen)
      takeBetween(m_today, m_seen, minute, a.Due);
    m_seen = minute;
    return a;
  }
  a.DateChanged = true;
  a.OldDay = m_day;
  a.NewDay = day;
  if (day > m_day) {
    takeBetween(m_today, m_seen, 24 * 60, a.Due);
    for (int64_t d = std::max(m_day + 1, day - kMaxSkippedDays); d < day; ++d) {
      std::vector<DueItem> skipped = m_source.ItemsOf(d);
      sortByTime(skipped);
      a.Due.insert(a.Due.end(), skipped.begin(), skipped.end());
    }
    m_day = day;
    load();
    takeBetween(m_today, -1, minute, a.Due);
  } else {
    m_day = day;
    load();
  }
  m_seen = minute;
  return a;
}

std::vector<DueItem> Schedule::Missed() {
  std::vector<DueItem> items = m_source.ItemsBefore(m_day);
  sortByTime(items);
  return items;
}

const DueItem *Schedule::Next() const {
  for (const DueItem &i : m_today)
    if (i.minuteOfDay() > m_seen)
      return &i;
  return nullptr;
}

}  // namespace reminders
