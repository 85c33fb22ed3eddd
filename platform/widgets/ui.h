// What every window needs from the desktop: the program's title, plain
// message boxes, the one general error report, GBK text at the UI boundary
// and the Chinese font.
#pragma once

#include <QApplication>
#include <QFont>
#include <QString>

#include <exception>
#include <functional>
#include <string>

class QWidget;

namespace calixo {

// The executable's file name without its folder, cut at its first ".", every
// letter after the first in lower case ("calixo" -> "Calixo"). The caption of
// every plain message box.
QString programTitle();

// A modal box with the program's title, the text and one OK button.
void showMessage(const QString &text, QWidget *owner = nullptr);
// The same; shown runs once the box is on the screen, before it is answered
// (an alarm is cleared only once its box was shown).
void showMessage(const QString &text, QWidget *owner, const std::function<void()> &shown);

// A box that does not block: the program goes on and a later box does not
// hide it (each new one opens a little below and right of those still
// open). Answered with OK like the others; tests' hook gets its text.
void showMessageBeside(const QString &text);

// The general error report: a message box with the error's English text.
// Every exception that no window code catches ends up here and the program
// goes on.
void reportError(const std::exception &e);
void reportError(const QString &text);
// Runs f and sends anything it throws to the general error report.
void guarded(const std::function<void()> &f);

// The application object of the program and of every widget test: it routes
// exceptions that escape an event handler to the general error report, since
// an exception must never leave Qt's event loop.
class CalixoApplication : public QApplication {
public:
  CalixoApplication(int &argc, char **argv);
  bool notify(QObject *receiver, QEvent *event) override;
};

// Installs a replacement for the message box (tests record the texts instead
// of blocking); nullptr restores the real box. The hook gets the text shown.
// While it is installed it also gets the text of every message box that a
// loaded library shows itself, and each such box is answered with OK.
using MessageHook = std::function<void(const QString &text)>;
void setMessageHook(MessageHook hook);
bool messageHookInstalled();

// GBK bytes <-> QString. toGbk fails (returns false) on a character that GBK
// cannot encode, so nothing is ever stored as "?".
QString fromGbk(const std::string &gbk);
bool toGbk(const QString &text, std::string &gbk);

// A Simplified-Chinese font by name, so Chinese is never drawn in a Japanese
// variant. pixelSize <= 0 keeps the default size.
QFont chineseFont(int pixelSize = 0, bool bold = false);
// Debian's stand-ins for the Windows fonts the windows were designed with.
QFont substituteFont(const QString &windowsFamily, int pixelSize, bool bold);

}  // namespace calixo
