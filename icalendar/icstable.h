// The tables' side of the iCalendar import and export: every plan of a time
// table as a record, and imported plans stored in their half-hour rows. Plain
// C++ over the time table's operations.
#pragma once

#include "icsformat.h"
#include "timetable.h"

#include <string>
#include <vector>

namespace calixo::ics {

// A row's text holds at most this many GBK bytes (the width of DO).
inline constexpr size_t kRowTextBytes = 249;
// What joins two texts in one row: "；" (GBK).
inline const std::string kRowJoin = "\xA3\xBB";

// The day's record of the half hour hour:minute; null when it has none.
STIMELISTDATAPtr RowAt(const TTimeList &day, int hour, int minute);
// A row nothing is in: no record, or an emptied one that is not a run.
bool IsFreeRow(const STIMELISTDATAPtr &row);
// text as it stands in a row other than its own: its time in front
// ("9:15 text"), unless it is there already.
std::string WithTimeInFront(const std::string &text, int hour, int minute);
// The first free half hour of the day after hour:minute; false when the day
// has none left.
bool NextFreeRow(const TTimeList &day, int hour, int minute, int &freeHour, int &freeMinute);

// Every live record of an open time table, in file order.
std::vector<PlanRecord> ReadPlans(dbf::TDbfDataSet &table, bool history = false);

struct ImportCounts {
  int added = 0;       // new rows
  int joined = 0;      // added to the text of a row that was taken
  int already = 0;     // the row holds this text already
  std::vector<std::string> notImported;  // UTF-8
};

// Stores each plan in its row: a free row gets it; a taken row gets it after
// its text ("；" between), unless the row holds it already; a run's row, or a
// text that would pass the row's 249 bytes, sends it to the day's next free
// row with its time in front. A plan with an alarm sets the row's mark.
ImportCounts ImportPlans(TTimeTable &table, const std::vector<PlanRecord> &plans);

}  // namespace calixo::ics
