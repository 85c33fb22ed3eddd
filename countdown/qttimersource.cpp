#include "qttimersource.h"

#include <QTimer>

namespace calixo {

namespace {

class QtCountdownTimer final : public CountdownTimer {
public:
  QtCountdownTimer() {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1000);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
      if (OnTimer)
        OnTimer();
    });
  }
  void setInterval(int ms) override {
    m_timer.setInterval(ms);
    if (m_enabled)
      restart();
  }
  int interval() const override { return m_timer.interval(); }
  void setEnabled(bool on) override {
    m_enabled = on;
    if (on)
      restart();
    else
      m_timer.stop();
  }
  bool enabled() const override { return m_enabled; }

private:
  void restart() {
    // An interval of 0 would fire on every pass of the event loop; such a
    // timer stays quiet instead.
    if (m_timer.interval() > 0)
      m_timer.start();
    else
      m_timer.stop();
  }
  QTimer m_timer;
  bool m_enabled = false;
};

class QtTimerSource final : public TimerSource {
public:
  std::unique_ptr<CountdownTimer> createTimer() override {
    return std::make_unique<QtCountdownTimer>();
  }
};

}  // namespace

TimerSource &qtTimerSource() {
  static QtTimerSource source;
  return source;
}

}  // namespace calixo
