// The countdown window under the offscreen platform, its timers on a
// ManualTimerSource and its message boxes recorded by the message hook.
#include "formmb.h"
#include "imagemy.h"
#include "ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

struct Shown {
  int64_t at;
  QString text;
  bool operator==(const Shown &) const = default;
};

class FormMBTest : public ::testing::Test {
protected:
  void SetUp() override {
    // The window shapes itself from "CalixoMb.EXB" in the current folder.
    m_old = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "calixo-mb-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
    std::filesystem::copy_file(std::filesystem::path(CALIXO_RUNTIME_DIR) / "CalixoMb.EXB",
                               m_dir / "CalixoMb.EXB");
    std::filesystem::current_path(m_dir);
    calixo::setMessageHook([this](const QString &text) {
      shown.push_back({timers.now(), text});
      if (onMessage)
        onMessage();
    });
    form = std::make_unique<TFormMB>(nullptr, timers);
    form->show();
  }
  void TearDown() override {
    if (form)
      form->CanClose = true;
    form.reset();
    calixo::setMessageHook(nullptr);
    std::filesystem::current_path(m_old);
    std::filesystem::remove_all(m_dir);
  }

  template <class T> T *child(const char *name) {
    T *w = form->findChild<T *>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QCheckBox *box(int ch) { return child<QCheckBox>(ch == 0 ? "CheckBoxB1" : "CheckBoxB2"); }
  QComboBox *unit(int ch) { return child<QComboBox>(ch == 0 ? "ComboBoxB1" : "ComboBoxB2"); }
  QSlider *slider(int ch) { return child<QSlider>(ch == 0 ? "TrackBarB1" : "TrackBarB2"); }
  QLineEdit *edit(int ch) { return child<QLineEdit>(ch == 0 ? "EditB1" : "EditB2"); }
  int bar(int ch) { return child<QProgressBar>(ch == 0 ? "ProgressBarB1" : "ProgressBarb2")->value(); }

  // Sets the channel up as a user would and ticks its box with a click.
  void start(int ch, int length, const QString &unitText, const QString &reminder) {
    slider(ch)->setValue(length);
    unit(ch)->setEditText(unitText);
    edit(ch)->setText(reminder);
    click(ch);
  }
  void click(int ch) { QTest::mouseClick(box(ch), Qt::LeftButton, {}, QPoint(6, 8)); }

  calixo::ManualTimerSource timers;
  std::unique_ptr<TFormMB> form;
  std::vector<Shown> shown;
  std::function<void()> onMessage;

private:
  std::filesystem::path m_old, m_dir;
};

const QString kSec = QStringLiteral("秒");
const QString kMin = QStringLiteral("分");

}  // namespace

TEST_F(FormMBTest, IsBuiltAsDesignedAndCreatedHidden) {
  TFormMB hidden(nullptr, timers);
  EXPECT_FALSE(hidden.isVisible());
  EXPECT_EQ(hidden.windowTitle(), QStringLiteral("秒表"));
  EXPECT_EQ(hidden.pos(), QPoint(202, 151));
  EXPECT_EQ(hidden.size(), QSize(355, 239));
  EXPECT_TRUE(hidden.windowFlags() & Qt::FramelessWindowHint);
  hidden.CanClose = true;

  auto *skin = child<TImageMy>("ImageMy1");
  EXPECT_EQ(skin->FormHandle.data(), form.get());
  EXPECT_EQ(skin->picture().size(), QSize(350, 235));
  EXPECT_EQ(child<QWidget>("Shape1")->geometry(), QRect(21, 34, 308, 161));
  EXPECT_EQ(child<QGroupBox>("GroupBoxB1")->title(), QStringLiteral("表一"));
  EXPECT_EQ(child<QGroupBox>("GroupBoxB1")->geometry(), QRect(24, 40, 297, 73));
  EXPECT_EQ(child<QGroupBox>("GroupBox1")->title(), QStringLiteral("表二"));
  EXPECT_EQ(child<QGroupBox>("GroupBox1")->geometry(), QRect(24, 112, 297, 73));
  for (int ch = 0; ch < 2; ++ch) {
    SCOPED_TRACE(ch);
    EXPECT_EQ(box(ch)->text(), QStringLiteral("启动"));
    EXPECT_FALSE(box(ch)->isChecked());
    EXPECT_TRUE(unit(ch)->isEditable());
    ASSERT_EQ(unit(ch)->count(), 2);
    EXPECT_EQ(unit(ch)->itemText(0), kSec);
    EXPECT_EQ(unit(ch)->itemText(1), kMin);
    EXPECT_EQ(unit(ch)->currentText(), kSec);
    EXPECT_EQ(slider(ch)->minimum(), 1);
    EXPECT_EQ(slider(ch)->maximum(), 60);
    EXPECT_EQ(slider(ch)->value(), 1);
    EXPECT_EQ(slider(ch)->tickInterval(), 10);
    EXPECT_EQ(slider(ch)->tickPosition(), QSlider::TicksBelow);
    EXPECT_EQ(slider(ch)->geometry(), QRect(112, 8, 153, 25));
    EXPECT_EQ(child<QLabel>(ch == 0 ? "LabelB1" : "LabelB2")->text(), QStringLiteral("1"));
    EXPECT_EQ(child<QLabel>(ch == 0 ? "Label1" : "Label2")->text(), QStringLiteral("提醒"));
    EXPECT_TRUE(edit(ch)->text().isEmpty());
    EXPECT_TRUE(edit(ch)->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(bar(ch), 0);
    EXPECT_FALSE(form->expiryTimerEnabled(ch));
  }
}

TEST_F(FormMBTest, SliderShowsItsPositionAndLeavesARunningCountAlone) {
  start(0, 4, kSec, QStringLiteral("x"));
  slider(0)->setValue(42);
  EXPECT_EQ(child<QLabel>("LabelB1")->text(), QStringLiteral("42"));
  slider(1)->setValue(7);
  EXPECT_EQ(child<QLabel>("LabelB2")->text(), QStringLiteral("7"));
  unit(0)->setCurrentIndex(1);
  EXPECT_EQ(form->channel(0).TotalUnits, 4);
  EXPECT_EQ(form->expiryTimerInterval(0), 4000);
  timers.advance(4000);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].at, 4000);
}

TEST_F(FormMBTest, ThreeSecondsGoInThirdsThenStopAndRemind) {
  timers.advance(500);  // the progress tick is not aligned with the start
  start(0, 3, kSec, QStringLiteral("喝水"));
  std::vector<int> bars;
  timers.advance(500);  // the first tick, at 1 s
  bars.push_back(bar(0));
  for (int i = 0; i < 2; ++i) {
    timers.advance(1000);
    bars.push_back(bar(0));
  }
  EXPECT_EQ(bars, (std::vector<int>{33, 67, 100}));
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(box(0)->isChecked());
  timers.advance(500);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].at, 3500);
  EXPECT_EQ(shown[0].text, QStringLiteral("喝水\n表一（3秒）"));
  EXPECT_FALSE(box(0)->isChecked());
  EXPECT_EQ(bar(0), 0);
  EXPECT_FALSE(form->expiryTimerEnabled(0));
  EXPECT_EQ(form->channel(0).UnitDivisor, 0);
  EXPECT_EQ(form->channel(0).TotalUnits, 0);
  timers.advance(10000);
  EXPECT_EQ(shown.size(), 1u);  // one-shot
  EXPECT_EQ(bar(0), 0);
}

TEST_F(FormMBTest, AlignedWithTheTickTheBarStillReachesFull) {
  start(0, 3, kSec, QString());
  timers.advance(2999);
  EXPECT_EQ(bar(0), 67);
  bool sawFull = false;
  onMessage = [&] { sawFull = true; };
  timers.advance(1);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(sawFull);
  EXPECT_EQ(shown[0].text, QStringLiteral("表一（3秒）"));  // an empty reminder still names its channel
}

TEST_F(FormMBTest, FiveMinutesMoveInStepsOfTwentyAndRemindAtThreeHundredSeconds) {
  timers.advance(250);
  start(0, 5, kMin, QStringLiteral("开会"));
  timers.advance(1000);
  EXPECT_EQ(bar(0), 20);
  std::vector<int> steps{20};
  while (shown.empty()) {
    timers.advance(1000);
    if (bar(0) != steps.back())
      steps.push_back(bar(0));
  }
  EXPECT_EQ(steps, (std::vector<int>{20, 40, 60, 80, 100, 0}));
  EXPECT_EQ(shown[0].at, 250 + 300000);
  EXPECT_EQ(shown[0].text, QStringLiteral("开会\n表一（5分）"));
}

TEST_F(FormMBTest, OneMinuteIsFullUntilItExpires) {
  timers.advance(700);
  start(1, 1, kMin, QStringLiteral("r"));
  for (int i = 0; i < 59; ++i) {
    timers.advance(1000);
    ASSERT_EQ(bar(1), 100) << "second " << i + 1;
  }
  EXPECT_TRUE(shown.empty());
  timers.advance(1000);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].at, 60700);
}

TEST_F(FormMBTest, UntickingFreezesAndReTickingStartsAfresh) {
  start(0, 5, kSec, QStringLiteral("again"));
  timers.advance(3000);
  EXPECT_EQ(bar(0), 60);
  click(0);
  EXPECT_FALSE(box(0)->isChecked());
  EXPECT_FALSE(form->expiryTimerEnabled(0));
  timers.advance(4000);
  EXPECT_EQ(bar(0), 60);  // frozen
  EXPECT_TRUE(shown.empty());
  click(0);
  timers.advance(1000);
  EXPECT_EQ(bar(0), 20);
  timers.advance(3999);
  EXPECT_TRUE(shown.empty());
  timers.advance(1);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].at, 12000);
}

TEST_F(FormMBTest, BothChannelsRunAtOnceAndTheOtherGoesOnWhileABoxIsOpen) {
  start(0, 3, kSec, QStringLiteral("one"));
  start(1, 1, kMin, QStringLiteral("two"));
  // While the first reminder is open (a nested event loop), a minute passes.
  onMessage = [&] {
    if (shown.size() == 1) {
      EXPECT_TRUE(box(1)->isChecked());
      timers.advance(60000);
    }
  };
  timers.advance(3000);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, QStringLiteral("one\n表一（3秒）"));
  EXPECT_EQ(shown[0].at, 3000);
  EXPECT_EQ(shown[1].text, QStringLiteral("two\n表二（1分）"));
  EXPECT_EQ(shown[1].at, 60000);
  EXPECT_FALSE(box(0)->isChecked());
  EXPECT_FALSE(box(1)->isChecked());
}

TEST_F(FormMBTest, AnyUnitTextButSecondsCountsMinutes) {
  const QString texts[] = {QStringLiteral("小时"), QString(), QStringLiteral("秒 "),
                           QStringLiteral("s")};
  for (const QString &text : texts) {
    SCOPED_TRACE(text.toStdString());
    start(1, 2, text, QStringLiteral("m"));
    EXPECT_EQ(form->expiryTimerInterval(1), 120000);
    EXPECT_EQ(form->channel(1).UnitDivisor, 60);
    click(1);
  }
  start(1, 2, kSec, QStringLiteral("m"));
  EXPECT_EQ(form->expiryTimerInterval(1), 2000);
}

TEST_F(FormMBTest, ReadsTheReminderWhenTheTimeIsUp) {
  start(0, 2, kSec, QStringLiteral("before"));
  edit(0)->setText(QStringLiteral("after"));
  timers.advance(2000);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, QStringLiteral("after\n表一（2秒）"));
}

TEST_F(FormMBTest, IsShapedByItsRegionFile) {
  EXPECT_FALSE(form->mask().isEmpty());
  EXPECT_TRUE(form->mask().boundingRect().intersects(QRect(0, 0, 355, 239)));
  EXPECT_TRUE(shown.empty());
  std::filesystem::remove("CalixoMb.EXB");
  TFormMB unshaped(nullptr, timers);
  unshaped.CanClose = true;
  EXPECT_TRUE(unshaped.mask().isEmpty());
  EXPECT_EQ(shown, std::vector<Shown>({{0, QStringLiteral(".exb 没有找到")}}));
}

TEST_F(FormMBTest, RefusesToCloseUntilAllowed) {
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  form->CanClose = true;
  EXPECT_TRUE(form->close());
  EXPECT_FALSE(form->isVisible());
}

TEST_F(FormMBTest, HiddenWindowKeepsCounting) {
  start(0, 2, kSec, QStringLiteral("hidden"));
  form->hide();
  timers.advance(2000);
  ASSERT_EQ(shown.size(), 1u);
}

// The program's own timers, in real time: a re-ticked channel counts its
// whole length again and then reminds once.
TEST(FormMBRealTimers, ReTickedChannelRemindsAfterItsFullLength) {
  std::vector<qint64> at;
  QElapsedTimer clock;
  calixo::setMessageHook([&](const QString &) { at.push_back(clock.elapsed()); });
  {
    TFormMB form;  // SetRgn reports the missing region file through the hook
    at.clear();
    form.show();
    auto *box = form.findChild<QCheckBox *>(QStringLiteral("CheckBoxB1"));
    form.findChild<QSlider *>(QStringLiteral("TrackBarB1"))->setValue(2);
    clock.start();
    box->setChecked(true);
    QTest::qWait(1000);
    box->setChecked(false);
    box->setChecked(true);
    const qint64 restarted = clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !at.empty(); }, 5000));
    EXPECT_GE(at[0] - restarted, 1900);
    QTest::qWait(300);
    EXPECT_EQ(at.size(), 1u);
    EXPECT_FALSE(box->isChecked());
    form.CanClose = true;
  }
  calixo::setMessageHook(nullptr);
}
