// Calixo's entry point: creates the window set in its fixed order, shows the
// main window and runs the event loop until the main window has closed.
#include "formmb.h"
#include "mainform.h"
#include "memolistform.h"
#include "timelistform.h"
#include "okseleymdlg.h"

#include "agenda.h"
#include "calixodata.h"
#include "icscli.h"
#include "reminders.h"
#include "singleinstance.h"
#include "synccli.h"
#include "ui.h"

#include <QEvent>
#include <QTimer>

#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <thread>

#include <fontconfig/fontconfig.h>

namespace {

// Runs work once, as soon as the event loop is idle after the first paint
// of a window (or after a second, should no paint come).
class AfterFirstPaint : public QObject {
public:
  AfterFirstPaint(QWidget *window, std::function<void()> work) : m_work(std::move(work)) {
    window->installEventFilter(this);
    QTimer::singleShot(1000, this, [this] { run(); });
  }
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] { run(); });
    }
    return false;
  }

private:
  void run() {
    if (!m_work)
      return;
    auto work = std::move(m_work);
    m_work = nullptr;
    work();
  }
  std::function<void()> m_work;
};

}  // namespace

int main(int argc, char **argv) {
  // The commands that need no display run before any window exists.
  if (const int status = calixo::ics::RunIcsCommand(argc, argv); status >= 0)
    return status;
  if (const int status = calixo::sync::RunSyncCommand(argc, argv); status >= 0)
    return status;
  // calixo --agenda FROM TO prints the data folder's plans and anniversaries
  // and needs no display, so it is answered before any application object.
  if (argc > 1 && std::strcmp(argv[1], "--agenda") == 0)
    return repeats::runAgenda(std::vector<std::string>(argv + 2, argv + argc), std::cout, std::cerr);

  // The font configuration is loaded while the application object connects
  // to the display; the first label would otherwise wait for it.
  std::thread fonts([] { FcInit(); });
  calixo::CalixoApplication app(argc, argv);
  fonts.join();
  // One copy per data folder: a second start brings the running copy's main
  // window forward and ends here, before any table is opened.
  calixo::SingleInstance instance;
  if (!instance.first())
    return 0;
  // The loop ends when the main window closes, whatever else is visible.
  app.setQuitOnLastWindowClosed(false);
  calixo::initDataResources();
  // Every window of the program carries its icon.
  app.setWindowIcon(TMainForm::MainIcon());

  // 1. The main window: settings, time table, month, picture. An error its
  // own code does not handle is reported and start-up goes on.
  MainForm = new TMainForm;
  calixo::guarded([] { MainForm->FormCreate(); });
  QObject::connect(MainForm, &TMainForm::closed, &app, &QCoreApplication::quit);
  QObject::connect(&instance, &calixo::SingleInstance::activationRequested, MainForm,
                   [] { calixo::bringForward(MainForm); });

  // The main window is shown first and the other windows are made, in their
  // fixed order, right after its first paint: the user sees the calendar
  // without waiting for windows that start hidden.
  auto createToolWindows = [] {
    // 2. The time-list window, hidden; it registers itself with the main window.
    MainTIMELIST = new TMainTIMELIST(MainForm);
    calixo::guarded([] { MainTIMELIST->FormCreate(); });
    // 3. The memo list window, hidden; the notes of shown memos open with it.
    calixo::guarded([] {
      MemoListForm = new TMemoListForm(MainForm->Calixoini());
      MainForm->addToolWindow(MemoListForm);
    });
    // 4. The countdown window, hidden.
    calixo::guarded([] {
      FormMB = new TFormMB;
      MainForm->addToolWindow(FormMB);
    });
    // 5. The year/month dialog, hidden.
    calixo::guarded([] { OKSeleYMDlg = new TOKSeleYMDlg; });
    // The calendar sync, when a URL is set: its first run now, in the
    // background.
    calixo::guarded([] { MainForm->StartSync(); });
  };
  AfterFirstPaint after(MainForm, createToolWindows);
  // Alarms and countdowns remind through it (sound, notification, snooze);
  // the reminders snoozed before a restart come back from its file.
  std::unique_ptr<calixo::Reminders> reminders;
  calixo::guarded([&] { reminders = std::make_unique<calixo::Reminders>(MainForm->Calixoini()); });

  MainForm->show();
  app.exec();

  reminders.reset();
  delete MainTIMELIST;
  delete MemoListForm;
  delete OKSeleYMDlg;
  delete FormMB;
  delete MainForm;
  return 0;
}
