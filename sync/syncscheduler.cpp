#include "syncscheduler.h"

#include "calixoini.h"
#include "clock.h"
#include "filenames.h"
#include "gbk.h"
#include "keychain.h"
#include "synctable.h"

#include <QPointer>

#include <sys/stat.h>

namespace calixo::sync {

namespace {

// The table file's modification time and size, to tell a run's own writes
// from anybody else's.
std::string fileStamp(const QString &path) {
  struct stat st {};
  if (::stat(path.toLocal8Bit().constData(), &st) != 0)
    return {};
  return std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + "/" +
         std::to_string(st.st_size);
}

}  // namespace

SyncScheduler::SyncScheduler(const TCalixoini &settings, TTimeTable &table, QObject *parent)
    : QObject(parent), m_settings(settings), m_table(table) {
  m_quiet.setSingleShot(true);
  m_quiet.setInterval(kQuietMs);
  m_every.setInterval(kEveryMs);
  connect(&m_quiet, &QTimer::timeout, this, &SyncScheduler::runNow);
  connect(&m_every, &QTimer::timeout, this, &SyncScheduler::runNow);
  connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this](const QString &path) {
    // A table replaced by a new file is watched again under its name.
    watch();
    // The file as the last run's own write left it: nothing new to send.
    if (!m_ownStamp.empty() && fileStamp(path) == m_ownStamp)
      return;
    if (m_run || m_starting)
      m_again = true;
    else
      m_quiet.start();
  });
}

SyncScheduler::~SyncScheduler() = default;

void SyncScheduler::watch() {
  const QString path = QString::fromStdString(calixo::resolveFileName(kTimeTableFile));
  if (active() && !m_watcher.files().contains(path))
    m_watcher.addPath(path);
}

void SyncScheduler::reload() {
  m_enabled = m_settings.SwitchOn("Sync", "Enabled");
  m_url = QString::fromStdString(calixo::gbkToUtf8(m_settings.SwitchText("Sync", "URL")));
  m_user = QString::fromStdString(calixo::gbkToUtf8(m_settings.SwitchText("Sync", "User")));
  if (!active()) {
    m_quiet.stop();
    m_every.stop();
    if (!m_watcher.files().isEmpty())
      m_watcher.removePaths(m_watcher.files());
    setState(QString());
    return;
  }
  watch();
  m_every.start();
  runNow();
}

void SyncScheduler::runNow() {
  if (!active())
    return;
  if (m_run || m_starting) {
    m_again = true;
    return;
  }
  m_quiet.stop();
  m_starting = true;
  setState(QStringLiteral("同步中…"));
  if (m_user.isEmpty()) {
    begin(QString(), QString());
    return;
  }
  QPointer<SyncScheduler> self(this);
  ReadPassword(m_user, m_url, [self](bool ok, const QString &password, bool absent, const QString &error) {
    if (!self)
      return;
    self->begin(password, !ok ? error : absent ? QStringLiteral("密钥服务里没有这个用户的密码") : QString());
  });
}

void SyncScheduler::begin(const QString &password, const QString &keychainNote) {
  m_starting = false;
  if (!active())
    return;
  const QUrl url(m_url);
  if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) ||
      url.host().isEmpty()) {
    setState(QStringLiteral("同步失败：") + m_url + QStringLiteral("：不是 http:// 或 https:// 开头的日历地址"));
    return;
  }
  const bool purgeDeletes = !m_settings.SwitchOn("Timelist", "KeepHistory");
  TableSide side = TimeTableSide(m_table, purgeDeletes);
  side.apply = [this, apply = side.apply](const Action &a, Plan &placed, std::string &why) {
    const bool ok = apply(a, placed, why);
    m_ownStamp = fileStamp(QString::fromStdString(calixo::resolveFileName(kTimeTableFile)));
    return ok;
  };
  m_run = std::make_unique<SyncRun>(url, m_user, password, calixo::resolveFileName(kBookFile), std::move(side));
  connect(m_run.get(), &SyncRun::finished, this, [this, keychainNote](bool ok, const QString &message) {
    const SyncSummary summary = m_run->summary();
    const LocalDateTime now = calixo::clock().now();
    if (ok) {
      QString state = QString::asprintf("同步：%d:%02d 完成（", now.hour, now.minute) + message + QStringLiteral("）");
      if (!summary.problems.isEmpty())
        state += QStringLiteral("\n未完成：") + summary.problems.join(QStringLiteral("\n未完成："));
      setState(state);
    } else {
      setState(QStringLiteral("同步失败：") + message +
               (keychainNote.isEmpty() ? QString() : QStringLiteral("（") + keychainNote + QStringLiteral("）")));
    }
    // Freed from the event loop: this handler runs inside the run.
    m_run.release()->deleteLater();
    if (summary.tableChanged)
      emit tableChanged();
    if (m_again) {
      m_again = false;
      m_quiet.start();
    }
  });
  m_run->start();
}

void SyncScheduler::setState(const QString &state) {
  if (state == m_state)
    return;
  m_state = state;
  emit stateChanged(state);
}

}  // namespace calixo::sync
