// reminders: which stored reminders come due as the clock moves. A Source
// hands out the set reminders of a date as small values (date, time, text,
// kind and a way to clear them where they are stored); the Schedule keeps
// today's, and each Advance with the clock's "now" returns those whose minute
// came since the last call, in time order, each exactly once. Everything a
// minute, an hour or a night of sleep skips comes due at the next Advance;
// a date change says so, so that the window can move to the new day. The
// driver shows or runs what comes due and clears it once it was shown.
#pragma once

#include "clock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace reminders {

enum class Kind { Alarm, Run };

struct DueItem {
  int64_t Day = 0;  // calixo::dayNumber of its date
  int Hour = 0, Minute = 0;
  std::string Text;  // GBK, as stored
  Kind kind = Kind::Alarm;
  int64_t Ref = -1;  // the source's own reference (a record number)
  // Marks the reminder done where it is stored (may be empty).
  std::function<void()> Clear;

  int minuteOfDay() const { return Hour * 60 + Minute; }
};

class Source {
public:
  virtual ~Source() = default;
  // The set reminders of a date, in the order they were stored.
  virtual std::vector<DueItem> ItemsOf(int64_t day) = 0;
  // The set reminders of every date before day, in any order.
  virtual std::vector<DueItem> ItemsBefore(int64_t day) = 0;
};

struct Advanced {
  std::vector<DueItem> Due;  // in time order
  bool DateChanged = false;
  int64_t OldDay = 0, NewDay = 0;
};

class Schedule {
public:
  explicit Schedule(Source &source) : m_source(source) {}

  // The program starts at now: reminders of now's date already stored for
  // its minute come due at the first Advance, later ones at their minute;
  // earlier ones are not awaited. One set during the start minute waits for
  // no minute: it is not awaited.
  void Start(const calixo::LocalDateTime &now);
  bool Started() const { return m_started; }
  // Today's reminders were set, cancelled or edited: read them again. The
  // minutes already passed stay passed.
  void Reload();
  // What came due since the last call. Forward jumps (sleep, a clock set
  // ahead, midnight) hand out every reminder they skipped, the rest of the
  // old date included; a clock set back awaits again from its new minute.
  Advanced Advance(const calixo::LocalDateTime &now);
  // The set reminders of the dates before the start date, oldest first.
  std::vector<DueItem> Missed();

  // The next reminder awaited today, or nullptr.
  const DueItem *Next() const;
  int64_t Today() const { return m_day; }

private:
  void load();

  Source &m_source;
  bool m_started = false;
  int64_t m_day = 0;
  int m_seen = -1;  // the last minute of m_day handed out, as minuteOfDay
  std::vector<DueItem> m_today;  // sorted by minute, ties in stored order
  std::vector<DueItem> m_startDue;  // stored for the start minute, not yet handed out
};

// "7:05": how a reminder's time is shown.
std::string TimeText(int hour, int minute);

}  // namespace reminders
