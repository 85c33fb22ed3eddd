#include "preeditguard.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QWidget>

namespace calixo {

namespace {

class TPreeditGuard : public QObject {
public:
  explicit TPreeditGuard(QWidget *editor) : QObject(editor) { editor->installEventFilter(this); }

protected:
  bool eventFilter(QObject *, QEvent *e) override {
    switch (e->type()) {
    case QEvent::FocusIn:
      m_leaving = false;
      break;
    // Within a window the input method's commit comes between these two;
    // when the window itself loses the focus it comes after FocusOut.
    case QEvent::FocusAboutToChange:
    case QEvent::FocusOut:
      m_leaving = true;
      break;
    case QEvent::InputMethod: {
      auto *im = static_cast<QInputMethodEvent *>(e);
      if (m_leaving && !m_preedit.isEmpty() && !im->commitString().isEmpty())
        im->setCommitString(QString());
      m_preedit = im->preeditString();
      break;
    }
    default:
      break;
    }
    return false;
  }

private:
  bool m_leaving = false;
  QString m_preedit;  // the composition the editor shows, "" when none
};

}  // namespace

void dropPreeditOnFocusLoss(QWidget *editor) { new TPreeditGuard(editor); }

}  // namespace calixo
