// notify: makes a reminder hard to miss. An alarm or a countdown that comes
// due hands its reminder to remind(): one sound plays, the desktop shows a
// notification ("Calixo 提醒", "HH:MM text", actions 稍后提醒 and 知道了) and
// the program's own box shows the text with an OK and a 稍后提醒 button. The
// box waits, like every message box, in a nested event loop; 知道了 in the
// notification closes it, 稍后提醒 in either puts the reminder off by the
// Snooze minutes into the snooze list, whose file outlives a restart, and a
// one-second timer brings it back when it comes due. The switches Notify,
// Sound and Snooze of section Reminders are read afresh for every reminder.
#pragma once

#include "remindersound.h"
#include "snoozelist.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QMessageBox;
class QTimer;
class QWidget;
class TCalixoini;

namespace calixo {

class DesktopNotifier;

struct Reminder {
  QString time;  // "HH:MM", the time of day the reminder is for
  QString text;
};

// A reminder for the current minute (a countdown's).
Reminder reminderNow(const QString &text);
QString reminderTime(int hour, int minute);

class Reminders : public QObject {
  Q_OBJECT
public:
  // Becomes the program's reminder service until destroyed; loads the
  // snoozed reminders of snoozeFile and starts waiting for them.
  explicit Reminders(const TCalixoini &settings, std::unique_ptr<ReminderSound> sound = canberraSound(),
                     const std::string &snoozeFile = "snooze.lst", QObject *parent = nullptr);
  ~Reminders() override;

  // Sound, notification and box; returns when the box is closed. shown runs
  // once the box is on screen.
  void remind(const Reminder &r, QWidget *owner = nullptr, const std::function<void()> &shown = {});
  // The same with a box that does not wait: it opens beside the boxes still
  // open, so that a second never hides the first (a countdown's).
  void remindBeside(const Reminder &r);
  // The timer event: shows the snoozed reminders that have come due.
  void OnTimerSnoozeTimer();

  const SnoozeList &snoozes() const { return m_snoozes; }
  QTimer *TimerSnooze = nullptr;

private:
  struct Shown {
    QPointer<QMessageBox> box;
    uint id = 0;  // the notification's, once the service answered
    bool answered = false;
    bool snoozed = false;
  };
  // The sound and the notification of a reminder that is about to show.
  std::shared_ptr<Shown> announce(const Reminder &r, int snoozeMinutes);
  // After its box was answered: the notification goes, a snooze is kept.
  void answered(const std::shared_ptr<Shown> &s, const Reminder &r, int snoozeMinutes);
  void onAction(uint id, const QString &key);
  void snooze(const Reminder &r, int minutes);

  const TCalixoini &m_settings;
  std::unique_ptr<ReminderSound> m_sound;
  DesktopNotifier *m_notifier = nullptr;
  SnoozeList m_snoozes;
  std::vector<std::shared_ptr<Shown>> m_shown;
};

// The reminder through the program's Reminders; without one (a window tested
// on its own) the text alone in a plain box.
void remind(const Reminder &r, QWidget *owner = nullptr, const std::function<void()> &shown = {});
void remindBeside(const Reminder &r);

}  // namespace calixo
