// The main window's stepping buttons, its stopwatch button and the three
// labels that open the year/month dialog.
#include "mainform.h"

#include "formmb.h"
#include "navigation.h"
#include "okseleymdlg.h"
#include "picturebutton.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include <functional>

namespace {

// A label's click: a left press and a left release inside it.
class LabelClick final : public QObject {
public:
  LabelClick(QLabel *label, std::function<void()> onClick)
      : QObject(label), m_onClick(std::move(onClick)) {
    label->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject *watched, QEvent *e) override {
    auto *label = static_cast<QWidget *>(watched);
    if (e->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
      m_pressed = true;
    } else if (e->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
      const bool inside = label->rect().contains(static_cast<QMouseEvent *>(e)->position().toPoint());
      const bool click = m_pressed && inside;
      m_pressed = false;
      if (click)
        m_onClick();
    }
    return false;
  }

private:
  std::function<void()> m_onClick;
  bool m_pressed = false;
};

}  // namespace

void TMainForm::createNavigationControls() {
  ImageBlue = createSkinButton("ImageBlue", QPoint(528, 88), "B2", QPoint(1, 1));
  ImageLastYear = createSkinButton("ImageLastYear", QPoint(530, 174), "B4L", QPoint(1, 1));
  ImageNextYear = createSkinButton("ImageNextYear", QPoint(543, 173), "B4R", QPoint(-1, -1));
  ImageBeforMonth = createSkinButton("ImageBeforMonth", QPoint(530, 205), "B5L", QPoint(-1, -1));
  ImageNextMonth = createSkinButton("ImageNextMonth", QPoint(543, 204), "B5R", QPoint(-1, -1));
  connect(ImageBlue, &TPictureButton::clicked, this, &TMainForm::OnImageBlueClick);
  connect(ImageLastYear, &TPictureButton::clicked, this, &TMainForm::OnImageLastYearClick);
  connect(ImageNextYear, &TPictureButton::clicked, this, &TMainForm::OnImageNextYearClick);
  connect(ImageBeforMonth, &TPictureButton::clicked, this, &TMainForm::OnImageBeforMonthClick);
  connect(ImageNextMonth, &TPictureButton::clicked, this, &TMainForm::OnImageNextMonthClick);
  for (QLabel *label : {LabelYear, LabelMonthN, LabelMonthE})
    new LabelClick(label, [this] { OnLabelYearClick(); });
}

void TMainForm::OnImageBlueClick() {
  if (FormMB)
    FormMB->setVisible(!FormMB->isVisible());
}

void TMainForm::OnImageLastYearClick() {
  calixo::PrevYear(SelYear, SelMonth, SelDay);
  RefreshMonth();
}

void TMainForm::OnImageNextYearClick() {
  calixo::NextYear(SelYear, SelMonth, SelDay);
  RefreshMonth();
}

void TMainForm::OnImageBeforMonthClick() {
  calixo::StepMonth(SelYear, SelMonth, SelDay, -1);
  RefreshMonth();
  LoadMonthPicture();
}

void TMainForm::OnImageNextMonthClick() {
  calixo::StepMonth(SelYear, SelMonth, SelDay, +1);
  RefreshMonth();
  LoadMonthPicture();
}

void TMainForm::OnLabelYearClick() {
  // A text that is no integer throws out of here to the general error report.
  if (OKSeleYMDlg && OKSeleYMDlg->chooseYearMonth(SelYear, SelMonth, SelDay)) {
    RefreshMonth();
    LoadMonthPicture();
  }
}
