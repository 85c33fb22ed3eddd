// TTimeListOwner: what the time-list window asks of the window that owns the
// time table and the selected date (the main window). The list loads and
// stores rows through it, reads its button pictures from its settings, sits
// beside its window, and registers itself there so that the owner tells it
// which day to show and lets it close with the program.
#pragma once

#include "timetable.h"

#include <functional>

class QWidget;
class TCalixoini;
namespace calixo {
class TToolWindow;
}

class TTimeListOwner {
public:
  virtual ~TTimeListOwner() = default;

  // The owner's own window, beside which the list is placed.
  virtual QWidget *OwnerWindow() = 0;
  virtual TCalixoini &Calixoini() = 0;
  // The date whose rows the list edits.
  virtual void SelectedDate(int &Year, int &Month, int &Day) const = 0;
  virtual void LoadDayEntries(int Year, int Month, int Day, TTimeList &List) = 0;
  virtual void SaveEntry(int Year, int Month, int Day, const STIMELISTDATAPtr &Row, int Op) = 0;
  // The list's ShowDay and the list of entries that receives rows stored
  // for the first time.
  virtual void setTimeListWindow(std::function<void(int year, int month, int day)> showDay,
                                 std::function<void(const STIMELISTDATAPtr &row)> entryAppended) = 0;
  // The window the owner shows and hides.
  virtual void setTimeListWindow(QWidget *window) = 0;
  virtual void addToolWindow(calixo::TToolWindow *window) = 0;
  // The 查找 box over every plan.
  virtual void ShowPlanSearch() = 0;
};
