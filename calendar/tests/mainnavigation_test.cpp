// The main window's stepping and stopwatch buttons and its year/month labels,
// offscreen, driven by mouse clicks.
#include "mainform.h"

#include "clock.h"
#include "formmb.h"
#include "monthmodel.h"
#include "okseleymdlg.h"
#include "picturebutton.h"
#include "programfolder.h"
#include "timersource.h"
#include "ui.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace {

struct Ymd {
  int y, m, d;
  bool operator==(const Ymd &) const = default;
};
void PrintTo(const Ymd &v, std::ostream *os) { *os << v.y << "-" << v.m << "-" << v.d; }

class MainNavigationTest : public ProgramFolderTest {
protected:
  MainNavigationTest() : ProgramFolderTest({2024, 5, 15, 10, 0, 0, 0}) {}
  calixo::ManualTimerSource timers;
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TFormMB> stopwatch;
  std::unique_ptr<TOKSeleYMDlg> dialog;

  void SetUp() override {
    ProgramFolderTest::SetUp();
    form = std::make_unique<TMainForm>();
    form->FormCreate();
    stopwatch = std::make_unique<TFormMB>(nullptr, timers);
    FormMB = stopwatch.get();
    form->addToolWindow(FormMB);
    dialog = std::make_unique<TOKSeleYMDlg>();
    OKSeleYMDlg = dialog.get();
    form->show();
    messages.clear();  // what the creation reported is not this test's business
  }
  void TearDown() override {
    OKSeleYMDlg = nullptr;
    dialog.reset();
    FormMB = nullptr;
    stopwatch->CanClose = true;
    stopwatch.reset();
    form.reset();
    ProgramFolderTest::TearDown();
  }

  TPictureButton *button(const char *name) {
    auto *b = form->findChild<TPictureButton *>(QLatin1String(name));
    EXPECT_NE(b, nullptr) << name;
    return b;
  }
  void select(Ymd v) {
    SelYear = v.y;
    SelMonth = v.m;
    SelDay = v.d;
    form->RefreshMonth();
  }
  static Ymd selected() { return {SelYear, SelMonth, SelDay}; }
  void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton, {}, QPoint(5, 5)); }

  // Clicks a label; while the dialog is open, user acts on it.
  void clickLabel(QLabel *label, const std::function<void()> &user) {
    QTimer::singleShot(0, dialog.get(), [this, user] {
      EXPECT_TRUE(dialog->isVisible());
      user();
      if (dialog->isVisible())
        dialog->reject();
    });
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
  }
  void typeAndOK(const QString &year, const QString &month) {
    dialog->findChild<QLineEdit *>(QStringLiteral("EditYear"))->setText(year);
    dialog->findChild<QLineEdit *>(QStringLiteral("EditMonth"))->setText(month);
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);
  }
};

}  // namespace

TEST_F(MainNavigationTest, ButtonsSitWhereDesignedWithTheirBuiltInPictures) {
  struct Row {
    const char *name;
    QPoint pos;
    QSize size;
    QPoint offset;
  };
  const Row rows[] = {
      {"ImageBlue", {528, 88}, {31, 30}, {1, 1}},
      {"ImageLastYear", {530, 174}, {15, 17}, {1, 1}},
      {"ImageNextYear", {543, 173}, {15, 17}, {-1, -1}},
      {"ImageBeforMonth", {530, 205}, {15, 17}, {-1, -1}},
      {"ImageNextMonth", {543, 204}, {15, 17}, {-1, -1}},
      {"ImageClose", {529, 237}, {28, 28}, {-1, -1}},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.name);
    TPictureButton *b = button(r.name);
    EXPECT_EQ(b->pos(), r.pos);
    EXPECT_EQ(b->size(), r.size);
    EXPECT_EQ(b->pressOffset(), r.offset);
    EXPECT_EQ(b->cursor().shape(), Qt::PointingHandCursor);
  }
}

TEST_F(MainNavigationTest, ButtonsStepTheSelectedDate) {
  struct Row {
    Ymd from;
    const char *button;
    Ymd to;
  };
  const Row rows[] = {
      {{2024, 2, 29}, "ImageNextYear", {2025, 2, 28}},
      {{2024, 2, 29}, "ImageLastYear", {2023, 2, 28}},
      {{2024, 1, 31}, "ImageNextMonth", {2024, 2, 29}},
      {{2023, 1, 31}, "ImageNextMonth", {2023, 2, 28}},
      {{2023, 3, 31}, "ImageBeforMonth", {2023, 2, 28}},
      {{2009, 12, 20}, "ImageNextMonth", {2010, 1, 20}},
      {{2010, 1, 20}, "ImageBeforMonth", {2009, 12, 20}},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.button);
    select(r.from);
    click(r.button);
    EXPECT_EQ(selected(), r.to);
    EXPECT_EQ(form->LabelYear->text(), QString::number(r.to.y));
    EXPECT_EQ(form->LabelMonthN->text(), QString::number(r.to.m));
  }
  select({2009, 12, 20});
  click("ImageNextMonth");
  EXPECT_EQ(form->LabelMonthE->text(), QStringLiteral("January"));
}

TEST_F(MainNavigationTest, OnlyALeftClickReleasedInsideActs) {
  select({2024, 5, 15});
  for (const char *name : {"ImageNextYear", "ImageLastYear", "ImageNextMonth", "ImageBlue"}) {
    SCOPED_TRACE(name);
    TPictureButton *b = button(name);
    const QPoint home = b->pos();
    QTest::mousePress(b, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->pos(), home + b->pressOffset());
    QTest::mouseRelease(b, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->pos(), home);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(b->pos(), home);
  }
  EXPECT_EQ(selected(), (Ymd{2024, 5, 15}));
  EXPECT_FALSE(FormMB->isVisible());
}

TEST_F(MainNavigationTest, StopwatchButtonShowsAndHidesTheCountdown) {
  EXPECT_FALSE(FormMB->isVisible());
  click("ImageBlue");
  EXPECT_TRUE(FormMB->isVisible());
  click("ImageBlue");
  EXPECT_FALSE(FormMB->isVisible());
}

TEST_F(MainNavigationTest, EachLabelOpensTheDialogOnTheSelection) {
  select({2023, 3, 31});
  clickLabel(form->LabelYear, [this] {
    EXPECT_EQ(dialog->findChild<QLineEdit *>(QStringLiteral("EditYear"))->text(), "2023");
    EXPECT_EQ(dialog->findChild<QLineEdit *>(QStringLiteral("EditMonth"))->text(), "3");
    typeAndOK(QStringLiteral("2024"), QStringLiteral("2"));
  });
  EXPECT_EQ(selected(), (Ymd{2024, 2, 29}));
  EXPECT_EQ(form->LabelMonthE->text(), QStringLiteral("February"));

  clickLabel(form->LabelMonthN, [this] { typeAndOK(QStringLiteral("1899"), QStringLiteral("2")); });
  clickLabel(form->LabelMonthE, [this] { typeAndOK(QStringLiteral("2024"), QStringLiteral("13")); });
  clickLabel(form->LabelYear, [this] { typeAndOK(QStringLiteral("二〇二四"), QStringLiteral("1")); });
  EXPECT_EQ(messages, (std::vector<QString>{QStringLiteral("年份错误"), QStringLiteral("月份错误"),
                                            QStringLiteral("'二〇二四' is not a valid integer value")}));
  EXPECT_EQ(selected(), (Ymd{2024, 2, 29}));
}
