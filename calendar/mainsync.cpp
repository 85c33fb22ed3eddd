// The main window's side of the background sync: the scheduler over this
// window's time table, its state as the window's tooltip, the month and the
// time list shown again after a run changed the table.
#include "mainform.h"

#include "calixoini.h"
#include "clock.h"
#include "keychain.h"
#include "syncscheduler.h"
#include "ui.h"

#include <QPointer>

void TMainForm::StartSync() {
  if (m_sync || !m_settings || !m_timeTable)
    return;
  m_sync = std::make_unique<calixo::sync::SyncScheduler>(*m_settings, *m_timeTable);
  connect(m_sync.get(), &calixo::sync::SyncScheduler::stateChanged, this,
          [this](const QString &state) { setToolTip(state); });
  connect(m_sync.get(), &calixo::sync::SyncScheduler::tableChanged, this, [this] {
    RefreshMonth();
    if (m_showDay)
      m_showDay(SelYear, SelMonth, SelDay);
    const calixo::LocalDateTime today = calixo::clock().now();
    ArmNextAlarm(today.year, today.month, today.day);
  });
  m_sync->reload();
}

QString TMainForm::SyncState() const {
  if (!m_sync || !m_sync->active())
    return m_settings && !m_settings->SwitchOn("Sync", "Enabled") ? QStringLiteral("同步：已关闭")
                                                                   : QStringLiteral("同步：未开启（需要日历地址）");
  return m_sync->state().isEmpty() ? QStringLiteral("同步：等待中") : m_sync->state();
}

void TMainForm::SyncSettingsChanged(const QString &password) {
  const auto reload = [self = QPointer<TMainForm>(this)] {
    if (self && self->m_sync)
      self->m_sync->reload();
  };
  const QString user = calixo::fromGbk(m_settings->SwitchText("Sync", "User"));
  const QString url = calixo::fromGbk(m_settings->SwitchText("Sync", "URL"));
  if (!password.isEmpty() && (user.isEmpty() || url.isEmpty()))
    calixo::showMessage(QStringLiteral("密码没有保存：需要日历地址和用户名。"), this);
  if (password.isEmpty() || user.isEmpty() || url.isEmpty()) {
    reload();
    return;
  }
  calixo::sync::WritePassword(user, url, password, [self = QPointer<TMainForm>(this), reload](bool ok, const QString &error) {
    if (self && !ok)
      calixo::showMessage(QStringLiteral("密码没有保存：") + error, self);
    reload();
  });
}
