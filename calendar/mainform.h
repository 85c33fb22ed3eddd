// calendar: the main window, TMainForm. It owns the month model (the globals
// of monthmodel.h), the one settings object, the time table and its busy
// flag, and shows one month as a grid of day cells with lunar labels and
// entry markers beside the month picture. The tool windows reach it through
// the global MainForm: they load and save entries with LoadDayEntries and
// SaveEntry and learn which day to show through the ShowDay they register.
// The window is built in two steps: the constructor lays out the controls,
// FormCreate runs the creation handler (settings, table, month, picture).
#pragma once

#include "dayinfo.h"
#include "lunar.h"
#include "monthmodel.h"
#include "schedule.h"
#include "timelistowner.h"
#include "plansearch.h"
#include "timehistory.h"
#include "timetable.h"

#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QColor;
class QIcon;
class QKeyEvent;
class QMenu;
class QLabel;
class TAlarmClock;
class TCalixoini;
class TDrawGrid;
class TCellCanvas;
class TImageMy;
class TPictureButton;
namespace holidays {
class HolidaySchedule;
}
class TRepeatsForm;
class TPlanSearchBox;
class TZuImage;
namespace repeats {
class TRepeatTable;
}
namespace calixo {
class TToolWindow;
}
namespace calixo::sync {
class SyncScheduler;
}

class TMainForm : public QWidget, public TTimeListOwner {
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
  void LoadDayEntries(int Year, int Month, int Day, TTimeList &List) override;
  void SaveEntry(int Year, int Month, int Day, const STIMELISTDATAPtr &Row, int Op) override;
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
  // The clock's date changed from oldDay (a day number) to year-month-day:
  // a selection on the old today moves to the new one, with the grid, the
  // labels and the time-list window.
  void DateChanged(int64_t oldDay, int year, int month, int day);

  // The time-list window registers its ShowDay and the list that receives
  // rows stored for the first time.
  void setTimeListWindow(std::function<void(int year, int month, int day)> showDay,
                         std::function<void(const STIMELISTDATAPtr &row)> entryAppended) override;
  // The time-list window, which ImageRed shows and hides.
  void setTimeListWindow(QWidget *window) override;
  // A tool window whose CanClose the main window sets when it closes.
  void addToolWindow(calixo::TToolWindow *window) override;

  // The 查找 box (Ctrl+F, and 查找 in the time list's menu).
  void ShowPlanSearch() override;
  // The plans the box searches: the time table, and the archive when kept.
  std::vector<TPlanSource> PlanSources();
  // Shows a date: the month, the day selected, the time list on that day.
  void GoToDate(int year, int month, int day);
  TPlanSearchBox *PlanSearchBox = nullptr;

  // The one settings object (created by FormCreate).
  TCalixoini &Calixoini() override { return *m_settings; }
  // The time list's view of this window and of the selected date.
  QWidget *OwnerWindow() override { return this; }
  void SelectedDate(int &Year, int &Month, int &Day) const override;

  // The grid's draw-cell handler and release handler.
  void OnDrawGirdDateDrawCell(TCellCanvas &canvas, int col, int row, const QRect &rect);
  void OnDrawGridDateMouseUp(QMouseEvent *e);
  // The arrow keys, Page Up/Down, Home and Enter in the grid; false for a
  // key the grid leaves to its default handling.
  bool OnDrawGridDateKeyDown(QKeyEvent *e);
  // The whole date of the day in a cell, one line each; empty for the
  // header, a blank cell or with [Calendar] DayTips=0.
  QString DayToolTip(int col, int row);
  // The colour of a festival's or a solar term's label.
  static QColor FestivalLabelColour();
  // The colours of the 休 and 班 marks.
  static QColor HolidayOffColour();
  static QColor HolidayWorkColour();
  // The days off and make-up working days ([Holidays] Show=1), or nullptr.
  const holidays::HolidaySchedule *Holidays() const { return m_holidays.get(); }

  // Birthdays and anniversaries (mainrepeats.cpp), with [Repeats] Enabled on:
  // the table, the 纪念日 window, a mark on the days they fall on and their
  // reminders, which the alarm clock's tick hands over.
  repeats::TRepeatTable *RepeatTable() { return m_repeatTable.get(); }
  void ShowRepeatsWindow();
  // The dialog for a new anniversary, filled with the lunar and Gregorian
  // date of day `day` of the shown month.
  void AddRepeatOnDay(int day);
  // The anniversary reminders of day number day for the alarm schedule: each
  // set one whose occurrence is that day or at most AHEAD days later, and
  // that has not fired that day; clearing one stores FIRED.
  std::vector<reminders::DueItem> AnniversaryRemindersOf(int64_t day);
  // Those of the days before day (at most a month back, after the day each
  // last fired) that never came because Calixo was not running: the latest
  // missed one of each anniversary.
  std::vector<reminders::DueItem> MissedAnniversaryReminders(int64_t day);
  // For the hover text: "妈妈生日（农历八月十五）" for each anniversary that
  // falls on day `day` of the shown month, in time order.
  QStringList AnniversariesOn(int day) const;
  // The table the grid reads lunar dates from.
  lunar::LunarTable LunarTableInUse() const;
  std::array<int32_t, 42> RepeatMarks{};  // 1 where an anniversary falls
  QImage RepeatMarkBitmap;
  TRepeatsForm *RepeatsForm = nullptr;
  // The background of today's cell.
  static QColor TodayColour();

  // Where the statutory holidays come from: the holiday or make-up workday
  // of a date, or nullopt. Without one no day is a holiday.
  using HolidayLookup = std::function<std::optional<SDayHoliday>(int year, int month, int day)>;
  void setHolidayLookup(HolidayLookup lookup);

  // Reads the switches of switches.h again and repaints the grid; the 设置
  // dialog calls it after it stored them.
  void ApplySwitches();
  // Shows the 设置 dialog (the context menu's "设置..."), stores what the
  // user chose in Calixo.ini and applies it.
  void OnSettingsClick();
  // 导出日历 and 导入日历 (mainics.cpp): the plans and anniversaries to and
  // from an iCalendar file chosen in a file dialog.
  void OnExportClick();
  void OnImportClick();
  // The background sync with a CalDAV calendar (mainsync.cpp): started once
  // after the first paint; its state is the window's tooltip and a line of
  // the 设置 dialog; a run that changed the table marks the month again and
  // shows the time list's day again.
  void StartSync();
  QString SyncState() const;
  // After the 设置 dialog: a typed password goes to the keychain, then the
  // sync switches are read again.
  void SyncSettingsChanged(const QString &password);

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
  void contextMenuEvent(QContextMenuEvent *e) override;

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
  // Moves the selection to a date, laying out its month when it is another.
  void selectDate(int year, int month, int day);

  void openRepeatTable();
  void layoutRepeatMarks(int year, int month);
  // The anniversary dot, after the day number and its 休/班 mark (which end
  // at marksRight), so that it reads with its own day.
  void drawRepeatMark(TCellCanvas &canvas, int cell, const QRect &rect, int marksRight);
  // 纪念日… and, over a day, 添加纪念日.
  void addRepeatActions(QMenu &menu, const QPoint &pos);

  std::unique_ptr<TCalixoini> m_settings;
  std::unique_ptr<repeats::TRepeatTable> m_repeatTable;
  // The 休 or 班 mark of day d of the shown month, after its number (which
  // ends at numberRight) in the cell's top-right part.
  // Returns where the mark ends (numberRight when there is none).
  int drawHolidayMark(TCellCanvas &canvas, int d, int numberRight, const QRect &rect);
  void loadHolidays();

  std::unique_ptr<holidays::HolidaySchedule> m_holidays;
  // [Lunar] Extended and Festivals: which years get labels, and which labels.
  lunar::LabelMode m_labelMode = lunar::LabelMode::Classic;
  // [Calendar] switches.
  bool m_dayTips = false, m_keys = false, m_todayMark = false, m_smallMarker = false;
  QImage m_smallMarkerBitmap;
  HolidayLookup m_holidayLookup;
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
  // Last, so it ends before the table it writes.
  std::unique_ptr<calixo::sync::SyncScheduler> m_sync;
};

extern TMainForm *MainForm;
