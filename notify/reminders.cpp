#include "reminders.h"

#include "calixoini.h"
#include "clock.h"
#include "notifier.h"
#include "ui.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace calixo {

namespace {

Reminders *g_reminders = nullptr;

const QString kSnoozeKey = QStringLiteral("snooze");
const QString kDismissKey = QStringLiteral("dismiss");

}  // namespace

QString reminderTime(int hour, int minute) {
  return QStringLiteral("%1:%2").arg(hour, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0'));
}

Reminder reminderNow(const QString &text) {
  const LocalDateTime now = clock().now();
  return {reminderTime(now.hour, now.minute), text};
}

void remind(const Reminder &r, QWidget *owner, const std::function<void()> &shown) {
  if (g_reminders)
    g_reminders->remind(r, owner, shown);
  else
    showMessage(r.text, owner, shown);
}

void remindBeside(const Reminder &r) {
  if (g_reminders)
    g_reminders->remindBeside(r);
  else
    showMessageBeside(r.text);
}

Reminders::Reminders(const TCalixoini &settings, std::unique_ptr<ReminderSound> sound,
                     const std::string &snoozeFile, QObject *parent)
    : QObject(parent), m_settings(settings), m_sound(std::move(sound)), m_snoozes(snoozeFile) {
  setObjectName(QStringLiteral("Reminders"));
  g_reminders = this;
  m_notifier = new DesktopNotifier(this);
  connect(m_notifier, &DesktopNotifier::actionInvoked, this, &Reminders::onAction);
  connect(m_notifier, &DesktopNotifier::notificationClosed, this, [this](uint id) {
    for (const auto &s : m_shown)
      if (s->id == id)
        s->id = 0;
  });
  const std::string problem = m_snoozes.load();
  if (!problem.empty())
    reportError(QString::fromStdString(problem));
  TimerSnooze = new QTimer(this);
  TimerSnooze->setObjectName(QStringLiteral("TimerSnooze"));
  TimerSnooze->setInterval(1000);
  connect(TimerSnooze, &QTimer::timeout, this, &Reminders::OnTimerSnoozeTimer);
  TimerSnooze->start();
}

Reminders::~Reminders() {
  if (g_reminders == this)
    g_reminders = nullptr;
}

std::shared_ptr<Reminders::Shown> Reminders::announce(const Reminder &r, int snoozeMinutes) {
  if (m_sound && m_settings.SwitchOn("Reminders", "Sound"))
    m_sound->play();
  auto shown = std::make_shared<Shown>();
  m_shown.push_back(shown);
  if (m_settings.SwitchOn("Reminders", "Notify")) {
    QImage icon = QApplication::windowIcon().pixmap(48, 48).toImage();
    QStringList actions;
    if (snoozeMinutes > 0)
      actions << kSnoozeKey << QStringLiteral("稍后提醒");
    actions << kDismissKey << QStringLiteral("知道了");
    const std::weak_ptr<Shown> weak = shown;
    m_notifier->send({QStringLiteral("Calixo 提醒"), r.time + QLatin1Char(' ') + r.text,
                      QStringLiteral("calixo"), &icon, actions},
                     [this, weak](uint id) {
                       const auto s = weak.lock();
                       if (s && !s->answered)
                         s->id = id;
                       else
                         m_notifier->close(id);  // its box was answered before the service
                     });
  }
  return shown;
}

static QPushButton *addSnoozeButton(QMessageBox &box, int snoozeMinutes) {
  QPushButton *later = nullptr;
  if (snoozeMinutes > 0) {
    later = box.addButton(QStringLiteral("稍后提醒"), QMessageBox::ActionRole);
    later->setObjectName(QStringLiteral("ButtonSnooze"));
  }
  box.setDefaultButton(QMessageBox::Ok);
  return later;
}

void Reminders::remind(const Reminder &r, QWidget *owner, const std::function<void()> &onShown) {
  const int snoozeMinutes = m_settings.SwitchNumber("Reminders", "Snooze");
  const std::shared_ptr<Shown> shown = announce(r, snoozeMinutes);
  if (messageHookInstalled()) {
    // Tests that record message texts see the reminder's text as before.
    showMessage(r.text, owner, onShown);
  } else {
    QMessageBox box(QMessageBox::NoIcon, programTitle(), r.text, QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("ReminderBox"));
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton *later = addSnoozeButton(box, snoozeMinutes);
    shown->box = &box;
    box.show();
    if (onShown)
      onShown();
    box.exec();
    if (later && box.clickedButton() == later)
      shown->snoozed = true;
  }
  answered(shown, r, snoozeMinutes);
}

void Reminders::remindBeside(const Reminder &r) {
  const int snoozeMinutes = m_settings.SwitchNumber("Reminders", "Snooze");
  const std::shared_ptr<Shown> shown = announce(r, snoozeMinutes);
  if (messageHookInstalled()) {
    showMessage(r.text);
    answered(shown, r, snoozeMinutes);
    return;
  }
  // Each box opens a step lower and to the right of the one before while
  // that is still open.
  static int open = 0;
  auto *box = new QMessageBox(QMessageBox::NoIcon, programTitle(), r.text, QMessageBox::Ok);
  box->setObjectName(QStringLiteral("ReminderBox"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  QPushButton *later = addSnoozeButton(*box, snoozeMinutes);
  shown->box = box;
  QObject::connect(box, &QObject::destroyed, [] { --open; });
  QObject::connect(box, &QMessageBox::finished, this, [this, box, later, shown, r, snoozeMinutes] {
    if (later && box->clickedButton() == later)
      shown->snoozed = true;
    answered(shown, r, snoozeMinutes);
  });
  box->show();
  const int step = 32 * (open++ % 8);
  box->move(box->pos() + QPoint(step, step));
  box->raise();
  box->activateWindow();
}

void Reminders::answered(const std::shared_ptr<Shown> &shown, const Reminder &r, int snoozeMinutes) {
  shown->answered = true;
  const auto it = std::find(m_shown.begin(), m_shown.end(), shown);
  if (it != m_shown.end())
    m_shown.erase(it);
  m_notifier->close(shown->id);
  if (shown->snoozed && snoozeMinutes > 0)
    snooze(r, snoozeMinutes);
}

void Reminders::onAction(uint id, const QString &key) {
  for (const auto &s : m_shown) {
    if (s->id != id || id == 0)
      continue;
    s->id = 0;  // the service closes a notification whose action was invoked
    s->snoozed = key == kSnoozeKey;
    if (s->box)
      s->box->done(QMessageBox::Ok);
  }
}

void Reminders::snooze(const Reminder &r, int minutes) {
  PendingSnooze s;
  s.due = secondNumber(clock().now()) + int64_t(minutes) * 60;
  s.time = r.time.toStdString();
  s.text = r.text.toStdString();
  const std::string problem = m_snoozes.add(s);
  if (!problem.empty())
    reportError(QString::fromStdString(problem));
}

void Reminders::OnTimerSnoozeTimer() {
  std::string problem;
  const std::vector<PendingSnooze> due = m_snoozes.takeDue(secondNumber(clock().now()), &problem);
  if (!problem.empty())
    reportError(QString::fromStdString(problem));
  // Each one waits for its box; the timer goes on meanwhile and finds the
  // list without these.
  for (const PendingSnooze &s : due)
    remind({QString::fromStdString(s.time), QString::fromStdString(s.text)});
}

}  // namespace calixo
