// The time table's side of a sync run: what the table holds, and one
// action's change to it, made through the table engine in a short step that
// first reads the rows again. Plain C++.
#pragma once

#include "reconcile.h"
#include "timetable.h"

namespace calixo::sync {

// The table's plans (rows with text, runs left out; of two records in one
// row the first), the archive's rows when one is given, and this month.
Local ReadLocal(TTimeTable &table, dbf::TDbfDataSet *archive, bool purgeDeletes, const ics::Date &today);

// Makes an action's change to the table. False, with why (UTF-8), when the
// rows no longer hold what the run read (a user's edit meanwhile wins and
// the event is compared again next run) or the plan finds no row; nothing is
// changed then. placed receives where and what the event now is in the table.
bool ApplyToTable(TTimeTable &table, const Action &action, Plan &placed, std::string &why);

}  // namespace calixo::sync

namespace calixo::sync {

struct TableSide;
// A run's way to a time table that is open: the table, and the archive
// "TIMEHIST.DBF" of the data folder read afresh on each run when present.
TableSide TimeTableSide(TTimeTable &table, bool purgeDeletes);

}  // namespace calixo::sync
