#include "formmb.h"

#include "calixodata.h"
#include "contoura.h"
#include "imagemy.h"
#include "reminders.h"
#include "ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QSlider>

TFormMB *FormMB = nullptr;

namespace {
const QString kSeconds = QStringLiteral("秒");
const QString kMinutes = QStringLiteral("分");
}  // namespace

TFormMB::TFormMB(QWidget *parent, calixo::TimerSource &timers)
    : calixo::TToolWindow(parent, Qt::Window | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("FormMB"));
  setWindowTitle(QStringLiteral("秒表"));
  setFont(calixo::chineseFont(12));
  setFixedSize(355, 239);
  move(202, 151);

  // The progress timer first: when it falls due at the same moment as an
  // expiry, the bar reaches its last step before the channel stops.
  Timer1 = timers.createTimer();
  for (Channel &c : m_channels)
    c.timer = timers.createTimer();
  m_channels[0].timer->OnTimer = [this] { OnTimerB1Timer(); };
  m_channels[1].timer->OnTimer = [this] { OnTimerB2Timer(); };
  Timer1->OnTimer = [this] { OnTimer1Timer(); };

  createControls();
  FormCreate();
  // The progress tick runs for the life of the window, shown or not.
  Timer1->setInterval(1000);
  Timer1->setEnabled(true);
}

TFormMB::~TFormMB() = default;

void TFormMB::createControls() {
  calixo::initDataResources();
  ImageMy1 = new TImageMy(this);
  ImageMy1->setObjectName(QStringLiteral("ImageMy1"));
  ImageMy1->move(0, 0);
  ImageMy1->setPicture(loadSkinPicture(QStringLiteral(":/skins/countdown.jpg")));

  Shape1 = new QWidget(this);
  Shape1->setObjectName(QStringLiteral("Shape1"));
  Shape1->setGeometry(21, 34, 308, 161);
  Shape1->setAutoFillBackground(true);
  QPalette face = Shape1->palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  Shape1->setPalette(face);

  createChannel(m_channels[0], 0, "表一", 40);
  createChannel(m_channels[1], 1, "表二", 112);

  connect(m_channels[0].trackBar, &QSlider::valueChanged, this, &TFormMB::OnTBb1Change);
  connect(m_channels[1].trackBar, &QSlider::valueChanged, this, &TFormMB::OnTBb2Change);
  // toggled, not clicked: unticking the box in code (at expiry) must run the
  // same handling as a click.
  connect(m_channels[0].checkBox, &QCheckBox::toggled, this, &TFormMB::OnCB1Click);
  connect(m_channels[1].checkBox, &QCheckBox::toggled, this, &TFormMB::OnCB2Click);
}

void TFormMB::createChannel(Channel &c, int index, const char *caption, int top) {
  // The two channels' controls have the same places; their names differ.
  static const char *const names[2][8] = {
      {"GroupBoxB1", "CheckBoxB1", "ComboBoxB1", "TrackBarB1", "LabelB1", "Label1", "EditB1",
       "ProgressBarB1"},
      {"GroupBox1", "CheckBoxB2", "ComboBoxB2", "TrackBarB2", "LabelB2", "Label2", "EditB2",
       "ProgressBarb2"}};
  const char *const *n = names[index];

  c.group = new QGroupBox(QString::fromUtf8(caption), this);
  c.group->setObjectName(QLatin1String(n[0]));
  c.group->setGeometry(24, top, 297, 73);

  c.checkBox = new QCheckBox(QStringLiteral("启动"), c.group);
  c.checkBox->setObjectName(QLatin1String(n[1]));
  c.checkBox->setGeometry(8, 16, 49, 17);

  c.comboBox = new QComboBox(c.group);
  c.comboBox->setObjectName(QLatin1String(n[2]));
  c.comboBox->setEditable(true);
  // Typed texts are read as they stand; they never become items.
  c.comboBox->setInsertPolicy(QComboBox::NoInsert);
  c.comboBox->move(56, 12);
  c.comboBox->setFixedWidth(57);

  c.trackBar = new QSlider(Qt::Horizontal, c.group);
  c.trackBar->setObjectName(QLatin1String(n[3]));
  c.trackBar->setGeometry(112, 8, 153, 25);
  c.trackBar->setRange(1, 60);
  c.trackBar->setValue(1);
  c.trackBar->setTickPosition(QSlider::TicksBelow);
  c.trackBar->setTickInterval(10);

  c.label = new QLabel(c.group);
  c.label->setObjectName(QLatin1String(n[4]));
  c.label->move(264, 11);

  c.reminderLabel = new QLabel(QStringLiteral("提醒"), c.group);
  c.reminderLabel->setObjectName(QLatin1String(n[5]));
  c.reminderLabel->move(8, 42);

  c.edit = new QLineEdit(c.group);
  c.edit->setObjectName(QLatin1String(n[6]));
  c.edit->move(40, 40);
  c.edit->setFixedWidth(249);

  c.progressBar = new QProgressBar(c.group);
  c.progressBar->setObjectName(QLatin1String(n[7]));
  c.progressBar->setGeometry(40, 59, 249, 9);
  c.progressBar->setRange(0, 100);
  c.progressBar->setValue(0);
  c.progressBar->setTextVisible(false);
}

void TFormMB::FormCreate() {
  ImageMy1->FormHandle = this;
  SetRgn(this, "CalixoMb.EXB");
  for (Channel *c : {&m_channels[1], &m_channels[0]}) {
    c->comboBox->addItem(kSeconds);
    c->comboBox->addItem(kMinutes);
    c->comboBox->setCurrentIndex(0);
    showPosition(*c);
  }
}

void TFormMB::showPosition(Channel &c) {
  c.label->setText(QString::number(c.trackBar->value()));
  c.label->adjustSize();
}

void TFormMB::OnTBb1Change() { showPosition(m_channels[0]); }
void TFormMB::OnTBb2Change() { showPosition(m_channels[1]); }
void TFormMB::OnCB1Click() { startOrStop(m_channels[0]); }
void TFormMB::OnCB2Click() { startOrStop(m_channels[1]); }
void TFormMB::OnTimerB1Timer() { expire(m_channels[0]); }
void TFormMB::OnTimerB2Timer() { expire(m_channels[1]); }

void TFormMB::startOrStop(Channel &c) {
  const bool ticked = c.checkBox->isChecked();
  if (ticked)
    c.timer->setInterval(c.state.start(c.trackBar->value(), c.comboBox->currentText().toStdString()));
  // Enabling starts the full interval afresh: a re-ticked channel counts
  // from the beginning.
  c.timer->setEnabled(ticked);
}

void TFormMB::OnTimer1Timer() {
  for (Channel &c : m_channels)
    if (std::optional<int> position = c.state.progressTick(c.checkBox->isChecked()))
      c.progressBar->setValue(*position);
}

void TFormMB::expire(Channel &c) {
  // The box names its channel and what it was set for: two reminders of
  // the same text are told apart.
  const QString setFor = QStringLiteral("%1（%2%3）")
                             .arg(c.group->title())
                             .arg(c.state.TotalUnits)
                             .arg(c.state.UnitDivisor == 1 ? kSeconds : kMinutes);
  c.timer->setEnabled(false);
  c.checkBox->setChecked(false);
  c.state.reset();
  c.progressBar->setValue(0);
  // The box does not block: the other channel's expiry and the progress
  // tick go on, and its box opens beside this one. Like an alarm it comes
  // with the sound and the notification.
  const QString reminder = c.edit->text();
  calixo::remindBeside(calixo::reminderNow(reminder.isEmpty() ? setFor : reminder + QLatin1Char('\n') + setFor));
}
