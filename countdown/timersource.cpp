#include "timersource.h"

#include <algorithm>

namespace calixo {

class ManualTimerSource::Timer final : public CountdownTimer {
public:
  explicit Timer(ManualTimerSource *source) : m_source(source) {}
  ~Timer() override {
    if (m_source) {
      auto &v = m_source->m_timers;
      v.erase(std::find(v.begin(), v.end(), this));
    }
  }
  void setInterval(int ms) override {
    m_interval = ms;
    if (m_enabled)
      arm();
  }
  int interval() const override { return m_interval; }
  void setEnabled(bool on) override {
    m_enabled = on;
    if (on)
      arm();
  }
  bool enabled() const override { return m_enabled && m_interval > 0; }

  void arm() { m_due = m_source->m_now + m_interval; }

  ManualTimerSource *m_source;
  int m_interval = 1000;
  bool m_enabled = false;
  int64_t m_due = 0;
};

ManualTimerSource::ManualTimerSource() = default;

ManualTimerSource::~ManualTimerSource() {
  for (Timer *t : m_timers)
    t->m_source = nullptr;
}

std::unique_ptr<CountdownTimer> ManualTimerSource::createTimer() {
  auto t = std::make_unique<Timer>(this);
  m_timers.push_back(t.get());
  return t;
}

ManualTimerSource::Timer *ManualTimerSource::nextDue(int64_t until) const {
  Timer *best = nullptr;
  for (Timer *t : m_timers)
    if (t->enabled() && t->m_due <= until && (!best || t->m_due < best->m_due))
      best = t;
  return best;
}

void ManualTimerSource::advance(int64_t ms) {
  const int64_t until = m_now + ms;
  while (Timer *t = nextDue(until)) {
    m_now = std::max(m_now, t->m_due);
    // The next period counts from this firing, as a toolkit timer's does;
    // the handler may disable or re-arm the timer.
    t->m_due = m_now + t->m_interval;
    if (t->OnTimer)
      t->OnTimer();
  }
  m_now = std::max(m_now, until);
}

}  // namespace calixo
