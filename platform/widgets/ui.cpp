#include "ui.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cstdio>

namespace calixo {

namespace {
MessageHook &messageHook() {
  static MessageHook hook;
  return hook;
}

// While a hook is installed it also stands in for the user before the plain
// message boxes that a loaded library shows itself (the shaping library's):
// the hook gets the box's text and the box is answered with OK as soon as its
// own event loop runs.
class ForeignBoxAnswerer : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Show && messageHook()) {
      if (auto *box = qobject_cast<QMessageBox *>(watched)) {
        messageHook()(box->text());
        QMetaObject::invokeMethod(box, [box] { box->done(QMessageBox::Ok); }, Qt::QueuedConnection);
      }
    }
    return false;
  }
};

void answerForeignBoxes() {
  static QPointer<ForeignBoxAnswerer> answerer;
  if (!answerer && qApp) {
    answerer = new ForeignBoxAnswerer(qApp);
    qApp->installEventFilter(answerer);
  }
}
}  // namespace

QString programTitle() {
  QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  if (name.isEmpty())
    name = QStringLiteral("calixo");
  name = name.section(QLatin1Char('.'), 0, 0);
  if (name.isEmpty())
    return name;
  return name.left(1) + name.mid(1).toLower();
}

void showMessage(const QString &text, QWidget *owner) { showMessage(text, owner, {}); }

void showMessage(const QString &text, QWidget *owner, const std::function<void()> &shown) {
  if (messageHook()) {
    messageHook()(text);
    if (shown)
      shown();
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Ok, owner);
  box.setWindowModality(Qt::ApplicationModal);
  box.show();
  if (shown)
    shown();
  box.exec();
}

void showMessageBeside(const QString &text) {
  if (messageHook()) {
    messageHook()(text);
    return;
  }
  static int open = 0;
  auto *box = new QMessageBox(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  QObject::connect(box, &QObject::destroyed, [] { --open; });
  box->show();
  const int step = 32 * (open++ % 8);
  box->move(box->pos() + QPoint(step, step));
  // Not modal, so nothing gives it the focus by itself: Enter answers it
  // like any other box.
  box->raise();
  box->activateWindow();
}

void setMessageHook(MessageHook hook) {
  messageHook() = std::move(hook);
  if (messageHook())
    answerForeignBoxes();
}

bool messageHookInstalled() { return static_cast<bool>(messageHook()); }

void reportError(const QString &text) {
  std::fprintf(stderr, "calixo: %s\n", text.toLocal8Bit().constData());
  showMessage(text);
}

void reportError(const std::exception &e) { reportError(QString::fromUtf8(e.what())); }

void guarded(const std::function<void()> &f) {
  // The one place where exceptions are swallowed: they are shown to the user
  // and the program goes on, as the general error report promises.
  try {
    f();
  } catch (const std::exception &e) {
    reportError(e);
  } catch (...) {
    reportError(QStringLiteral("Unknown error"));
  }
}

CalixoApplication::CalixoApplication(int &argc, char **argv) : QApplication(argc, argv) {
  if (!QStringDecoder("GBK").isValid())
    std::fprintf(stderr, "calixo: Qt has no GBK codec; texts fall back to iconv\n");
}

bool CalixoApplication::notify(QObject *receiver, QEvent *event) {
  bool handled = false;
  guarded([&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

QString fromGbk(const std::string &gbk) {
  QStringDecoder dec("GBK");
  if (dec.isValid())
    return dec.decode(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
  return QString::fromLocal8Bit(gbk.data(), static_cast<qsizetype>(gbk.size()));
}

bool toGbk(const QString &text, std::string &gbk) {
  QStringEncoder enc("GBK", QStringEncoder::Flag::Stateless);
  if (!enc.isValid())
    return false;
  // The encoder writes '?' for characters it cannot encode; check each one so
  // that a real '?' is told apart from a lost character.
  for (const QChar *p = text.constBegin(); p != text.constEnd(); ++p) {
    const bool pair = p->isHighSurrogate() && p + 1 != text.constEnd();
    QStringView one(p, pair ? 2 : 1);
    QByteArray b = enc.encode(one);
    if (enc.hasError() || (b == "?" && *p != QLatin1Char('?')))
      return false;
    if (pair)
      ++p;
  }
  QByteArray all = QStringEncoder("GBK").encode(text);
  gbk.assign(all.constData(), static_cast<size_t>(all.size()));
  return true;
}

QFont chineseFont(int pixelSize, bool bold) {
  QFont f;
  f.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
  if (pixelSize > 0)
    f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

QFont substituteFont(const QString &windowsFamily, int pixelSize, bool bold) {
  QFont f;
  if (windowsFamily.contains(QLatin1String("Vivace")))
    f.setFamilies({QStringLiteral("Nimbus Roman"), QStringLiteral("DejaVu Serif")});
  else if (windowsFamily.contains(QLatin1String("Comic")))
    f.setFamilies({QStringLiteral("DejaVu Serif"), QStringLiteral("WenQuanYi Micro Hei")});
  else
    f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei")});
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

}  // namespace calixo
