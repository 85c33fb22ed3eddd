#include "okseleymdlg.h"

#include "clock.h"
#include "navigation.h"
#include "ui.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

TOKSeleYMDlg *OKSeleYMDlg = nullptr;

TOKSeleYMDlg::TOKSeleYMDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("OKSeleYMDlg"));
  setWindowTitle(QStringLiteral("选择年月"));
  setFont(calixo::chineseFont(12));
  setFixedSize(310, 141);
  setModal(true);
  createControls();
}

void TOKSeleYMDlg::createControls() {
  Bevel1 = new QFrame(this);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(8, 8, 297, 89);

  Label1 = new QLabel(QStringLiteral("年"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(24, 34);
  Label2 = new QLabel(QStringLiteral("月"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->move(24, 67);

  // Plain line edits: they take text from the desktop's input method, so
  // Chinese input methods work in them.
  EditYear = new QLineEdit(this);
  EditYear->setObjectName(QStringLiteral("EditYear"));
  EditYear->setGeometry(80, 32, 121, 21);
  EditMonth = new QLineEdit(this);
  EditMonth->setObjectName(QStringLiteral("EditMonth"));
  EditMonth->setGeometry(80, 64, 121, 21);

  ButtonToDay = new QPushButton(QStringLiteral("今天"), this);
  ButtonToDay->setObjectName(QStringLiteral("ButtonToDay"));
  ButtonToDay->setGeometry(232, 32, 57, 57);

  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(79, 110, 75, 25);
  OKBtn->setDefault(true);

  CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setGeometry(159, 110, 75, 25);

  // Enter presses the button that has the focus: every button is an
  // auto-default one, which stands in for OK while it has the focus. With
  // the focus in an edit, Enter presses OK. Escape rejects the dialog as the
  // Cancel button does (QDialog's own key).
  for (QPushButton *b : {ButtonToDay, OKBtn, CancelBtn})
    b->setAutoDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(ButtonToDay, &QPushButton::clicked, this, &TOKSeleYMDlg::onButtonToDayClick);
}

void TOKSeleYMDlg::showEvent(QShowEvent *e) {
  QDialog::showEvent(e);
  // Every showing starts in the year with its text selected, so typing
  // replaces it, whichever control had the focus when the dialog last closed.
  EditYear->setFocus(Qt::OtherFocusReason);
  EditYear->selectAll();
  // Centred with its frame, which the window system has added by now.
  if (QScreen *s = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(s->geometry().center());
    move(frame.topLeft());
  }
}

void TOKSeleYMDlg::onButtonToDayClick() {
  const calixo::LocalDateTime now = calixo::clock().now();
  fillIn(now.year, now.month);
}

void TOKSeleYMDlg::fillIn(int year, int month) {
  EditYear->setText(QString::number(year));
  EditMonth->setText(QString::number(month));
}

bool TOKSeleYMDlg::takeInto(int &SelYear, int &SelMonth, int &SelDay) const {
  // Year first: a bad year is reported before the month is looked at.
  const int y = calixo::textToInt(EditYear->text().toStdString());
  const int m = calixo::textToInt(EditMonth->text().toStdString());
  switch (calixo::applyYearMonth(y, m, SelYear, SelMonth, SelDay)) {
  case calixo::YearMonthCheck::BadYear:
    calixo::showMessage(QStringLiteral("年份错误"));
    return false;
  case calixo::YearMonthCheck::BadMonth:
    calixo::showMessage(QStringLiteral("月份错误"));
    return false;
  case calixo::YearMonthCheck::Applied:
    break;
  }
  return true;
}

bool TOKSeleYMDlg::chooseYearMonth(int &SelYear, int &SelMonth, int &SelDay) {
  fillIn(SelYear, SelMonth);
  if (exec() != QDialog::Accepted)
    return false;
  return takeInto(SelYear, SelMonth, SelDay);
}
