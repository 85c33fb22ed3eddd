// The countdown's timers behind a seam: the window asks a TimerSource for
// its three timers, the program's source makes them from QTimer
// (qtTimerSource, qttimersource.h), and tests use a ManualTimerSource whose
// time moves only when told to.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace calixo {

// A periodic timer in the toolkit's manner: while enabled it fires every
// interval; enabling it, or changing the interval while it is enabled,
// starts a full interval afresh.
class CountdownTimer {
public:
  virtual ~CountdownTimer() = default;
  virtual void setInterval(int ms) = 0;
  virtual int interval() const = 0;
  virtual void setEnabled(bool on) = 0;
  virtual bool enabled() const = 0;

  std::function<void()> OnTimer;
};

class TimerSource {
public:
  virtual ~TimerSource() = default;
  virtual std::unique_ptr<CountdownTimer> createTimer() = 0;
};

// Timers on a virtual time line that moves only by advance(). Timers due at
// the same moment fire in the order they were created. advance may be called
// again from inside a handler (as a modal box runs a nested event loop);
// the outer call then goes on from wherever the inner one stopped.
class ManualTimerSource final : public TimerSource {
public:
  ManualTimerSource();
  ~ManualTimerSource() override;
  std::unique_ptr<CountdownTimer> createTimer() override;

  void advance(int64_t ms);
  int64_t now() const { return m_now; }

private:
  class Timer;
  friend class Timer;
  Timer *nextDue(int64_t until) const;

  int64_t m_now = 0;
  std::vector<Timer *> m_timers;  // in creation order; not owned
};

}  // namespace calixo
