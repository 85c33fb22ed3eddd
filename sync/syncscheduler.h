// The program's background sync: with [Sync] Enabled on (the default) and a
// [Sync] URL, a run at start, one a few seconds after the time table's file
// changes (quiet again for that long), and one every 15 minutes. One run at a
// time; a change during a run brings another after it. The password comes
// from the Secret Service each time. The state is a line for the user.
#pragma once

#include "syncrun.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <memory>

class TCalixoini;
class TTimeTable;

namespace calixo::sync {

class SyncScheduler : public QObject {
  Q_OBJECT
public:
  SyncScheduler(const TCalixoini &settings, TTimeTable &table, QObject *parent = nullptr);
  ~SyncScheduler() override;

  // Reads the switches again; starts (a run at once) or stops accordingly.
  void reload();
  // A run as soon as none is going (nothing while sync is off).
  void runNow();
  bool active() const { return m_enabled && !m_url.isEmpty(); }
  // "同步：12:30 完成（...）", "同步失败：..." or "" while sync is off.
  QString state() const { return m_state; }

  static constexpr int kQuietMs = 5000;
  static constexpr int kEveryMs = 15 * 60 * 1000;

signals:
  void stateChanged(const QString &state);
  // A run changed the time table.
  void tableChanged();

private:
  void setState(const QString &state);
  void watch();
  void begin(const QString &password, const QString &keychainNote);

  const TCalixoini &m_settings;
  TTimeTable &m_table;
  bool m_enabled = false;
  QString m_url, m_user;
  QTimer m_quiet, m_every;
  QFileSystemWatcher m_watcher;
  std::unique_ptr<SyncRun> m_run;
  bool m_starting = false;  // waiting for the keychain
  bool m_again = false;
  std::string m_ownStamp;  // the table file after the last run's own write
  QString m_state;
};

}  // namespace calixo::sync
