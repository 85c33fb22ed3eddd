// An error that no window code catches, raised from an event handler of each
// window of the program, reaches the general error report with its English
// text, and the window goes on working. The window set is built as the
// program builds it, offscreen; message boxes are recorded.
#include "alarmclock.h"
#include "clock.h"
#include "dbf.h"
#include "formmb.h"
#include "mainform.h"
#include "memolistform.h"
#include "monthmodel.h"
#include "okseleymdlg.h"
#include "picturebutton.h"
#include "programfolder.h"
#include "timegrid.h"
#include "timelistform.h"
#include "ui.h"
#include "visiblenotes.h"
#include "zuimage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>

namespace {

const QString kClockError = QStringLiteral("The system clock cannot be read");

// The program's clock that can stop answering: now() throws while broken,
// else it tells the time of the fixture's clock.
class UnreadableClock final : public calixo::Clock {
public:
  explicit UnreadableClock(const calixo::ManualClock &base) : m_base(base) {}
  calixo::LocalDateTime now() const override {
    if (broken)
      throw std::runtime_error(kClockError.toStdString());
    return m_base.now();
  }
  bool broken = false;

private:
  const calixo::ManualClock &m_base;
};

class ErrorReportTest : public ProgramFolderTest {
protected:
  ErrorReportTest() : ProgramFolderTest({2024, 5, 15, 6, 59, 0, 0}) {}
  void SetUp() override {
    ProgramFolderTest::SetUp();
    calixo::setClock(&m_clock);
    calixo::setMessageHook([this](const QString &t) {
      if (!m_failingBox.isEmpty() && t.startsWith(m_failingBox + QLatin1Char('\n')))
        throw std::runtime_error("The message box cannot be shown");
      messages.push_back(t);
    });
  }
  // The window set in the program's order (main.cpp).
  void createWindows() {
    MainForm = new TMainForm;
    calixo::guarded([] { MainForm->FormCreate(); });
    MainTIMELIST = new TMainTIMELIST(MainForm);
    calixo::guarded([] { MainTIMELIST->FormCreate(); });
    MemoListForm = new TMemoListForm(MainForm->Calixoini());
    MainForm->addToolWindow(MemoListForm);
    FormMB = new TFormMB;
    MainForm->addToolWindow(FormMB);
    OKSeleYMDlg = new TOKSeleYMDlg;
    MainForm->show();
  }
  void TearDown() override {
    if (MainForm)
      MainForm->close();  // lets the tool windows close
    delete MainTIMELIST;
    delete MemoListForm;
    delete OKSeleYMDlg;
    delete FormMB;
    delete MainForm;
    MainTIMELIST = nullptr;
    MemoListForm = nullptr;
    OKSeleYMDlg = nullptr;
    FormMB = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ProgramFolderTest::TearDown();
  }

  static void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5)); }
  // Runs the event loop until pred holds or the time is up.
  static bool waitFor(const std::function<bool()> &pred, int ms = 5000) {
    return QTest::qWaitFor(pred, ms);
  }
  static QWidget *memoAdd() { return MemoListForm->findChild<QWidget *>(QStringLiteral("ImageADD")); }
  std::string joined() const {
    QStringList l(messages.begin(), messages.end());
    return l.join(QLatin1Char('|')).toStdString();
  }
  bool reported(const QString &text) const {
    return std::find(messages.begin(), messages.end(), text) != messages.end();
  }
  TTimeList entriesOf(int y, int m, int d) {
    TTimeList l;
    MainForm->LoadDayEntries(y, m, d, l);
    return l;
  }

  UnreadableClock m_clock{clock};
  QString m_failingBox;  // a text whose box fails to show
};

// The main window: a step to a month whose picture cannot be loaded (the
// default "calixo.bmp" is gone) is reported; the month has changed, and the
// next step, with the picture back, goes through quietly.
TEST_F(ErrorReportTest, MainWindowMonthStepWithoutItsPicture) {
  std::filesystem::remove(dir() / "calixo.bmp");
  createWindows();
  ASSERT_EQ(messages.size(), 1u) << "creation reports the missing picture";
  messages.clear();

  TPictureButton *next = MainForm->ImageNextMonth;
  const QPoint home = next->pos();
  click(next);
  EXPECT_EQ(messages, std::vector<QString>{QStringLiteral(
                            "Cannot load the month picture \"calixo.bmp\": the file is missing or "
                            "not a bitmap")});
  EXPECT_EQ(SelMonth, 6);
  EXPECT_EQ(MainForm->LabelMonthE->text(), QStringLiteral("June"));
  EXPECT_EQ(next->pos(), home) << "the button came back before the error";

  std::filesystem::copy_file(std::filesystem::path(CALIXO_RUNTIME_DATA_DIR) / "calixo.bmp",
                             dir() / "calixo.bmp");
  messages.clear();
  click(next);
  EXPECT_TRUE(messages.empty()) << joined();
  EXPECT_EQ(SelMonth, 7);
  EXPECT_TRUE(MainForm->ZuImage1->IsDefaultBmp);
}

// The main window's clock: ticks while the clock cannot be read are reported,
// and once it answers again the armed alarm fires at its minute.
TEST_F(ErrorReportTest, ClockTickWhileTheTimeCannotBeRead) {
  createWindows();
  auto row = std::make_shared<STIMELISTDATA>();
  row->Hour = 7;
  row->Minute = 0;
  row->SetFlag = 1;
  row->Text = "wake up";
  MainForm->SaveEntry(2024, 5, 15, row, 0);
  ASSERT_EQ(MainForm->AlarmClock->NextAlarm.Armed, 1);
  messages.clear();

  m_clock.broken = true;
  EXPECT_TRUE(waitFor([this] { return reported(kClockError); }));
  m_clock.broken = false;
  clock.set({2024, 5, 15, 7, 0, 0, 0});
  EXPECT_TRUE(waitFor([this] { return reported(QStringLiteral("wake up")); }))
      << joined();
  const TTimeList l = entriesOf(2024, 5, 15);
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0]->SetFlag, 0) << "the fired alarm is stored unset";
}

// The time-list window: setting an alarm stamps the table and asks whether
// today is selected. With the clock failing, the table refuses the write
// quietly (as every table error of the window does), the question fails and
// is reported; the row shows its mark. With the clock back, cancel and set
// again store one record.
TEST_F(ErrorReportTest, TimeListSetWhileTheTimeCannotBeRead) {
  createWindows();
  MainTIMELIST->DrawGridTimeList->setCurrentCell(2, 30);  // 14:30
  messages.clear();
  m_clock.broken = true;
  click(MainTIMELIST->ImageClSet);
  m_clock.broken = false;
  EXPECT_EQ(messages, std::vector<QString>{kClockError});
  EXPECT_TRUE(entriesOf(2024, 5, 15).empty());
  EXPECT_EQ(MainTIMELIST->Rows[29]->AlarmState, 1);

  messages.clear();
  click(MainTIMELIST->ImageClUnSet);
  EXPECT_EQ(MainTIMELIST->Rows[29]->AlarmState, 0);
  click(MainTIMELIST->ImageClSet);
  EXPECT_TRUE(messages.empty()) << joined();
  const TTimeList l = entriesOf(2024, 5, 15);
  ASSERT_EQ(l.size(), 1u) << "the failed set left no record behind";
  EXPECT_EQ(l[0]->SetFlag, 1);
  EXPECT_EQ(l[0]->Hour, 14);
  EXPECT_EQ(l[0]->Minute, 30);
  EXPECT_EQ(MainForm->AlarmClock->NextAlarm.Armed, 1) << "today's set arms the clock";
}

// The memo list: a new memo takes the time of its creation; when it cannot
// be had, nothing is added, and the next add makes a memo and its note.
TEST_F(ErrorReportTest, MemoAddWhileTheTimeCannotBeRead) {
  createWindows();
  messages.clear();
  m_clock.broken = true;
  click(memoAdd());
  m_clock.broken = false;
  EXPECT_EQ(messages, std::vector<QString>{kClockError});
  EXPECT_EQ(MemoListForm->Table().Count(), 0);
  EXPECT_TRUE(visibleNotes().isEmpty());

  click(memoAdd());
  EXPECT_EQ(MemoListForm->Table().Count(), 1);
  EXPECT_EQ(visibleNotes().size(), 1);
  EXPECT_EQ(messages.size(), 1u);
}

// A note (the Hovrel library's window): typing while another program holds
// the memo's record says that the memo was not saved, naming the table and
// the engine's error, once the keystroke has been handled; the note keeps
// the text, and the next keystroke, once the record is free, stores all of it.
TEST_F(ErrorReportTest, NoteTypingWhileItsRecordIsLocked) {
  createWindows();
  click(memoAdd());
  ASSERT_EQ(visibleNotes().size(), 1);
  auto *text = visibleNotes().first()->findChild<QPlainTextEdit *>(QStringLiteral("noteText"));
  ASSERT_NE(text, nullptr);
  messages.clear();

  dbf::TDbfDataSet other("Other");
  other.SetTableName("TextList");
  other.Open();
  other.First();
  other.Edit();
  QTest::keyClicks(text, QStringLiteral("x"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 5000));
  EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("记事没有保存。\n") + QDir::currentPath() +
                                           QStringLiteral("/TEXTLIST.DBF: Record is locked by another user")});
  EXPECT_EQ(text->toPlainText(), QStringLiteral("x"));
  other.Cancel();

  QTest::keyClicks(text, QStringLiteral("y"));
  EXPECT_EQ(messages.size(), 1u);
  other.Close();
  other.Open();
  other.First();
  EXPECT_EQ(other.StringGet("TEXT"), "xy");
  EXPECT_EQ(MemoListForm->Table().Text(0), "xy");
}

// The countdown: its expiry timer shows the reminder; a box that fails to
// show is reported, the channel has stopped, and a new count reminds again.
TEST_F(ErrorReportTest, CountdownReminderBoxFails) {
  createWindows();
  messages.clear();
  auto *check = FormMB->findChild<QCheckBox *>(QStringLiteral("CheckBoxB1"));
  auto *edit = FormMB->findChild<QLineEdit *>(QStringLiteral("EditB1"));
  auto *bar = FormMB->findChild<QProgressBar *>(QStringLiteral("ProgressBarB1"));
  ASSERT_TRUE(check && edit && bar);
  edit->setText(QStringLiteral("tea"));
  m_failingBox = QStringLiteral("tea");
  check->click();  // one second
  EXPECT_TRUE(waitFor([this] { return !messages.empty(); }));
  EXPECT_EQ(messages, std::vector<QString>{QStringLiteral("The message box cannot be shown")});
  EXPECT_FALSE(check->isChecked());
  EXPECT_EQ(bar->value(), 0);

  edit->setText(QStringLiteral("more tea"));
  check->click();
  EXPECT_TRUE(waitFor([this] { return reported(QStringLiteral("more tea\n表一（1秒）")); }));
  EXPECT_FALSE(check->isChecked());
}

// The year/month dialog: "今天" asks for the date; when it cannot be had the
// error is reported, the dialog stays open with its texts, and OK then
// applies what was typed.
TEST_F(ErrorReportTest, DialogTodayWhileTheTimeCannotBeRead) {
  createWindows();
  messages.clear();
  auto *year = OKSeleYMDlg->findChild<QLineEdit *>(QStringLiteral("EditYear"));
  auto *month = OKSeleYMDlg->findChild<QLineEdit *>(QStringLiteral("EditMonth"));
  bool stayedOpen = false;
  QString yearAfterError;
  QTimer::singleShot(0, OKSeleYMDlg, [&] {
    m_clock.broken = true;
    click(OKSeleYMDlg->findChild<QPushButton *>(QStringLiteral("ButtonToDay")));
    m_clock.broken = false;
    stayedOpen = OKSeleYMDlg->isVisible();
    yearAfterError = year->text();
    year->setText(QStringLiteral("2030"));
    month->setText(QStringLiteral("4"));
    click(OKSeleYMDlg->findChild<QPushButton *>(QStringLiteral("OKBtn")));
    if (OKSeleYMDlg->isVisible())
      OKSeleYMDlg->reject();
  });
  QTest::mouseClick(MainForm->LabelYear, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(messages, std::vector<QString>{kClockError});
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(yearAfterError, QStringLiteral("2024"));
  EXPECT_EQ(SelYear, 2030);
  EXPECT_EQ(SelMonth, 4);
  EXPECT_EQ(MainForm->LabelMonthE->text(), QStringLiteral("April"));
}

}  // namespace
