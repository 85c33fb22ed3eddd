#include "alarmclock.h"

#include "clock.h"
#include "dayrows.h"
#include "gbk.h"
#include "mainform.h"
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
  TimerClock->start();
}

void TAlarmClock::ArmNextAlarm(int year, int month, int day) {
  if (!m_form)
    return;
  TimerClock->stop();
  TTimeList entries;
  m_form->LoadDayEntries(year, month, day, entries);
  NextAlarm.Armed = 0;
  const calixo::LocalDateTime now = calixo::clock().now();
  if (const STIMELISTDATAPtr e = EarliestAlarmAfter(entries, timeOfDayNumber(now.hour, now.minute))) {
    NextAlarm = *e;
    NextAlarm.Armed = 1;
  }
  TimerClock->start();
}

void TAlarmClock::OnTimerClockTimer() {
  const calixo::LocalDateTime now = calixo::clock().now();
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
  calixo::showMessage(calixo::fromGbk(entry.Text), m_form);
}
