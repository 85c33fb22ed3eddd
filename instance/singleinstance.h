// The program's side of the one-copy-per-folder rule (folderlock.h): decides
// at start whether this copy runs, and in the running copy listens for later
// starts, each of which asks it to bring its main window forward.
#pragma once

#include "folderlock.h"

#include <QObject>

#include <memory>

class QLocalServer;
class QWidget;

namespace calixo {

class SingleInstance : public QObject {
  Q_OBJECT
public:
  // Decides for the working directory. Needs the application object.
  SingleInstance();
  ~SingleInstance() override;

  // False when another copy runs in this folder: it has been asked to come
  // forward, and this one ends without touching anything.
  bool first() const { return m_first; }

signals:
  // A later start in this folder asked for the main window.
  void activationRequested();

private:
  bool handOver();
  void listen();

  FolderLock m_lock;
  std::string m_name;
  std::unique_ptr<QLocalServer> m_server;
  bool m_first = true;
};

// Shows w (restored when minimized) above every other window and gives it the focus.
void bringForward(QWidget *w);

}  // namespace calixo
