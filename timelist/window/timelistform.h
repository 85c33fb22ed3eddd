// TMainTIMELIST: the day time-list window. It shows the main window's
// selected date as 48 half-hour rows; typing into a row, or marking its
// alarm or run, stores the row at once through the owner's SaveEntry
// (TTimeListOwner, the main window).
// The rows are rebuilt from the table on every ShowDay. A borderless,
// always-on-top, skinned tool window, created hidden and shown by the main
// window's red button.
#pragma once

#include "timelistowner.h"
#include "timetable.h"
#include "toolwindow.h"

#include <QImage>
#include <QPointer>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class TCellCanvas;
class TImageMy;
class TPictureButton;
class TTimeGrid;

class TMainTIMELIST : public calixo::TToolWindow {
  Q_OBJECT
public:
  explicit TMainTIMELIST(TTimeListOwner *owner);
  ~TMainTIMELIST() override;

  // The creation handler; runs once, right after construction.
  void FormCreate();
  void ShowDay(int Year, int Month, int Day);
  // Moves the window beside the main window (its right edge, 40 down).
  void PlaceBesideMainWindow();

  void OnDrawGridTimeListCell(TCellCanvas &canvas, int col, int row, const QRect &rect);
  QString OnDrawGridTimeListGetEditText(int col, int row);
  void OnDrawGridTimeListSetEditText(int col, int row, const QString &value);
  void OnPMTimeListPopup();
  void OnPMClockSetClick();
  void OnPMUNClockSetClick();
  void OnPMRunSetClick();
  void OnPMRunUnSetClick();

  TTimeList Rows;
  TTimeList DayEntries;
  int SlotMinutes = 30;
  QImage ClockBitmap;
  QImage RunBitmap;

  TImageMy *ImageMy1 = nullptr;
  QLineEdit *EditDay = nullptr;
  TTimeGrid *DrawGridTimeList = nullptr;
  TPictureButton *ImageClSet = nullptr;
  TPictureButton *ImageClUnSet = nullptr;
  TPictureButton *ImageRunSet = nullptr;
  TPictureButton *ImageRunUnSet = nullptr;
  QMenu *PopMenuTimeList = nullptr;
  QAction *PMClockSet = nullptr;
  QAction *PMUNClockSet = nullptr;
  QAction *PMRunSet = nullptr;
  QAction *PMRunUnSet = nullptr;
  QAction *PMFind = nullptr;  // 查找: the plan search box

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void closing() override;

private:
  void LoadButtonImages();
  void BuildRows();
  STIMELISTDATAPtr currentRow() const;
  void storeMark(int col);
  TPictureButton *createButton(const char *name, QPoint pos, QAction *action);
  QLabel *createLabel(const char *name, QRect geometry, const QString &text);

  // The owner while its window lives; nullptr without one.
  TTimeListOwner *owner() const { return m_ownerWindow ? m_owner : nullptr; }

  TTimeListOwner *m_owner = nullptr;
  QPointer<QWidget> m_ownerWindow;
};

extern TMainTIMELIST *MainTIMELIST;

// The longest GBK text a row stores (the width of DO), cut so that no
// two-byte character is split.
std::string rowTextFromEditor(const QString &text, bool &ok);
