#include "syncrun.h"

#include "clock.h"
#include "gbk.h"

#include <QTimer>

namespace calixo::sync {

namespace {

QByteArray eventText(const std::string &uid, const Plan &p) {
  ics::PlanRecord r;
  r.date = p.row.date;
  r.hour = p.row.hour;
  r.minute = p.row.minute;
  r.text = p.text;
  r.alarm = p.alarm;
  r.uid = uid;
  const LocalDateTime now = calixo::clock().now();
  ics::ExportOptions o;
  o.today = ics::Date{now.year, now.month, now.day};
  o.hour = now.hour;
  o.minute = now.minute;
  return QByteArray::fromStdString(ics::ExportCalendar({r}, {}, o));
}

QString rowName(const Plan &p) {
  return QString::asprintf("%04d-%02d-%02d %d:%02d ", p.row.date.year, p.row.date.month, p.row.date.day,
                           p.row.hour, p.row.minute) +
         QStringLiteral("“") + QString::fromStdString(calixo::gbkToUtf8(p.text)) + QStringLiteral("”");
}

}  // namespace

QString SyncSummary::text() const {
  QString s = QStringLiteral("上传 %1，下载 %2，删除服务器上 %3，删除本地 %4，冲突 %5")
                  .arg(pushed)
                  .arg(pulled)
                  .arg(deletedThere)
                  .arg(deletedHere)
                  .arg(conflicts);
  if (notDone)
    s += QStringLiteral("，留待下次 %1").arg(notDone);
  return s;
}

SyncRun::SyncRun(const QUrl &calendar, const QString &user, const QString &password, std::string bookPath,
                 TableSide table, QObject *parent)
    : QObject(parent), m_client(calendar, user, password), m_url(calendar.toString(QUrl::RemoveUserInfo)),
      m_bookPath(std::move(bookPath)), m_table(std::move(table)) {}

void SyncRun::start() {
  std::string error;
  if (!LoadBook(m_bookPath, m_book, error)) {
    // Reported from the event loop, as every other ending is.
    QTimer::singleShot(0, this, [this, error] { finish(false, QString::fromStdString(error)); });
    return;
  }
  // The bookkeeping of another calendar says nothing about this one.
  if (m_book.url != m_url.toStdString())
    m_book = Book{m_url.toStdString(), {}};
  m_client.list([this](bool ok, std::vector<ServerEvent> events, QString why) {
    if (!ok) {
      finish(false, why);
      return;
    }
    Local local;
    std::string error;
    if (!m_table.read(local, error)) {
      finish(false, QString::fromStdString(error));
      return;
    }
    m_actions = Reconcile(local, events, m_book.entries, m_client.collectionPath());
    next();
  });
}

void SyncRun::settle(const Action &a, BookEntry entry, bool forget) {
  auto &entries = m_book.entries;
  std::erase_if(entries, [&](const BookEntry &e) { return e.uid == a.uid; });
  if (!forget)
    entries.push_back(std::move(entry));
  // Kept on disk every so often, so that a run cut short (the program
  // closed, the machine off) leaves little for the next run to compare again.
  if (++m_settled % 20 == 0) {
    std::string ignored;  // the last save reports
    SaveBook(m_bookPath, m_book, ignored);
  }
}

void SyncRun::next() {
  if (m_next == m_actions.size()) {
    std::string error;
    if (!SaveBook(m_bookPath, m_book, error)) {
      finish(false, QString::fromStdString(error));
      return;
    }
    finish(true, m_summary.text());
    return;
  }
  const Action a = m_actions[m_next++];
  BookEntry entry = a.entry;
  Plan pushed = a.push;
  if (a.clearRow || a.writeRow) {
    Plan placed;
    std::string why;
    if (!m_table.apply(a, placed, why)) {
      ++m_summary.notDone;
      m_summary.problems << rowName(a.writeRow ? a.write : a.expectPlan ? a.expect : a.push) + QStringLiteral("：") +
                                QString::fromStdString(why);
      QTimer::singleShot(0, this, [this] { next(); });
      return;
    }
    m_summary.tableChanged = true;
    if (a.writeRow) {
      entry.row = placed.row;
      entry.localFp = Fingerprint(placed);
    }
  }
  const auto counted = [this, a] {
    switch (a.kind) {
    case Action::Kind::Push: ++m_summary.pushed; break;
    case Action::Kind::Pull: ++m_summary.pulled; break;
    case Action::Kind::DeleteThere: ++m_summary.deletedThere; break;
    case Action::Kind::DeleteHere: ++m_summary.deletedHere; break;
    case Action::Kind::Conflict: ++m_summary.conflicts; break;
    default: break;
    }
  };
  const bool forget = a.kind == Action::Kind::Forget || a.kind == Action::Kind::DeleteHere ||
                      a.kind == Action::Kind::DeleteThere;
  const auto refused = [this, a, pushed](const HttpResult &r) {
    ++m_summary.notDone;
    if (r.preconditionFailed)
      m_summary.problems << rowName(pushed) + QStringLiteral("：服务器上的这个日程刚被改动（HTTP 412），下次同步再对照");
    else
      m_summary.problems << r.error;
  };
  if (a.remote == Action::Remote::Put) {
    m_client.put(a.href, eventText(a.uid, pushed), a.ifMatch, [=, this](const HttpResult &r) mutable {
      if (r.ok) {
        entry.etag = r.etag.toStdString();
        entry.href = a.href;
        settle(a, entry, false);
        counted();
      } else {
        refused(r);
      }
      next();
    });
    return;
  }
  if (a.remote == Action::Remote::Delete) {
    m_client.remove(a.href, a.ifMatch, [=, this](const HttpResult &r) {
      if (r.ok) {
        settle(a, entry, true);
        counted();
      } else {
        refused(r);
      }
      next();
    });
    return;
  }
  settle(a, entry, forget);
  counted();
  QTimer::singleShot(0, this, [this] { next(); });
}

void SyncRun::finish(bool ok, const QString &message) {
  if (m_done)
    return;
  m_done = true;
  emit finished(ok, message);
}

}  // namespace calixo::sync
