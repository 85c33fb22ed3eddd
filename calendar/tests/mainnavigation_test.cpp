// The main window's stepping and stopwatch buttons and its year/month labels,
// offscreen, driven by mouse clicks.
#include "mainform.h"

#include "calixoini.h"
#include "clock.h"
#include "drawgrid.h"
#include "formmb.h"
#include "monthmodel.h"
#include "okseleymdlg.h"
#include "picturebutton.h"
#include "programfolder.h"
#include "settingsdlg.h"
#include "switches.h"
#include "timersource.h"
#include "ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
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

// The keys in the grid: a day, a week, a month, today; across months and
// years, the grid's current cell following the selection.
TEST_F(MainNavigationTest, KeysMoveTheSelectionAndEnterOpensTheTimeList) {
  QWidget timeList;
  form->setTimeListWindow(&timeList);
  std::vector<Ymd> shown;
  form->setTimeListWindow([&shown](int y, int m, int d) { shown.push_back({y, m, d}); }, nullptr);
  const struct {
    Ymd from;
    Qt::Key key;
    Ymd to;
  } rows[] = {
      {{2024, 5, 15}, Qt::Key_Right, {2024, 5, 16}},  {{2024, 5, 15}, Qt::Key_Left, {2024, 5, 14}},
      {{2024, 5, 15}, Qt::Key_Down, {2024, 5, 22}},   {{2024, 5, 15}, Qt::Key_Up, {2024, 5, 8}},
      {{2024, 5, 31}, Qt::Key_Right, {2024, 6, 1}},   {{2024, 1, 3}, Qt::Key_Up, {2023, 12, 27}},
      {{2024, 2, 26}, Qt::Key_Down, {2024, 3, 4}},    {{2024, 1, 31}, Qt::Key_PageDown, {2024, 2, 29}},
      {{2024, 3, 31}, Qt::Key_PageUp, {2024, 2, 29}}, {{2031, 7, 2}, Qt::Key_Home, {2024, 5, 15}},
      {{2024, 5, 15}, Qt::Key_A, {2024, 5, 15}},
  };
  form->DrawGridDate->setFocus();
  for (const auto &r : rows) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(r.from) << " key " << r.key);
    select(r.from);
    QTest::keyClick(form->DrawGridDate, r.key);
    EXPECT_EQ(selected(), r.to);
    const int k = FirstCell + SelDay - 1;
    EXPECT_EQ(QPoint(form->DrawGridDate->Col(), form->DrawGridDate->Row()), QPoint(k % 7, k / 7 + 1));
  }
  EXPECT_EQ(form->LabelMonthN->text(), QStringLiteral("5"));
  shown.clear();
  QTest::keyClick(form->DrawGridDate, Qt::Key_Right);
  EXPECT_EQ(shown, (std::vector<Ymd>{{2024, 5, 16}}));
  EXPECT_FALSE(timeList.isVisible());
  QTest::keyClick(form->DrawGridDate, Qt::Key_Return);
  EXPECT_TRUE(timeList.isVisible());
  EXPECT_EQ(shown.back(), (Ymd{2024, 5, 16}));
  form->setTimeListWindow(nullptr, nullptr);
}

// Today keeps its colour while another day is selected, and the selection's
// own look while it is selected.
TEST_F(MainNavigationTest, TodayKeepsItsMarkWhenAnotherDayIsSelected) {
  auto todayPixels = [this] {
    const QImage shot = form->DrawGridDate->grab().toImage();
    const int k = FirstCell + 15 - 1;
    const QRect cell = form->DrawGridDate->CellRect(k % 7, k / 7 + 1);
    int n = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
      for (int x = cell.left(); x <= cell.right(); ++x)
        n += QColor(shot.pixel(x, y)) == TMainForm::TodayColour();
    return n;
  };
  select({2024, 5, 15});
  EXPECT_EQ(todayPixels(), 0);
  select({2024, 5, 20});
  EXPECT_GT(todayPixels(), 38 * 25 / 2);
}

// The whole date on hover: the lines of the day under the pointer, its plans
// and the holiday the holiday calendar gives.
TEST_F(MainNavigationTest, TheToolTipOfADay) {
  select({2024, 5, 1});
  auto r = std::make_shared<STIMELISTDATA>();
  r->Hour = 7;
  r->Text = "run";
  r->SetFlag = 1;
  form->SaveEntry(2024, 5, 1, r, 0);
  form->setHolidayLookup([](int, int m, int d) -> std::optional<SDayHoliday> {
    if (m == 5 && d == 1)
      return SDayHoliday{"劳动节", true};
    return std::nullopt;
  });
  const int k = FirstCell;  // 1 May
  EXPECT_EQ(form->DayToolTip(k % 7, k / 7 + 1),
            QStringLiteral("2024年5月1日 星期三\n农历甲辰年（龙年）三月廿三\n节日：劳动节\n"
                           "乙丑日\n劳动节（休）\n1项计划：\n7:00 run"));
  EXPECT_EQ(form->DayToolTip(0, 0), QString());
  EXPECT_EQ(form->DayToolTip(0, 1), QString());  // a blank cell before 1 May
}

// The 设置 dialog: one check box per switch, filled from the file; OK stores
// the choice after the untouched template and the grid shows it at once.
TEST_F(MainNavigationTest, TheSettingsDialogStoresAndAppliesTheSwitches) {
  select({2026, 12, 8});
  auto labelDrawn = [this] {
    struct Texts : TCellCanvas {
      int n = 0;
      void TextOut(int, int, const QString &, const QRect &) override { ++n; }
      void Draw(int, int, const QImage &) override {}
    } canvas;
    canvas.Font = form->DrawGridDate->font();
    const int k = FirstCell + 7;
    form->OnDrawGirdDateDrawCell(canvas, k % 7, k / 7 + 1, form->DrawGridDate->CellRect(k % 7, k / 7 + 1));
    return canvas.n == 2;  // the day number and its label
  };
  EXPECT_TRUE(labelDrawn());
  QTimer::singleShot(0, form.get(), [] {
    auto *dlg = qobject_cast<TSettingsDlg *>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    const auto flags = std::count_if(calixo::Switches().begin(), calixo::Switches().end(),
                                     [](const calixo::SwitchRow &s) { return s.Kind == calixo::SwitchKind::Flag; });
    EXPECT_EQ(dlg->findChildren<QCheckBox *>().size(), static_cast<qsizetype>(flags));
    auto *extended = dlg->findChild<QCheckBox *>(QStringLiteral("Switch_Lunar_Extended"));
    ASSERT_NE(extended, nullptr);
    EXPECT_TRUE(extended->isChecked());
    extended->setChecked(false);
    QTest::mouseClick(dlg->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);
  });
  form->OnSettingsClick();
  EXPECT_FALSE(labelDrawn());
  std::ifstream in("Calixo.ini", std::ios::binary);
  const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string &t = TCalixoini::DefaultTemplate();
  EXPECT_EQ(file.substr(0, t.size()), t);
  const std::string lunar = "[Lunar]\r\nExtended=0\r\nFestivals=1\r\n[Holidays]\r\n";
  EXPECT_EQ(file.substr(t.size(), lunar.size()), lunar);
  EXPECT_TRUE(messages.empty());
}
