// The year/month dialog under the offscreen platform; message boxes are
// recorded by the message hook.
#include "okseleymdlg.h"

#include "clock.h"
#include "navigation.h"
#include "ui.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

class DialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    calixo::setMessageHook([this](const QString &text) { shown.push_back(text); });
  }
  void TearDown() override {
    calixo::setMessageHook(nullptr);
    calixo::setClock(nullptr);
  }

  template <class T> T *child(const char *name) {
    T *w = dlg.findChild<T *>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QLineEdit *year() { return child<QLineEdit>("EditYear"); }
  QLineEdit *month() { return child<QLineEdit>("EditMonth"); }

  // Runs chooseYearMonth; while the dialog is open, user acts on it.
  bool choose(int &y, int &m, int &d, const std::function<void()> &user) {
    QTimer::singleShot(0, &dlg, [this, user] {
      EXPECT_TRUE(dlg.isVisible());
      user();
      if (dlg.isVisible())  // a test that forgot to close it must not hang
        dlg.reject();
    });
    return dlg.chooseYearMonth(y, m, d);
  }
  void type(const QString &y, const QString &m) {
    year()->setText(y);
    month()->setText(m);
  }

  TOKSeleYMDlg dlg;
  std::vector<QString> shown;
};

}  // namespace

TEST_F(DialogTest, IsBuiltAsDesignedAndCreatedHidden) {
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("选择年月"));
  EXPECT_EQ(dlg.size(), QSize(310, 141));
  EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
  EXPECT_EQ(child<QFrame>("Bevel1")->geometry(), QRect(8, 8, 297, 89));
  EXPECT_EQ(child<QLabel>("Label1")->text(), QStringLiteral("年"));
  EXPECT_EQ(child<QLabel>("Label1")->pos(), QPoint(24, 34));
  EXPECT_EQ(child<QLabel>("Label2")->text(), QStringLiteral("月"));
  EXPECT_EQ(child<QLabel>("Label2")->pos(), QPoint(24, 67));
  EXPECT_EQ(year()->geometry(), QRect(80, 32, 121, 21));
  EXPECT_EQ(month()->geometry(), QRect(80, 64, 121, 21));
  EXPECT_TRUE(year()->testAttribute(Qt::WA_InputMethodEnabled));
  EXPECT_TRUE(month()->testAttribute(Qt::WA_InputMethodEnabled));
  auto *today = child<QPushButton>("ButtonToDay");
  EXPECT_EQ(today->text(), QStringLiteral("今天"));
  EXPECT_EQ(today->geometry(), QRect(232, 32, 57, 57));
  auto *ok = child<QPushButton>("OKBtn");
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_EQ(ok->geometry(), QRect(79, 110, 75, 25));
  EXPECT_TRUE(ok->isDefault());
  auto *cancel = child<QPushButton>("CancelBtn");
  EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
  EXPECT_EQ(cancel->geometry(), QRect(159, 110, 75, 25));
  EXPECT_FALSE(cancel->isDefault());
}

TEST_F(DialogTest, ShowsTheSelectionCentredAndOKTakesTheTypedMonth) {
  int y = 2023, m = 3, d = 31;
  QPoint centre;
  QRect frame;
  const bool changed = choose(y, m, d, [&] {
    EXPECT_EQ(year()->text(), QStringLiteral("2023"));
    EXPECT_EQ(month()->text(), QStringLiteral("3"));
    centre = dlg.frameGeometry().center();
    frame = dlg.frameGeometry();
    type(QStringLiteral("2024"), QStringLiteral("2"));
    QTest::mouseClick(child<QPushButton>("OKBtn"), Qt::LeftButton);
  });
  EXPECT_TRUE(changed);
  EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{2024, 2, 29}));
  EXPECT_TRUE(shown.empty());
  EXPECT_LE((centre - dlg.screen()->geometry().center()).manhattanLength(), 2)
      << centre.x() << "," << centre.y() << " frame " << frame.x() << "," << frame.y() << " "
      << frame.width() << "x" << frame.height();
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(DialogTest, EnterIsOKAndEscapeIsCancel) {
  int y = 2023, m = 3, d = 5;
  EXPECT_TRUE(choose(y, m, d, [&] {
    type(QStringLiteral("2030"), QStringLiteral("7"));
    QTest::keyClick(month(), Qt::Key_Return);
  }));
  EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{2030, 7, 5}));

  EXPECT_FALSE(choose(y, m, d, [&] {
    type(QStringLiteral("1999"), QStringLiteral("1"));
    QTest::keyClick(year(), Qt::Key_Escape);
  }));
  EXPECT_FALSE(choose(y, m, d, [&] {
    type(QStringLiteral("1999"), QStringLiteral("1"));
    QTest::mouseClick(child<QPushButton>("CancelBtn"), Qt::LeftButton);
  }));
  EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{2030, 7, 5}));
  EXPECT_TRUE(shown.empty());
}

TEST_F(DialogTest, TodayFillsInTodaysYearAndMonthAndStaysOpen) {
  calixo::ManualClock today({2026, 12, 8, 3, 0, 0, 0});
  calixo::setClock(&today);
  int y = 1999, m = 1, d = 31;
  EXPECT_TRUE(choose(y, m, d, [&] {
    QTest::mouseClick(child<QPushButton>("ButtonToDay"), Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(year()->text(), QStringLiteral("2026"));
    EXPECT_EQ(month()->text(), QStringLiteral("12"));
    QTest::mouseClick(child<QPushButton>("OKBtn"), Qt::LeftButton);
  }));
  EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{2026, 12, 31}));
}

// Keys go where a user's keys go: to the dialog's focus widget.
void pressKey(QDialog &dlg, Qt::Key key) {
  QWidget *focus = dlg.focusWidget();
  ASSERT_NE(focus, nullptr);
  QTest::keyClick(focus, key);
}

TEST_F(DialogTest, TheYearIsSelectedOnEveryShowingSoTypingReplacesIt) {
  int y = 2023, m = 3, d = 5;
  // The second showing starts where the first left the focus (on Cancel).
  for (int showing = 0; showing < 2; ++showing) {
    SCOPED_TRACE(showing);
    EXPECT_EQ(choose(y, m, d, [&] {
      EXPECT_EQ(dlg.focusWidget(), year());
      EXPECT_EQ(year()->selectedText(), QString::number(y));
      QTest::keyClicks(dlg.focusWidget(), QStringLiteral("2031"));
      EXPECT_EQ(year()->text(), QStringLiteral("2031"));
      EXPECT_EQ(month()->text(), QStringLiteral("3"));
      if (showing == 0) {
        child<QPushButton>("CancelBtn")->setFocus(Qt::TabFocusReason);
        pressKey(dlg, Qt::Key_Escape);
      } else {
        pressKey(dlg, Qt::Key_Return);
      }
    }), showing == 1);
  }
  EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{2031, 3, 5}));
}

struct EnterRow {
  const char *what;
  int tabs;        // Tab presses from the year edit before Enter
  Qt::Key enter;   // Return or the keypad's Enter
  bool staysOpen;  // 今天 only fills in (choose then cancels the dialog)
  bool accepted;
  const char *year, *month;  // the edits after Enter
};

TEST_F(DialogTest, EnterPressesTheFocusedButtonAndOKFromAnEdit) {
  calixo::ManualClock today({2026, 12, 8, 3, 0, 0, 0});
  calixo::setClock(&today);
  // Tab order: year, month, 今天, OK, Cancel.
  const EnterRow rows[] = {
      {"year edit", 0, Qt::Key_Return, false, true, "2030", "7"},
      {"month edit, keypad Enter", 1, Qt::Key_Enter, false, true, "2030", "7"},
      {"今天", 2, Qt::Key_Return, true, false, "2026", "12"},
      {"今天, keypad Enter", 2, Qt::Key_Enter, true, false, "2026", "12"},
      {"OK", 3, Qt::Key_Return, false, true, "2030", "7"},
      {"Cancel", 4, Qt::Key_Return, false, false, "2030", "7"},
  };
  for (const EnterRow &r : rows) {
    SCOPED_TRACE(r.what);
    int y = 2023, m = 3, d = 5;
    bool stillOpen = false;
    QString yearAfter, monthAfter;
    const bool accepted = choose(y, m, d, [&] {
      type(QStringLiteral("2030"), QStringLiteral("7"));
      for (int i = 0; i < r.tabs; ++i)
        pressKey(dlg, Qt::Key_Tab);
      pressKey(dlg, r.enter);
      stillOpen = dlg.isVisible();
      yearAfter = year()->text();
      monthAfter = month()->text();
    });
    EXPECT_EQ(yearAfter, QString::fromUtf8(r.year));
    EXPECT_EQ(monthAfter, QString::fromUtf8(r.month));
    EXPECT_EQ(stillOpen, r.staysOpen);
    EXPECT_EQ(accepted, r.accepted);
    EXPECT_EQ(y * 100 + m, r.accepted ? 203007 : 202303);
  }
}

TEST_F(DialogTest, AfterTodayHasHadTheFocusEnterInAnEditIsOKAgain) {
  calixo::ManualClock today({2026, 12, 8, 3, 0, 0, 0});
  calixo::setClock(&today);
  int y = 2023, m = 3, d = 5;
  EXPECT_TRUE(choose(y, m, d, [&] {
    pressKey(dlg, Qt::Key_Tab);
    pressKey(dlg, Qt::Key_Tab);
    ASSERT_EQ(dlg.focusWidget(), child<QPushButton>("ButtonToDay"));
    pressKey(dlg, Qt::Key_Return);
    ASSERT_TRUE(dlg.isVisible());
    pressKey(dlg, Qt::Key_Backtab);
    ASSERT_EQ(dlg.focusWidget(), month());
    EXPECT_TRUE(child<QPushButton>("OKBtn")->isDefault());
    pressKey(dlg, Qt::Key_Return);
  }));
  EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{2026, 12, 5}));
}

struct BoundRow {
  const char *year, *month;
  const char *message;  // nullptr: accepted
};

TEST_F(DialogTest, ChecksTheYearThenTheMonth) {
  const BoundRow rows[] = {
      {"1900", "1", nullptr},        {"9999", "12", nullptr},
      {"1899", "6", "年份错误"},     {"10000", "6", "年份错误"},
      {"2024", "0", "月份错误"},     {"2024", "13", "月份错误"},
      {"1899", "13", "年份错误"},
  };
  for (const BoundRow &r : rows) {
    SCOPED_TRACE(std::string(r.year) + "/" + r.month);
    shown.clear();
    int y = 2023, m = 3, d = 15;
    const bool changed = choose(y, m, d, [&] {
      type(QString::fromUtf8(r.year), QString::fromUtf8(r.month));
      QTest::mouseClick(child<QPushButton>("OKBtn"), Qt::LeftButton);
    });
    EXPECT_FALSE(dlg.isVisible());
    if (r.message) {
      EXPECT_FALSE(changed);
      EXPECT_EQ(shown, std::vector<QString>{QString::fromUtf8(r.message)});
      EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{2023, 3, 15}));
    } else {
      EXPECT_TRUE(changed);
      EXPECT_TRUE(shown.empty());
      EXPECT_EQ(y, std::atoi(r.year));
      EXPECT_EQ(m, std::atoi(r.month));
    }
  }
}

TEST_F(DialogTest, TextThatIsNoIntegerReachesTheGeneralErrorReport) {
  const std::pair<QString, QString> rows[] = {
      {QStringLiteral("二零二四"), QStringLiteral("abc")},  // the year is converted first
      {QStringLiteral("2024"), QStringLiteral("5月")},
      {QString(), QStringLiteral("5")},
  };
  const QString expected[] = {
      QStringLiteral("'二零二四' is not a valid integer value"),
      QStringLiteral("'5月' is not a valid integer value"),
      QStringLiteral("'' is not a valid integer value"),
  };
  for (int i = 0; i < 3; ++i) {
    shown.clear();
    int y = 2023, m = 3, d = 15;
    // As the main window does: the dialog runs inside an event handler, and
    // the exception leaves it for the application's error report.
    bool done = false;
    QTimer::singleShot(0, &dlg, [&] {
      done = true;
      choose(y, m, d, [&] {
        type(rows[i].first, rows[i].second);
        QTest::mouseClick(child<QPushButton>("OKBtn"), Qt::LeftButton);
      });
      ADD_FAILURE() << "no exception";
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 1000));
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, std::vector<QString>{expected[i]});
    EXPECT_EQ((std::vector<int>{y, m, d}), (std::vector<int>{2023, 3, 15}));
  }
}
