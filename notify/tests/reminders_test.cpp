// Reminders under the offscreen platform with a manual clock and a counting
// sound, on a session bus that is not there; the real sound of libcanberra
// with no sound server to play it.
#include "reminders.h"

#include "calixoini.h"
#include "clock.h"
#include "tempdir.h"
#include "ui.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <functional>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

struct CountingSound final : calixo::ReminderSound {
  explicit CountingSound(int &plays) : plays(plays) {}
  bool play() override {
    ++plays;
    return true;
  }
  int &plays;
};

class RemindersTest : public TempDirTest {
protected:
  void SetUp() override {
    TempDirTest::SetUp();
    // No notification service can answer: the box and the sound alone.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/calixo-bus", 1);
    calixo::setClock(&clock);
  }
  void TearDown() override {
    calixo::setMessageHook(nullptr);
    calixo::setClock(nullptr);
    TempDirTest::TearDown();
  }
  void writeSettings(const std::string &lines) {
    std::ofstream(settings.FileName) << "[Reminders]\n" << lines;
  }
  std::unique_ptr<calixo::Reminders> makeReminders() {
    return std::make_unique<calixo::Reminders>(settings, std::make_unique<CountingSound>(plays));
  }
  void recordMessages() {
    calixo::setMessageHook([this](const QString &text) { messages << text; });
  }
  // Answers the next reminder box with answer once it is open.
  void whenBoxOpens(std::function<void(QMessageBox &)> answer) {
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
      if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
        poll->deleteLater();
        answer(*box);
      }
    });
    poll->start(10);
  }

  calixo::ManualClock clock{{2026, 12, 8, 7, 0, 0, 0}};
  TCalixoini settings;
  int plays = 0;
  QStringList messages;
};

TEST_F(RemindersTest, OneSoundPerReminderUnlessSwitchedOff) {
  const struct {
    const char *line;
    int plays;
  } rows[] = {{"", 2}, {"Sound=1\n", 2}, {"Sound=0\n", 0}};
  recordMessages();
  for (const auto &r : rows) {
    writeSettings(r.line);
    plays = 0;
    messages.clear();
    auto reminders = makeReminders();
    reminders->remind({QStringLiteral("07:00"), QStringLiteral("wake up")});
    reminders->remind({QStringLiteral("07:00"), QStringLiteral("tea")});
    EXPECT_EQ(plays, r.plays) << r.line;
    EXPECT_EQ(messages, QStringList({"wake up", "tea"})) << "the boxes alone, no error: " << r.line;
  }
}

TEST_F(RemindersTest, TheBoxPutsTheReminderOffByTheSnoozeMinutes) {
  const struct {
    const char *line;
    int minutes;  // 0: no 稍后提醒 button
  } rows[] = {{"", 10}, {"Snooze=5\n", 5}, {"Snooze=0\n", 0}, {"Snooze=121\n", 10}};
  for (const auto &r : rows) {
    writeSettings(r.line);
    std::filesystem::remove("snooze.lst");
    clock.set({2026, 12, 8, 7, 0, 30, 0});
    auto reminders = makeReminders();
    calixo::setMessageHook(nullptr);
    QString boxText;
    bool hadButton = false;
    whenBoxOpens([&](QMessageBox &box) {
      boxText = box.text();
      auto *later = box.findChild<QPushButton *>(QStringLiteral("ButtonSnooze"));
      hadButton = later != nullptr;
      if (later) {
        EXPECT_EQ(later->text(), QStringLiteral("稍后提醒"));
        later->click();
      } else {
        box.button(QMessageBox::Ok)->click();
      }
    });
    reminders->remind({QStringLiteral("07:00"), QStringLiteral("wake up")});
    EXPECT_EQ(boxText, QStringLiteral("wake up")) << r.line;
    ASSERT_EQ(hadButton, r.minutes > 0) << r.line;
    if (!r.minutes) {
      EXPECT_TRUE(reminders->snoozes().items().empty()) << r.line;
      continue;
    }

    // It comes back exactly that many minutes after the button was pressed.
    recordMessages();
    messages.clear();
    clock.set({2026, 12, 8, 7, r.minutes - 1, 59, 0});
    clock.advanceMs(30'000);
    reminders->OnTimerSnoozeTimer();
    EXPECT_TRUE(messages.isEmpty()) << r.line;
    clock.advanceMs(1'000);
    reminders->OnTimerSnoozeTimer();
    EXPECT_EQ(messages, QStringList({"wake up"})) << r.line;
    EXPECT_TRUE(reminders->snoozes().items().empty()) << r.line;
    reminders->OnTimerSnoozeTimer();
    EXPECT_EQ(messages.size(), 1) << "once: " << r.line;
  }
}

// No sound server and no sound device: play() reports silence and returns.
TEST(CanberraSound, WithNoSoundServerIsSilentAndReturns) {
  const std::string emptyConfig = (std::filesystem::temp_directory_path() / "calixo-no-alsa.conf").string();
  std::ofstream(emptyConfig) << "";
  ::setenv("PULSE_SERVER", "unix:/nonexistent/calixo-pulse", 1);
  ::setenv("ALSA_CONFIG_PATH", emptyConfig.c_str(), 1);
  QStringList messages;
  calixo::setMessageHook([&](const QString &text) { messages << text; });
  // Standard error goes to a file meanwhile: nothing may be printed either.
  const std::string errFile = emptyConfig + ".err";
  std::fflush(stderr);
  const int savedErr = ::dup(2);
  const int errFd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(errFd, 0);
  ::dup2(errFd, 2);
  const auto sound = calixo::canberraSound();
  const bool first = sound->play(), second = sound->play();
  std::fflush(stderr);
  ::dup2(savedErr, 2);
  ::close(savedErr);
  ::close(errFd);
  EXPECT_FALSE(first);
  EXPECT_FALSE(second);
  EXPECT_TRUE(messages.isEmpty());
  std::ifstream err(errFile);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>()), "");
  std::filesystem::remove(errFile);
  calixo::setMessageHook(nullptr);
  std::filesystem::remove(emptyConfig);
}

}  // namespace
