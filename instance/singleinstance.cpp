#include "singleinstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

#include <cstdio>

namespace calixo {
namespace {

// The running copy takes its lock and listens at once, but a start that
// finds the lock held may come in between: it tries again for this long.
constexpr int kHandOverMs = 5000;

}  // namespace

SingleInstance::SingleInstance() : m_lock("."), m_name(FolderLock::serverName(".")) {
  switch (m_lock.state()) {
  case FolderLock::State::Held:
    listen();
    break;
  case FolderLock::State::HeldElsewhere:
    m_first = false;
    if (!handOver())
      std::fprintf(stderr, "calixo: another copy runs in this folder and does not answer; this one ends\n");
    break;
  case FolderLock::State::Unavailable:
    // A folder nothing can be written to cannot be harmed by two copies;
    // one that already listens is asked to come forward all the same.
    if (handOver())
      m_first = false;
    else
      listen();
    break;
  }
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::handOver() {
  if (m_name.empty())
    return false;
  const QDeadlineTimer deadline(m_lock.state() == FolderLock::State::HeldElsewhere ? kHandOverMs : 0);
  do {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(QString::fromStdString(m_name));
    if (socket.waitForConnected(1000)) {
      socket.write("show\n");
      socket.waitForBytesWritten(1000);
      socket.disconnectFromServer();
      return true;
    }
    QThread::msleep(50);
  } while (!deadline.hasExpired());
  return false;
}

void SingleInstance::listen() {
  if (m_name.empty())
    return;
  // A name in the abstract namespace leaves no socket file behind, however
  // the copy ends.
  m_server = std::make_unique<QLocalServer>();
  m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
  if (!m_server->listen(QString::fromStdString(m_name))) {
    m_server.reset();
    return;
  }
  connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket *s = m_server->nextPendingConnection()) {
      connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
      s->disconnectFromServer();
      emit activationRequested();
    }
  });
}

void bringForward(QWidget *w) {
  if (!w)
    return;
  w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
  w->show();
  w->raise();
  w->activateWindow();
}

}  // namespace calixo
