// calendar: the main window, TMainForm. It owns the month model (the globals
// of monthmodel.h), the one settings object, the time table and its busy
// flag, and shows one month as a grid of day cells with lunar labels and
// entry markers beside the month picture. The tool windows reach it through
// the global MainForm: they load and save entries with LoadDayEntries and
// SaveEntry and learn which day to show through the ShowDay they register.
// The window is built in two steps: the constructor lays out the controls,
// FormCreate runs the creation handler (settings, table, month, picture).
#pragma once

#include "lunar.h"
#include "monthmodel.h"
#include "plansearch.h"
#include "timehistory.h"
#include "timetable.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QColor;
class QIcon;
class QLabel;
class TAlarmClock;
class TCalixoini;
class TDrawGrid;
class TCellCanvas;
class TImageMy;
class TPictureButton;
class TPlanSearchBox;
class TZuImage;
namespace calixo {
class TToolWindow;
}

class TMainForm : public QWidget {
  Q_OBJECT
public:
  explicit TMainForm(QWidget *parent = nullptr);
  ~TMainForm() override;

  // The creation handler; runs once, right after construction.
  void FormCreate();
  // The program's icon MAINICON, which the application and this window carry.
  static QIcon MainIcon();

  static bool IsLeapYear(int year) { return ::IsLeapYear(year); }
  virtual int DaysInMonth(int year, int month);
  void LayoutMonth(int year, int month);
  void RefreshMonth();
  void MarkDayCell(int cell, bool has);
  void LoadMonthPicture();

  // The time table, for the time-list window and the clock.
  void CreateTimeTableIfMissing();
  void LoadDayEntries(int Year, int Month, int Day, TTimeList &List);
  void SaveEntry(int Year, int Month, int Day, const STIMELISTDATAPtr &Row, int Op);
  void ClearAlarm(int RecNo);
  void PurgePreviousMonth();
  TTimeTable &timeTable() { return *m_timeTable; }
  // The archive of past months' plans (TIMEHIST.DBF).
  TTimeHistory &timeHistory() { return *m_history; }
  // [Timelist] KeepHistory: purged months are archived and shown read-only.
  bool keepsHistory() const { return m_keepHistory; }

  // Chooses the pending alarm of a date. The alarm clock installs itself
  // here; without one nothing is armed.
  void ArmNextAlarm(int year, int month, int day);
  void setAlarmClock(std::function<void(int year, int month, int day)> armNextAlarm);

  // The time-list window registers its ShowDay and the list that receives
  // rows stored for the first time.
  void setTimeListWindow(std::function<void(int year, int month, int day)> showDay,
                         std::function<void(const STIMELISTDATAPtr &row)> entryAppended);
  // The time-list window, which ImageRed shows and hides.
  void setTimeListWindow(QWidget *window);
  // A tool window whose CanClose the main window sets when it closes.
  void addToolWindow(calixo::TToolWindow *window);

  // The 查找 box (Ctrl+F, and 查找 in the time list's menu).
  void ShowPlanSearch();
  // The plans the box searches: the time table, and the archive when kept.
  std::vector<TPlanSource> PlanSources();
  // Shows a date: the month, the day selected, the time list on that day.
  void GoToDate(int year, int month, int day);
  TPlanSearchBox *PlanSearchBox = nullptr;

  // The one settings object (created by FormCreate).
  TCalixoini &Calixoini() { return *m_settings; }

  // The grid's draw-cell handler and release handler.
  void OnDrawGirdDateDrawCell(TCellCanvas &canvas, int col, int row, const QRect &rect);
  void OnDrawGridDateMouseUp(QMouseEvent *e);
  // The colour of a festival's or a solar term's label.
  static QColor FestivalLabelColour();

  // A picture button of the skin, its picture chosen by its Mainbutton key.
  TPictureButton *createSkinButton(const char *objectName, QPoint pos, const char *key,
                                   QPoint pressOffset);

  // Controls, by their published names.
  TImageMy *ImageMy1 = nullptr;
  TZuImage *ZuImage1 = nullptr;
  QLabel *LabelYear = nullptr;
  QLabel *LabelMonthN = nullptr;
  QLabel *LabelMonthE = nullptr;
  TDrawGrid *DrawGridDate = nullptr;
  TPictureButton *ImageClose = nullptr;
  TPictureButton *ImageRed = nullptr;
  TPictureButton *ImageGreen = nullptr;  // shows or hides the memo list
  TAlarmClock *AlarmClock = nullptr;  // NextAlarm and TimerClock
  TPictureButton *ImageBlue = nullptr;
  TPictureButton *ImageLastYear = nullptr;
  TPictureButton *ImageNextYear = nullptr;
  TPictureButton *ImageBeforMonth = nullptr;
  TPictureButton *ImageNextMonth = nullptr;
  std::unique_ptr<dbf::TDbfDataSet> DbfDataSetTIMELIST;
  QImage HaveDataBitmap;  // BMPHAVEDATA, transparent at pixel (1, 1)

signals:
  // The window has closed; the program ends.
  void closed();

protected:
  void closeEvent(QCloseEvent *e) override;

private:
  void loadSkinButtons();
  // The stepping and stopwatch buttons and the labels' dialog (mainnavigation.cpp).
  void createNavigationControls();
  void OnImageBlueClick();
  void OnImageLastYearClick();
  void OnImageNextYearClick();
  void OnImageBeforMonthClick();
  void OnImageNextMonthClick();
  void OnLabelYearClick();
  void setMonthLabels();
  void showSelectedDayAsCurrent();
  void showDefaultPicture();
  // The festival-mode label of a Gregorian date whose lunar date is lunarDay.
  static lunar::DayLabel festivalModeLabel(int year, int month, int day,
                                           const lunar::LunarDate &lunarDay);

  std::unique_ptr<TCalixoini> m_settings;
  // [Lunar] Extended=1: labels from the classic and the extended table.
  bool m_lunarExtended = false;
  // [Lunar] Festivals=1 as well: festivals and solar terms in the labels.
  bool m_lunarFestivals = false;
  std::unique_ptr<TTimeTable> m_timeTable;
  std::unique_ptr<TTimeHistory> m_history;
  bool m_keepHistory = false;
  // Is (year, month) before today's month, so the archive may hold plans of it?
  bool isPastMonth(int year, int month) const;
  struct SkinButton {
    TPictureButton *button;
    const char *key;
  };
  std::vector<SkinButton> m_skinButtons;
  std::vector<QPointer<calixo::TToolWindow>> m_toolWindows;
  std::function<void(int, int, int)> m_armNextAlarm;
  std::function<void(int, int, int)> m_showDay;
  std::function<void(const STIMELISTDATAPtr &)> m_entryAppended;
  QPointer<QWidget> m_timeListWindow;
};

extern TMainForm *MainForm;
