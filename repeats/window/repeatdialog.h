// TRepeatDialog: adds or changes one anniversary: its name, lunar or
// Gregorian, the month (lunar leap months too), the day (or the month's last
// day), the year of the first occurrence, the reminder's time, how many days
// ahead, and whether to remind at all. It edits an SREPEATDATA and checks it
// before it closes with OK; storing is the caller's.
#pragma once

#include "repeats.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QTimeEdit;

class TRepeatDialog : public QDialog {
  Q_OBJECT
public:
  explicit TRepeatDialog(QWidget *parent = nullptr);

  void setRepeat(const repeats::SREPEATDATA &r);
  // The anniversary as edited (RecNo, FIRED kept from setRepeat).
  repeats::SREPEATDATA repeat() const;
  // "添加纪念日" on a day: lunar month/day and Gregorian month/day of that
  // day; the lunar one is shown, switching to 公历 shows the other.
  void setDayDates(int lunarMonth, int lunarDay, int month, int day);

  void accept() override;

  QLineEdit *EditName = nullptr;
  QComboBox *ComboKind = nullptr;   // 农历, 公历
  QComboBox *ComboMonth = nullptr;
  QComboBox *ComboDay = nullptr;
  QSpinBox *SpinYear = nullptr;     // 0 = 不详
  QTimeEdit *EditTime = nullptr;
  QSpinBox *SpinAhead = nullptr;
  QCheckBox *CheckRemind = nullptr;

private:
  void fillMonthsAndDays();
  void selectMonthDay(int month, int day);

  repeats::SREPEATDATA m_base;
  int m_lunarMonth = 1, m_lunarDay = 1, m_month = 1, m_day = 1;
};
