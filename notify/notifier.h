// A client of the desktop's notification service (org.freedesktop.
// Notifications on the session bus). send() asks for a notification and
// hands its id to a callback once the service answers; the service's
// ActionInvoked and NotificationClosed signals come back as this object's
// signals. Without a session bus or a service nothing is sent, nothing is
// shown and no error is reported: the caller's own box is reminder enough.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QImage;

namespace calixo {

class DesktopNotifier : public QObject {
  Q_OBJECT
public:
  explicit DesktopNotifier(QObject *parent = nullptr);

  struct Notification {
    QString summary, body;
    QString iconName;  // an icon of the desktop's icon theme
    QImage *image = nullptr;  // the same icon's pixels, for a program not installed
    QStringList actions;  // key, label, key, label ...
  };
  // Sends n with critical urgency and no expiry; gotId(id) runs when the
  // service has answered with its id (never when there is no service).
  void send(const Notification &n, std::function<void(uint id)> gotId);
  // Withdraws a notification (once its reminder was answered elsewhere).
  void close(uint id);

signals:
  void actionInvoked(uint id, const QString &key);
  void notificationClosed(uint id);

private slots:
  // Old-style slots: QtDBus connects bus signals by signature only.
  void onActionInvoked(uint id, const QString &key);
  void onNotificationClosed(uint id, uint reason);

private:
  bool m_connected = false;
};

}  // namespace calixo
