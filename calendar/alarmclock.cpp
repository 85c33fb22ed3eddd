#include "alarmclock.h"

#include "calixoini.h"
#include "clock.h"
#include "gbk.h"
#include "mainform.h"
#include "reminders.h"
#include "shellopen.h"
#include "ui.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace {

// The time table as a source of reminders: its set entries, cleared by date
// and minute so that a compaction or another copy of the program moving the
// record never clears the wrong one.
class TimeTableSource : public reminders::Source {
public:
  explicit TimeTableSource(TMainForm *form) : m_form(form) {}

  std::vector<reminders::DueItem> ItemsOf(int64_t day) override {
    std::vector<reminders::DueItem> out;
    if (!m_form)
      return out;
    int y = 0, m = 0, d = 0;
    calixo::dateFromDayNumber(day, y, m, d);
    TTimeList entries;
    m_form->LoadDayEntries(y, m, d, entries);
    for (const STIMELISTDATAPtr &e : entries)
      if (e->SetFlag != 0)
        out.push_back(item(day, *e));
    return out;
  }

  std::vector<reminders::DueItem> ItemsBefore(int64_t day) override {
    std::vector<reminders::DueItem> out;
    if (!m_form)
      return out;
    TTimeList entries;
    std::vector<int64_t> days;
    m_form->timeTable().LoadSetEntriesBefore(day, entries, days);
    for (size_t i = 0; i < entries.size(); ++i)
      out.push_back(item(days[i], *entries[i]));
    return out;
  }

private:
  reminders::DueItem item(int64_t day, const STIMELISTDATA &e) {
    reminders::DueItem i;
    i.Day = day;
    i.Hour = e.Hour;
    i.Minute = e.Minute;
    i.Text = e.Text;
    i.kind = e.RunFlag == 1 ? reminders::Kind::Run : reminders::Kind::Alarm;
    i.Ref = e.RecNo;
    QPointer<TMainForm> form = m_form;
    const int recNo = e.RecNo, hour = e.Hour, minute = e.Minute;
    i.Clear = [form, recNo, day, hour, minute] {
      if (form)
        form->timeTable().ClearAlarmAt(recNo, day, hour, minute);
    };
    return i;
  }

  QPointer<TMainForm> m_form;
};

// The plans' alarms and runs, and the reminders of birthdays and
// anniversaries on the days they fall on or the days ahead of them: one
// schedule, so that both follow the same rules for boxes, midnight and sleep.
class AllReminders : public reminders::Source {
public:
  explicit AllReminders(TMainForm *form) : m_plans(form), m_form(form) {}

  std::vector<reminders::DueItem> ItemsOf(int64_t day) override {
    std::vector<reminders::DueItem> out = m_plans.ItemsOf(day);
    if (m_form) {
      std::vector<reminders::DueItem> more = m_form->AnniversaryRemindersOf(day);
      out.insert(out.end(), more.begin(), more.end());
    }
    return out;
  }
  std::vector<reminders::DueItem> ItemsBefore(int64_t day) override {
    std::vector<reminders::DueItem> out = m_plans.ItemsBefore(day);
    if (m_form) {
      std::vector<reminders::DueItem> more = m_form->MissedAnniversaryReminders(day);
      out.insert(out.end(), more.begin(), more.end());
    }
    return out;
  }

private:
  TimeTableSource m_plans;
  QPointer<TMainForm> m_form;
};

QString dateText(int64_t day) {
  int y = 0, m = 0, d = 0;
  calixo::dateFromDayNumber(day, y, m, d);
  return QStringLiteral("%1-%2-%3").arg(y).arg(m, 2, 10, QLatin1Char('0')).arg(d, 2, 10, QLatin1Char('0'));
}

QString timeText(const reminders::DueItem &i) {
  return QString::fromStdString(reminders::TimeText(i.Hour, i.Minute));
}

}  // namespace

TAlarmClock::TAlarmClock(TMainForm *form)
    : QObject(form), m_form(form), m_source(std::make_unique<AllReminders>(form)),
      m_schedule(std::make_unique<reminders::Schedule>(*m_source)), m_startedAt(calixo::clock().now()) {
  setObjectName(QStringLiteral("AlarmClock"));
  TimerClock = new QTimer(this);
  TimerClock->setObjectName(QStringLiteral("TimerClock"));
  TimerClock->setInterval(1000);
  connect(TimerClock, &QTimer::timeout, this, &TAlarmClock::OnTimerClockTimer);
  form->setAlarmClock([this](int y, int m, int d) { ArmNextAlarm(y, m, d); });
  TimerClock->start();
}

TAlarmClock::~TAlarmClock() = default;

void TAlarmClock::ArmNextAlarm(int, int, int) {
  if (!m_form)
    return;
  // The first call comes once the table is open. The schedule starts from the
  // moment the program started, not from now: a start that took past
  // midnight still awaits the new date's 0:00 entries.
  if (!m_schedule->Started())
    m_schedule->Start(m_startedAt);
  else
    m_schedule->Reload();
  updateNextAlarm();
}

void TAlarmClock::updateNextAlarm() {
  NextAlarm = STIMELISTDATA();
  if (const reminders::DueItem *next = m_schedule->Next()) {
    NextAlarm.Hour = next->Hour;
    NextAlarm.Minute = next->Minute;
    NextAlarm.Text = next->Text;
    NextAlarm.RunFlag = next->kind == reminders::Kind::Run ? 1 : 0;
    NextAlarm.RecNo = static_cast<int32_t>(next->Ref);
    NextAlarm.SetFlag = 1;
    NextAlarm.Armed = 1;
  }
}

void TAlarmClock::CollectMissed() {
  if (!m_form || !m_form->Calixoini().SwitchOn("Reminders", "CatchUp"))
    return;
  if (!m_schedule->Started())
    m_schedule->Start(m_startedAt);
  m_missed = m_schedule->Missed();
  if (!m_missed.empty())
    QTimer::singleShot(0, this, &TAlarmClock::pump);
}

void TAlarmClock::OnTimerClockTimer() {
  if (!m_form || !m_schedule->Started())
    return;
  const reminders::Advanced a = m_schedule->Advance(calixo::clock().now());
  if (a.DateChanged) {
    int y = 0, m = 0, d = 0;
    calixo::dateFromDayNumber(a.NewDay, y, m, d);
    m_form->DateChanged(a.OldDay, y, m, d);
  }
  m_pending.insert(m_pending.end(), a.Due.begin(), a.Due.end());
  if (!a.Due.empty() || a.DateChanged)
    updateNextAlarm();
  pump();
}

bool TAlarmClock::boxOpen() const {
  return m_showing || qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) != nullptr;
}

void TAlarmClock::pump() {
  if (boxOpen() || !m_form)
    return;
  bool fired = false;
  if (!m_missed.empty())
    showMissed();
  while (!m_pending.empty() && m_form && !boxOpen()) {
    const reminders::DueItem item = m_pending.front();
    m_pending.pop_front();
    const calixo::LocalDateTime now = calixo::clock().now();
    const bool late = item.Day != calixo::dayNumber(now.year, now.month, now.day) ||
                      item.minuteOfDay() != now.hour * 60 + now.minute;
    m_showing = true;
    fire(item, late);
    m_showing = false;
    fired = true;
  }
  if (!fired || !m_form)
    return;
  m_schedule->Reload();
  updateNextAlarm();
  // The time-list window shows fired entries as no longer set.
  if (calixo::clock().now().sameDate(SelYear, SelMonth, SelDay))
    m_form->RefreshMonth();
}

void TAlarmClock::fire(const reminders::DueItem &item, bool late) {
  const QString text = calixo::fromGbk(item.Text);
  const QString named = late ? timeText(item) + QLatin1Char(' ') + text : text;
  if (item.kind == reminders::Kind::Run) {
    const calixo::ShellOpenOutcome run = calixo::shellOpen(calixo::gbkToUtf8(item.Text));
    if (run.Started()) {
      if (item.Clear)
        item.Clear();
      return;
    }
    // A run that cannot start says so, naming what and why.
    calixo::showMessage(QStringLiteral("无法运行：%1\n%2").arg(named, QString::fromStdString(run.Reason)),
                        m_form, item.Clear);
    return;
  }
  // A sound, a notification and the box, which can put the alarm off; its
  // mark is cleared once the box is on screen.
  calixo::remind(calixo::Reminder{calixo::reminderTime(item.minuteOfDay() / 60, item.minuteOfDay() % 60), named},
                 m_form, item.Clear);
}

void TAlarmClock::showMissed() {
  const std::vector<reminders::DueItem> missed = std::move(m_missed);
  m_missed.clear();
  QString text = QStringLiteral("错过的提醒");
  for (const reminders::DueItem &i : missed)
    text += QLatin1Char('\n') + dateText(i.Day) + QLatin1Char(' ') + timeText(i) + QLatin1Char(' ') +
            calixo::fromGbk(i.Text);
  m_showing = true;
  calixo::showMessage(text, m_form, [&missed] {
    for (const reminders::DueItem &i : missed)
      if (i.Clear)
        i.Clear();
  });
  m_showing = false;
}
