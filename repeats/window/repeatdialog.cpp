#include "repeatdialog.h"

#include "gbk.h"
#include "ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>

namespace {
bool isLunar(const QComboBox *kind) { return kind->currentIndex() == 0; }
}  // namespace

TRepeatDialog::TRepeatDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("RepeatDialog"));
  setWindowTitle(QStringLiteral("纪念日"));
  setFont(calixo::chineseFont(13));
  auto *form = new QFormLayout(this);
  EditName = new QLineEdit(this);
  EditName->setObjectName(QStringLiteral("EditName"));
  EditName->setMaxLength(124);
  ComboKind = new QComboBox(this);
  ComboKind->setObjectName(QStringLiteral("ComboKind"));
  ComboKind->addItems({QStringLiteral("农历"), QStringLiteral("公历")});
  ComboMonth = new QComboBox(this);
  ComboMonth->setObjectName(QStringLiteral("ComboMonth"));
  ComboDay = new QComboBox(this);
  ComboDay->setObjectName(QStringLiteral("ComboDay"));
  SpinYear = new QSpinBox(this);
  SpinYear->setObjectName(QStringLiteral("SpinYear"));
  SpinYear->setRange(0, 9999);
  SpinYear->setSpecialValueText(QStringLiteral("不详"));
  EditTime = new QTimeEdit(this);
  EditTime->setObjectName(QStringLiteral("EditTime"));
  EditTime->setDisplayFormat(QStringLiteral("HH:mm"));
  EditTime->setTime(QTime(8, 0));
  SpinAhead = new QSpinBox(this);
  SpinAhead->setObjectName(QStringLiteral("SpinAhead"));
  SpinAhead->setRange(0, repeats::kMaxAhead);
  SpinAhead->setSuffix(QStringLiteral(" 天"));
  CheckRemind = new QCheckBox(QStringLiteral("到时提醒"), this);
  CheckRemind->setObjectName(QStringLiteral("CheckRemind"));
  CheckRemind->setChecked(true);
  form->addRow(QStringLiteral("名称"), EditName);
  form->addRow(QStringLiteral("历法"), ComboKind);
  form->addRow(QStringLiteral("月"), ComboMonth);
  form->addRow(QStringLiteral("日"), ComboDay);
  form->addRow(QStringLiteral("起始年份"), SpinYear);
  form->addRow(QStringLiteral("提醒时间"), EditTime);
  form->addRow(QStringLiteral("提前"), SpinAhead);
  form->addRow(QString(), CheckRemind);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &TRepeatDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TRepeatDialog::reject);
  fillMonthsAndDays();
  selectMonthDay(1, 1);
  connect(ComboKind, &QComboBox::currentIndexChanged, this, [this] {
    fillMonthsAndDays();
    if (isLunar(ComboKind))
      selectMonthDay(m_lunarMonth, m_lunarDay);
    else
      selectMonthDay(m_month, m_day);
  });
}

void TRepeatDialog::fillMonthsAndDays() {
  ComboMonth->clear();
  ComboDay->clear();
  // Item data is the stored MONTH or DAY.
  if (isLunar(ComboKind)) {
    for (int m = 1; m <= 12; ++m)
      ComboMonth->addItem(QString::fromStdString(lunar::LunarMonthName(m)), m);
    for (int m = 1; m <= 12; ++m)
      ComboMonth->addItem(QString::fromStdString(lunar::LunarMonthName(-m)), -m);
    for (int d = 1; d <= 30; ++d)
      ComboDay->addItem(QString::fromStdString(lunar::LunarDayName(d)), d);
  } else {
    for (int m = 1; m <= 12; ++m)
      ComboMonth->addItem(QStringLiteral("%1月").arg(m), m);
    for (int d = 1; d <= 31; ++d)
      ComboDay->addItem(QStringLiteral("%1日").arg(d), d);
  }
  ComboDay->addItem(QStringLiteral("最后一天"), 0);
}

void TRepeatDialog::selectMonthDay(int month, int day) {
  ComboMonth->setCurrentIndex(std::max(0, ComboMonth->findData(month)));
  ComboDay->setCurrentIndex(std::max(0, ComboDay->findData(day)));
}

void TRepeatDialog::setRepeat(const repeats::SREPEATDATA &r) {
  m_base = r;
  EditName->setText(calixo::fromGbk(r.Text));
  ComboKind->setCurrentIndex(r.Kind == 'G' ? 1 : 0);
  fillMonthsAndDays();
  selectMonthDay(r.Month, r.Day);
  SpinYear->setValue(r.Year);
  EditTime->setTime(QTime(r.Hour, r.Minute));
  SpinAhead->setValue(r.Ahead);
  CheckRemind->setChecked(r.SetFlag == 1);
}

void TRepeatDialog::setDayDates(int lunarMonth, int lunarDay, int month, int day) {
  m_lunarMonth = lunarMonth;
  m_lunarDay = lunarDay;
  m_month = month;
  m_day = day;
  ComboKind->setCurrentIndex(0);
  fillMonthsAndDays();
  selectMonthDay(lunarMonth, lunarDay);
}

repeats::SREPEATDATA TRepeatDialog::repeat() const {
  repeats::SREPEATDATA r = m_base;
  r.Text.clear();
  calixo::toGbk(EditName->text().trimmed(), r.Text);
  r.Kind = isLunar(ComboKind) ? 'L' : 'G';
  r.Month = ComboMonth->currentData().toInt();
  r.Day = ComboDay->currentData().toInt();
  r.Year = SpinYear->value();
  r.Hour = EditTime->time().hour();
  r.Minute = EditTime->time().minute();
  r.Ahead = SpinAhead->value();
  r.SetFlag = CheckRemind->isChecked() ? 1 : 0;
  return r;
}

void TRepeatDialog::accept() {
  const QString name = EditName->text().trimmed();
  std::string gbk;
  if (name.isEmpty()) {
    calixo::showMessage(QStringLiteral("请输入名称"), this);
    return;
  }
  if (!calixo::toGbk(name, gbk) || gbk.size() > 249) {
    calixo::showMessage(QStringLiteral("名称含有无法保存的字符或太长"), this);
    return;
  }
  if (!repeats::invalidReason(repeat()).empty()) {
    calixo::showMessage(QStringLiteral("这个月没有这一天"), this);
    return;
  }
  QDialog::accept();
}
