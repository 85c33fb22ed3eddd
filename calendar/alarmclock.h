// The main window's alarm clock: it drives the reminder schedule with
// calixo::clock() once a second and shows or runs what comes due. Reminders
// that come due while a message box is open wait in a queue and are shown
// one after another once it closes, each naming its time when it is late.
// A reminder's SET is cleared only once its box is on the screen or its run
// has started. The date change moves the main window to the new day.
#pragma once

#include "schedule.h"
#include "timetable.h"

#include <QObject>
#include <QPointer>

#include <deque>
#include <memory>

class QTimer;
class TMainForm;

class TAlarmClock : public QObject {
  Q_OBJECT
public:
  // Installs itself as form's alarm clock and starts ticking. The moment of
  // construction counts as the program's start.
  explicit TAlarmClock(TMainForm *form);
  ~TAlarmClock() override;

  // Today's entries changed (or the table was opened): read them again.
  void ArmNextAlarm(int year, int month, int day);
  // The timer event: hands what came due to fire, in time order.
  void OnTimerClockTimer();
  // Before the start-of-month purge: the set entries of earlier dates, shown
  // once in one box unless [Reminders] CatchUp=0.
  void CollectMissed();

  // Shows or runs one reminder and clears it once it reached the person.
  // The one place a reminder is shown; late says it is past its minute.
  void fire(const reminders::DueItem &item, bool late);

  // The next entry awaited today, as a copy; Armed clear when there is none.
  STIMELISTDATA NextAlarm;
  QTimer *TimerClock = nullptr;

private:
  void pump();
  bool boxOpen() const;
  void showMissed();
  void updateNextAlarm();

  QPointer<TMainForm> m_form;
  std::unique_ptr<reminders::Source> m_source;
  std::unique_ptr<reminders::Schedule> m_schedule;
  calixo::LocalDateTime m_startedAt;
  std::deque<reminders::DueItem> m_pending;
  std::vector<reminders::DueItem> m_missed;
  bool m_showing = false;
};
