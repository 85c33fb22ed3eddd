// TOKSeleYMDlg: the year/month dialog "选择年月". The main window shows it
// with chooseYearMonth when a year or month label is clicked; it is created
// once, hidden, and reused for every showing.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TOKSeleYMDlg : public QDialog {
  Q_OBJECT
public:
  explicit TOKSeleYMDlg(QWidget *parent = nullptr);

  // Puts year and month into the edits, shows the dialog modally and, on
  // OK, takes what was typed into the selection: true when the selection
  // changed (the caller then refreshes the month). "年份错误" or "月份错误"
  // is shown for a year or month out of range. A text that is not an
  // integer throws calixo::EConvertError, which reaches the general error
  // report; the selection then stays as it was.
  bool chooseYearMonth(int &SelYear, int &SelMonth, int &SelDay);

  // The steps of chooseYearMonth around the modal showing.
  void fillIn(int year, int month);
  bool takeInto(int &SelYear, int &SelMonth, int &SelDay) const;

protected:
  void showEvent(QShowEvent *e) override;

private:
  void createControls();
  void onButtonToDayClick();

  QFrame *Bevel1 = nullptr;
  QLabel *Label1 = nullptr;
  QLabel *Label2 = nullptr;
  QLineEdit *EditYear = nullptr;
  QLineEdit *EditMonth = nullptr;
  QPushButton *ButtonToDay = nullptr;
  QPushButton *OKBtn = nullptr;
  QPushButton *CancelBtn = nullptr;
};

// The one year/month dialog of the program (set by start-up).
extern TOKSeleYMDlg *OKSeleYMDlg;
