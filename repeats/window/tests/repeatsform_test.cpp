// The 纪念日 window driven as a user would: add through the dialog, see the
// next date, the days until it and the count, change and delete.
#include "repeatsform.h"

#include "clock.h"
#include "gbk.h"
#include "repeatdialog.h"
#include "repeattable.h"
#include "tempdir.h"
#include "ui.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

struct RepeatsWindow : TempDirTest {
  calixo::ManualClock clock{{2026, 9, 22, 10, 0, 0, 0}};
  repeats::TRepeatTable table;

  void SetUp() override {
    TempDirTest::SetUp();
    calixo::setClock(&clock);
    table.CreateIfMissing();
    table.Open();
  }
  void TearDown() override {
    calixo::setClock(nullptr);
    TempDirTest::TearDown();
  }
  // Runs fill on the dialog once it is open, then presses OK.
  static void whenDialogOpens(const std::function<void(TRepeatDialog &)> &fill) {
    QTimer::singleShot(0, [fill] {
      auto *dialog = qobject_cast<TRepeatDialog *>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      fill(*dialog);
      dialog->accept();
    });
  }
};

TEST_F(RepeatsWindow, AddChangeDelete) {
  TRepeatsForm form(table, lunar::LunarTable::Extended);
  int changes = 0;
  QObject::connect(&form, &TRepeatsForm::changed, [&] { ++changes; });
  whenDialogOpens([](TRepeatDialog &d) {
    d.EditName->setText(QStringLiteral("妈妈生日"));
    d.ComboMonth->setCurrentIndex(d.ComboMonth->findText(QStringLiteral("八月")));
    d.ComboDay->setCurrentIndex(d.ComboDay->findText(QStringLiteral("十五")));
    d.SpinYear->setValue(1950);
    d.SpinAhead->setValue(3);
  });
  QTest::mouseClick(form.ButtonAdd, Qt::LeftButton);
  ASSERT_EQ(table.Items().size(), 1u);
  EXPECT_EQ(changes, 1);
  const repeats::SREPEATDATA &r = table.Items()[0];
  EXPECT_EQ(r.Kind, 'L');
  EXPECT_EQ(r.Month, 8);
  EXPECT_EQ(r.Day, 15);
  EXPECT_EQ(r.SetFlag, 1);
  EXPECT_EQ(calixo::gbkToUtf8(r.Text), "妈妈生日");
  // 中秋 2026 is 25 September, three days after the clock's today.
  ASSERT_EQ(form.ListRepeats->topLevelItemCount(), 1);
  QTreeWidgetItem *item = form.ListRepeats->topLevelItem(0);
  EXPECT_EQ(item->text(1), QStringLiteral("农历八月十五"));
  EXPECT_EQ(item->text(2), QStringLiteral("2026-09-25"));
  EXPECT_EQ(item->text(3), QStringLiteral("3天"));
  EXPECT_EQ(item->text(4), QStringLiteral("第76个生日"));

  // A Gregorian 30 February is refused and nothing is stored.
  form.ListRepeats->setCurrentItem(item);
  QString refused;
  calixo::setMessageHook([&](const QString &t) { refused = t; });
  QTimer::singleShot(0, [] {
    auto *d = qobject_cast<TRepeatDialog *>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    d->ComboKind->setCurrentIndex(1);
    d->ComboMonth->setCurrentIndex(d->ComboMonth->findData(2));
    d->ComboDay->setCurrentIndex(d->ComboDay->findData(30));
    d->accept();
    d->reject();
  });
  EXPECT_FALSE(form.ChangeSelected());
  calixo::setMessageHook(nullptr);
  EXPECT_EQ(refused, QStringLiteral("这个月没有这一天"));
  EXPECT_EQ(table.Items()[0].Kind, 'L');

  form.ListRepeats->setCurrentItem(form.ListRepeats->topLevelItem(0));
  form.ConfirmDelete = [](const QString &) { return true; };
  EXPECT_TRUE(form.DeleteSelected());
  EXPECT_TRUE(table.Items().empty());
  EXPECT_EQ(form.ListRepeats->topLevelItemCount(), 0);
  EXPECT_EQ(changes, 2);
}

TEST_F(RepeatsWindow, ADayFillsInItsLunarAndGregorianDate) {
  TRepeatDialog d;
  d.setDayDates(-4, 1, 5, 23);  // 2001-05-23, 闰四月初一
  EXPECT_EQ(d.ComboMonth->currentText(), QStringLiteral("闰四月"));
  EXPECT_EQ(d.ComboDay->currentText(), QStringLiteral("初一"));
  d.ComboKind->setCurrentIndex(1);
  EXPECT_EQ(d.ComboMonth->currentText(), QStringLiteral("5月"));
  EXPECT_EQ(d.ComboDay->currentText(), QStringLiteral("23日"));
}

}  // namespace
