#include "settingsdlg.h"

#include "calixoini.h"
#include "switches.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TSettingsDlg::TSettingsDlg(const TCalixoini &settings, QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SettingsDlg"));
  setWindowTitle(QStringLiteral("设置"));
  auto *layout = new QVBoxLayout(this);
  auto *form = new QFormLayout;
  layout->addLayout(form);
  for (const calixo::SwitchRow &s : calixo::Switches()) {
    const QString name = QStringLiteral("Switch_%1_%2").arg(QLatin1String(s.Section), QLatin1String(s.Key));
    const QString label = QString::fromUtf8(s.Label);
    Control c;
    if (s.Kind == calixo::SwitchKind::Flag) {
      c.Flag = new QCheckBox(label, this);
      c.Flag->setObjectName(name);
      c.Flag->setChecked(settings.SwitchOn(s.Section, s.Key));
      form->addRow(c.Flag);
    } else {
      c.Number = new QSpinBox(this);
      c.Number->setObjectName(name);
      c.Number->setRange(s.Min, s.Max);
      c.Number->setValue(settings.SwitchNumber(s.Section, s.Key));
      form->addRow(label, c.Number);
    }
    m_controls.push_back(c);
  }
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::vector<calixo::SSwitchValue> TSettingsDlg::Values() const {
  std::vector<calixo::SSwitchValue> values;
  const std::vector<calixo::SwitchRow> &rows = calixo::Switches();
  for (size_t i = 0; i < rows.size() && i < m_controls.size(); ++i) {
    const Control &c = m_controls[i];
    const std::string value = c.Flag ? (c.Flag->isChecked() ? "1" : "0")
                                     : std::to_string(c.Number->value());
    values.push_back({rows[i].Section, rows[i].Key, value});
  }
  return values;
}
