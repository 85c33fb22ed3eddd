#include "alarmclock.h"

#include "clock.h"
#include "dayrows.h"
#include "gbk.h"
#include "mainform.h"
#include "reminders.h"
#include "shellopen.h"
#include "ui.h"

#include <QTimer>

TAlarmClock::TAlarmClock(TMainForm *form) : QObject(form), m_form(form) {
  setObjectName(QStringLiteral("AlarmClock"));
  TimerClock = new QTimer(this);
  TimerClock->setObjectName(QStringLiteral("TimerClock"));
  TimerClock->setInterval(1000);
  connect(TimerClock, &QTimer::timeout, this, &TAlarmClock::OnTimerClockTimer);
  form->setAlarmClock([this](int y, int m, int d) { ArmNextAlarm(y, m, d); });
  const calixo::LocalDateTime today = calixo::clock().now();
  m_armedDay = calixo::dayNumber(today.year, today.month, today.day);
  TimerClock->start();
}

void TAlarmClock::ArmNextAlarm(int year, int month, int day) {
  const calixo::LocalDateTime now = calixo::clock().now();
  arm(year, month, day, timeOfDayNumber(now.hour, now.minute));
}

void TAlarmClock::arm(int year, int month, int day, int after) {
  if (!m_form)
    return;
  TimerClock->stop();
  TTimeList entries;
  m_form->LoadDayEntries(year, month, day, entries);
  NextAlarm.Armed = 0;
  m_armedDay = calixo::dayNumber(year, month, day);
  if (const STIMELISTDATAPtr e = EarliestAlarmAfter(entries, after)) {
    NextAlarm = *e;
    NextAlarm.Armed = 1;
  }
  TimerClock->start();
}

void TAlarmClock::OnTimerClockTimer() {
  const calixo::LocalDateTime now = calixo::clock().now();
  // Anniversaries' reminders, looked at once a minute.
  if (m_form)
    m_form->TickRepeats(now.year, now.month, now.day, now.hour, now.minute);
  if (m_form && calixo::dayNumber(now.year, now.month, now.day) != m_armedDay) {
    // A new date: what was armed belongs to another day and never fires
    // late. The new date's entries are awaited from this very minute on, so
    // that one at 0:00 fires at the first tick after midnight.
    arm(now.year, now.month, now.day, timeOfDayNumber(now.hour, now.minute) - 1);
  }
  const int minuteNow = timeOfDayNumber(now.hour, now.minute);
  if (m_form && NextAlarm.Armed && timeOfDayNumber(NextAlarm.Hour, NextAlarm.Minute) < minuteNow) {
    // Its minute went by unseen (the machine slept, the clock was set
    // forward): it is not fired late, but the day's later entries are
    // still awaited.
    arm(now.year, now.month, now.day, minuteNow - 1);
  }
  if (!NextAlarm.Armed || NextAlarm.Hour != now.hour || NextAlarm.Minute != now.minute || !m_form)
    return;
  // Disarmed before anything else: a message box runs a nested event loop in
  // which this tick goes on, and a set or cancel may re-arm meanwhile, so the
  // entry being fired is a copy of its own.
  NextAlarm.Armed = 0;
  const STIMELISTDATA entry = NextAlarm;
  m_form->ClearAlarm(entry.RecNo);
  fire(entry);
  if (!m_form)
    return;
  const calixo::LocalDateTime today = calixo::clock().now();
  ArmNextAlarm(today.year, today.month, today.day);
  if (today.sameDate(SelYear, SelMonth, SelDay))
    m_form->RefreshMonth();
}

void TAlarmClock::fire(const STIMELISTDATA &entry) {
  if (entry.RunFlag == 1) {
    // The result is ignored: a text that names nothing fails quietly.
    calixo::shellOpen(calixo::gbkToUtf8(entry.Text));
    return;
  }
  calixo::remind({calixo::reminderTime(entry.Hour, entry.Minute), calixo::fromGbk(entry.Text)}, m_form);
}
