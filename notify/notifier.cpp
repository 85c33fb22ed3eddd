#include "notifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>
#include <QVariantMap>

namespace calixo {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// The "image-data" hint: (iiibiiay) width, height, row stride, alpha, bits
// per sample, channels, RGBA bytes.
QVariant imageHint(const QImage &image) {
  const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
  QDBusArgument arg;
  arg.beginStructure();
  arg << rgba.width() << rgba.height() << static_cast<int>(rgba.bytesPerLine()) << true << 8 << 4
      << QByteArray(reinterpret_cast<const char *>(rgba.constBits()), rgba.sizeInBytes());
  arg.endStructure();
  return QVariant::fromValue(arg);
}

}  // namespace

DesktopNotifier::DesktopNotifier(QObject *parent) : QObject(parent) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected())
    return;
  m_connected = true;
  bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
              SLOT(onActionInvoked(uint, QString)));
  bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
              SLOT(onNotificationClosed(uint, uint)));
}

void DesktopNotifier::send(const Notification &n, std::function<void(uint)> gotId) {
  if (!m_connected)
    return;
  QVariantMap hints;
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2)));
  // The program plays its own sound; a server's sound would make two.
  hints.insert(QStringLiteral("suppress-sound"), true);
  if (n.image && !n.image->isNull())
    hints.insert(QStringLiteral("image-data"), imageHint(*n.image));
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
  call << QStringLiteral("Calixo") << uint(0) << n.iconName << n.summary << n.body << n.actions << hints
       << int(0);
  // Asked without waiting: a slow or absent service never holds up the box.
  auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [gotId = std::move(gotId)](QDBusPendingCallWatcher *w) {
            const QDBusPendingReply<uint> reply = *w;
            // An error here means there is no notification service; the
            // reminder's box and sound go on without it, and nobody is told.
            if (!reply.isError() && gotId)
              gotId(reply.value());
            w->deleteLater();
          });
}

void DesktopNotifier::close(uint id) {
  if (!m_connected || id == 0)
    return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CloseNotification"));
  call << id;
  QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
}

void DesktopNotifier::onActionInvoked(uint id, const QString &key) { emit actionInvoked(id, key); }

void DesktopNotifier::onNotificationClosed(uint id, uint) { emit notificationClosed(id); }

}  // namespace calixo
