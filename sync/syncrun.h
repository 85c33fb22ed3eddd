// One sync run: the bookkeeping is read, the server listed, the table read,
// the actions decided (reconcile.h) and carried out one after the other --
// the table's part in a short step, then the server's -- and the bookkeeping
// replaced. Asynchronous: the caller's event loop keeps running; finished()
// comes once. A failed listing changes nothing; a failed or refused (412)
// action leaves its event's bookkeeping as it was, so the next run compares
// it again.
#pragma once

#include "caldavclient.h"
#include "syncbook.h"

#include <QObject>
#include <QStringList>

#include <functional>

namespace calixo::sync {

// How a run reaches the time table: the command line opens it itself, the
// program uses its main window's.
struct TableSide {
  std::function<bool(Local &local, std::string &error)> read;
  std::function<bool(const Action &action, Plan &placed, std::string &why)> apply;
};

struct SyncSummary {
  int pushed = 0, pulled = 0, deletedThere = 0, deletedHere = 0, conflicts = 0, notDone = 0;
  QStringList problems;  // one line each, UTF-8
  bool tableChanged = false;
  // "上传 2，下载 1，删除服务器上 0，删除本地 1，冲突 0"
  QString text() const;
};

class SyncRun : public QObject {
  Q_OBJECT
public:
  SyncRun(const QUrl &calendar, const QString &user, const QString &password, std::string bookPath,
          TableSide table, QObject *parent = nullptr);
  void setTimeout(int ms) { m_client.setTimeout(ms); }
  void start();
  const SyncSummary &summary() const { return m_summary; }

signals:
  // ok false: message says why nothing (or not all) was done.
  void finished(bool ok, const QString &message);

private:
  void next();
  void settle(const Action &a, BookEntry entry, bool forget);
  void finish(bool ok, const QString &message);

  CalDavClient m_client;
  QString m_url;
  std::string m_bookPath;
  TableSide m_table;
  Book m_book;
  std::vector<Action> m_actions;
  size_t m_next = 0;
  int m_settled = 0;
  SyncSummary m_summary;
  bool m_done = false;
};

}  // namespace calixo::sync
