// A run against a server that answers from a script (QTcpServer on
// 127.0.0.1): what the run does with answers a well-behaved test server
// rarely gives.
#include "syncrun.h"

#include "tempdir.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

using namespace calixo::sync;

namespace {

// Answers each request with the next scripted answer (or 500) and keeps
// what it was asked: the request line and headers.
class ScriptedServer : public QObject {
public:
  explicit ScriptedServer(QList<QByteArray> answers) : m_answers(std::move(answers)) {
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket *s = m_server.nextPendingConnection())
        connect(s, &QTcpSocket::readyRead, this, [this, s] { read(s); });
    });
  }
  quint16 port() const { return m_server.serverPort(); }
  QList<QByteArray> requests;

private:
  void read(QTcpSocket *s) {
    QByteArray &buf = m_pending[s];
    buf += s->readAll();
    const qsizetype end = buf.indexOf("\r\n\r\n");
    if (end < 0)
      return;
    qsizetype length = 0;
    for (const QByteArray &line : buf.left(end).split('\n'))
      if (line.toLower().startsWith("content-length:"))
        length = line.mid(15).trimmed().toLongLong();
    if (buf.size() < end + 4 + length)
      return;
    requests << buf.left(end);
    buf.clear();
    const QByteArray answer = m_answers.isEmpty() ? "HTTP/1.1 500 No more\r\nContent-Length: 0\r\n\r\n"
                                                  : m_answers.takeFirst();
    s->write(answer);
  }
  QTcpServer m_server;
  QList<QByteArray> m_answers;
  std::map<QTcpSocket *, QByteArray> m_pending;
};

QByteArray answer(const char *status, const QByteArray &headers, const QByteArray &body) {
  return QByteArray("HTTP/1.1 ") + status + "\r\n" + headers + "Content-Length: " +
         QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

const Row kRow{{2030, 3, 4}, 9, 0};

QByteArray multistatus(const char *text) {
  return QByteArray(
             "<?xml version=\"1.0\"?><multistatus xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
             "<response><href>/cal/x.ics</href><propstat><prop><getetag>\"e1\"</getetag><C:calendar-data>"
             "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:x@peer\r\n"
             "DTSTAMP:20300101T000000Z\r\nDTSTART:20300304T010000Z\r\nSUMMARY:") +
         text +
         "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n</C:calendar-data></prop><status>HTTP/1.1 200 OK</status>"
         "</propstat></response></multistatus>";
}

struct Finished {
  bool ok = false;
  QString message;
};

Finished runOnce(const QUrl &url, const Local &local, const std::string &bookPath) {
  TableSide side;
  side.read = [local](Local &out, std::string &) {
    out = local;
    return true;
  };
  side.apply = [](const Action &, Plan &, std::string &) { return true; };
  SyncRun run(url, QStringLiteral("alice"), QStringLiteral("secret"), bookPath, side);
  run.setTimeout(10000);
  Finished f;
  QEventLoop loop;
  QObject::connect(&run, &SyncRun::finished, &loop, [&](bool ok, const QString &message) {
    f = {ok, message};
    loop.quit();
  });
  run.start();
  loop.exec();
  return f;
}

}  // namespace

using SyncRunTest = TempDirTest;

// A plan changed in the table goes out with the event's ETag; the server
// answers 412 (the event changed meanwhile): nothing is overwritten, the
// bookkeeping keeps what it had, and the run says it is left for the next.
TEST_F(SyncRunTest, APreconditionFailedLeavesTheEventForTheNextRun) {
  ScriptedServer server({answer("207 Multi-Status", "Content-Type: application/xml\r\n", multistatus("old")),
                         answer("412 Precondition Failed", "", "")});
  const QUrl url(QStringLiteral("http://127.0.0.1:%1/cal/").arg(server.port()));
  const Plan old{kRow, "old", false};
  Book book{url.toString().toStdString(), {{"x@peer", "/cal/x.ics", "\"e1\"", kRow, Fingerprint(old), Fingerprint(old)}}};
  std::string error;
  ASSERT_TRUE(SaveBook("caldav.sync", book, error)) << error;
  Local local;
  local.monthStart = {2030, 3, 1};
  local.plans = {Plan{kRow, "new", false}};

  const Finished f = runOnce(url, local, "caldav.sync");
  EXPECT_TRUE(f.ok) << f.message.toStdString();
  EXPECT_TRUE(f.message.contains(QStringLiteral("留待下次 1"))) << f.message.toStdString();
  ASSERT_EQ(server.requests.size(), 2);
  EXPECT_TRUE(server.requests[1].startsWith("PUT /cal/x.ics "));
  EXPECT_TRUE(server.requests[1].contains("If-Match: \"e1\"")) << server.requests[1].toStdString();
  Book after;
  ASSERT_TRUE(LoadBook("caldav.sync", after, error)) << error;
  ASSERT_EQ(after.entries.size(), 1u);
  EXPECT_EQ(after.entries[0].localFp, Fingerprint(old));
}

// A redirect to another host is not followed: the password goes nowhere
// else, and the run fails naming the URL.
TEST_F(SyncRunTest, ARedirectToAnotherHostIsNotFollowed) {
  ScriptedServer other({});
  const QByteArray elsewhere = "Location: http://localhost:" + QByteArray::number(other.port()) + "/cal/\r\n";
  ScriptedServer server({answer("302 Found", elsewhere, "")});
  const QUrl url(QStringLiteral("http://127.0.0.1:%1/cal/").arg(server.port()));
  const Finished f = runOnce(url, Local{}, "caldav.sync");
  EXPECT_FALSE(f.ok);
  EXPECT_TRUE(f.message.contains(url.toString() + QStringLiteral("：转向了别的主机"))) << f.message.toStdString();
  EXPECT_EQ(other.requests.size(), 0);
  EXPECT_TRUE(server.requests.value(0).contains("Authorization: Basic"));
}
