// TFormMB: the countdown window "秒表", two channels "表一" and "表二".
// Ticking a channel's "启动" box starts a count of 1..60 seconds or minutes;
// a one-second progress timer moves each running channel's bar, and the
// channel's own expiry timer stops it and shows its reminder text. The
// arithmetic is CountdownChannel's; this window forwards events to it.
#pragma once

#include "countdownchannel.h"
#include "qttimersource.h"
#include "timersource.h"
#include "toolwindow.h"

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QSlider;
class QWidget;
class TImageMy;

class TFormMB : public calixo::TToolWindow {
  Q_OBJECT
public:
  // Created hidden; timers come from timers (the event loop's by default).
  explicit TFormMB(QWidget *parent = nullptr,
                   calixo::TimerSource &timers = calixo::qtTimerSource());
  ~TFormMB() override;

  // 0 for "表一", 1 for "表二".
  const calixo::CountdownChannel &channel(int i) const { return m_channels[i].state; }
  bool expiryTimerEnabled(int i) const { return m_channels[i].timer->enabled(); }
  int expiryTimerInterval(int i) const { return m_channels[i].timer->interval(); }

private:
  struct Channel {
    QGroupBox *group = nullptr;
    QCheckBox *checkBox = nullptr;
    QComboBox *comboBox = nullptr;
    QSlider *trackBar = nullptr;
    QLabel *label = nullptr;
    QLabel *reminderLabel = nullptr;
    QLineEdit *edit = nullptr;
    QProgressBar *progressBar = nullptr;
    std::unique_ptr<calixo::CountdownTimer> timer;
    calixo::CountdownChannel state;
  };

  void createControls();
  void createChannel(Channel &c, int index, const char *caption, int top);
  void FormCreate();

  void OnTBb1Change();
  void OnTBb2Change();
  void OnCB1Click();
  void OnCB2Click();
  void OnTimerB1Timer();
  void OnTimerB2Timer();
  void OnTimer1Timer();

  void showPosition(Channel &c);
  void startOrStop(Channel &c);
  void expire(Channel &c);

  TImageMy *ImageMy1 = nullptr;
  QWidget *Shape1 = nullptr;
  std::array<Channel, 2> m_channels;
  std::unique_ptr<calixo::CountdownTimer> Timer1;
};

// The one countdown window of the program (set by start-up).
extern TFormMB *FormMB;
