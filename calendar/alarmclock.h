// The main window's alarm clock: it waits for one entry of the time table,
// NextAlarm, and fires it when its hour and minute come round. Every tick
// only compares times; the table is read when an entry is chosen and written
// when one fires. "Now" comes from calixo::clock(). When the date changes
// (midnight, or a clock set to another day) the entry chosen for the old
// date is dropped and the new date's entries are awaited, from the minute
// the change is seen on.
#pragma once

#include "timetable.h"

#include <QObject>
#include <QPointer>

#include <cstdint>

class QTimer;
class TMainForm;

class TAlarmClock : public QObject {
  Q_OBJECT
public:
  // Installs itself as form's alarm clock and starts ticking.
  explicit TAlarmClock(TMainForm *form);

  // Chooses NextAlarm among the entries of that date.
  void ArmNextAlarm(int year, int month, int day);
  // The timer event: fires NextAlarm when its minute has come.
  void OnTimerClockTimer();

  STIMELISTDATA NextAlarm;  // a copy; Armed clear means nothing is awaited
  QTimer *TimerClock = nullptr;

private:
  // Chooses NextAlarm among that date's entries later than the time of day
  // `after` (hour * 100 + minute).
  void arm(int year, int month, int day, int after);
  void fire(const STIMELISTDATA &entry);

  QPointer<TMainForm> m_form;
  int64_t m_armedDay = 0;  // the date NextAlarm was chosen for, as a day number
};
