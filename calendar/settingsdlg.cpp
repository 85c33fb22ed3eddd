#include "settingsdlg.h"

#include "calixoini.h"
#include "keychain.h"
#include "switches.h"
#include "ui.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
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
    } else if (s.Kind == calixo::SwitchKind::Text) {
      c.Text = new QLineEdit(this);
      c.Text->setObjectName(name);
      c.Stored = settings.SwitchText(s.Section, s.Key);
      c.Text->setText(calixo::fromGbk(c.Stored));
      c.Text->setMinimumWidth(320);
      form->addRow(label, c.Text);
    } else {
      c.Number = new QSpinBox(this);
      c.Number->setObjectName(name);
      c.Number->setRange(s.Min, s.Max);
      c.Number->setValue(settings.SwitchNumber(s.Section, s.Key));
      form->addRow(label, c.Number);
    }
    m_controls.push_back(c);
  }
  m_password = new QLineEdit(this);
  m_password->setObjectName(QStringLiteral("SyncPassword"));
  m_password->setEchoMode(QLineEdit::Password);
  form->addRow(QStringLiteral("密码（存于密钥服务）"), m_password);
  m_keychainNote = new QLabel(this);
  m_keychainNote->setObjectName(QStringLiteral("KeychainNote"));
  m_keychainNote->setWordWrap(true);
  // Room for the keychain's answer, which comes after the dialog is laid out.
  m_keychainNote->setMinimumHeight(m_keychainNote->fontMetrics().lineSpacing() * 3);
  form->addRow(m_keychainNote);
  m_syncState = new QLabel(QStringLiteral("同步：未开始"), this);
  m_syncState->setObjectName(QStringLiteral("SyncState"));
  m_syncState->setWordWrap(true);
  form->addRow(m_syncState);
  // Whether the keychain answers, and holds a password for this user and
  // calendar; without a Secret Service the field is closed and says why.
  const QString user = calixo::fromGbk(settings.SwitchText("Sync", "User"));
  const QString url = calixo::fromGbk(settings.SwitchText("Sync", "URL"));
  if (user.isEmpty() || url.isEmpty()) {
    // Nothing to look up: the keyring is not asked (it may ask to be unlocked).
    m_keychainNote->setText(QStringLiteral("填写日历地址和用户名后，密码存入密钥服务（不填用户名则不登录）。"));
  } else {
    askKeychain(user, url);
  }
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::vector<calixo::SSwitchValue> TSettingsDlg::Values() const {
  std::vector<calixo::SSwitchValue> values;
  const std::vector<calixo::SwitchRow> &rows = calixo::Switches();
  for (size_t i = 0; i < rows.size() && i < m_controls.size(); ++i) {
    const Control &c = m_controls[i];
    std::string value;
    if (c.Flag)
      value.assign(1, c.Flag->isChecked() ? '1' : '0');
    else if (c.Number)
      value = std::to_string(c.Number->value());
    else if (!calixo::toGbk(c.Text->text().trimmed(), value))
      value = c.Stored;  // a character GBK cannot hold: the stored text stays
    values.push_back({rows[i].Section, rows[i].Key, value});
  }
  return values;
}

QString TSettingsDlg::Password() const { return m_password->isEnabled() ? m_password->text() : QString(); }

void TSettingsDlg::setSyncState(const QString &state) { m_syncState->setText(state); }

void TSettingsDlg::askKeychain(const QString &user, const QString &url) {
  m_keychainNote->setText(QStringLiteral("正在询问密钥服务…"));
  QPointer<TSettingsDlg> self(this);
  calixo::sync::ReadPassword(user, url, [self](bool ok, const QString &, bool absent, const QString &error) {
    if (!self)
      return;
    if (!ok) {
      self->m_password->setEnabled(false);
      self->m_keychainNote->setText(error + QStringLiteral("。密码不会存入 Calixo.ini。"));
    } else {
      self->m_keychainNote->setText(absent ? QStringLiteral("密钥服务里还没有这个用户和地址的密码（不填用户名则不登录）。")
                                           : QStringLiteral("密钥服务里已有密码；留空则不改。"));
    }
  });
}
