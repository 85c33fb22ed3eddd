// TSettingsDlg: the 设置 dialog of the main window's context menu. It shows
// every feature switch of calixo::Switches() as a check box (a flag), a
// number box (a number) or a line (a text), filled from the settings file,
// and hands back the values to store; the main window writes them and
// applies them. Below them: the sync password, which goes to the desktop's
// Secret Service (never into the settings file), and the last sync's state.
#pragma once

#include "switchwriter.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class TCalixoini;

class TSettingsDlg : public QDialog {
  Q_OBJECT
public:
  TSettingsDlg(const TCalixoini &settings, QWidget *parent = nullptr);

  // One value per switch, in the order of calixo::Switches(): "1" or "0"
  // for a flag, the number in decimal for a number.
  std::vector<calixo::SSwitchValue> Values() const;
  // The password typed for the calendar; empty: the stored one stays.
  QString Password() const;
  // The line under the password ("同步：12:30 完成", "同步失败：...").
  void setSyncState(const QString &state);

private:
  // Whether the keychain answers and holds a password for user at url.
  void askKeychain(const QString &user, const QString &url);
  // One control per switch row, a check box or a spin box; the other null.
  struct Control {
    QCheckBox *Flag = nullptr;
    QSpinBox *Number = nullptr;
    QLineEdit *Text = nullptr;
    std::string Stored;  // a text's value as read (GBK)
  };
  std::vector<Control> m_controls;
  QLineEdit *m_password = nullptr;
  QLabel *m_keychainNote = nullptr;
  QLabel *m_syncState = nullptr;
};
