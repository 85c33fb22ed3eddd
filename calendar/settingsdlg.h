// TSettingsDlg: the 设置 dialog of the main window's context menu. It shows
// every feature switch of calixo::Switches() as a check box (a flag) or a
// number box (a number), filled from the settings file, and hands back the
// values to store; the main window writes them and applies them.
#pragma once

#include "switchwriter.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QSpinBox;
class TCalixoini;

class TSettingsDlg : public QDialog {
  Q_OBJECT
public:
  TSettingsDlg(const TCalixoini &settings, QWidget *parent = nullptr);

  // One value per switch, in the order of calixo::Switches(): "1" or "0"
  // for a flag, the number in decimal for a number.
  std::vector<calixo::SSwitchValue> Values() const;

private:
  // One control per switch row, a check box or a spin box; the other null.
  struct Control {
    QCheckBox *Flag = nullptr;
    QSpinBox *Number = nullptr;
  };
  std::vector<Control> m_controls;
};
