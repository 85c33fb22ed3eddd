#include "synctable.h"

#include "clock.h"
#include "filenames.h"
#include "icstable.h"
#include "syncrun.h"
#include "timehistory.h"

#include <set>

namespace calixo::sync {

namespace {

bool holds(const STIMELISTDATAPtr &r, const Plan &p) {
  return r && !r->RunFlag && r->Text == p.text && (r->SetFlag != 0) == p.alarm;
}

TTimeList dayOf(TTimeTable &t, const Row &row) {
  TTimeList day;
  t.LoadDayEntries(row.date.year, row.date.month, row.date.day, day);
  return day;
}

// Stores text and alarm in the row (a new record when it has none) and reads
// it back: a busy or failing table stores nothing and says so here.
bool store(TTimeTable &t, const Row &row, STIMELISTDATAPtr r, const std::string &text, bool alarm,
           std::string &why) {
  const bool markChanged = !r || (r->SetFlag != 0) != alarm;
  if (!r) {
    r = std::make_shared<STIMELISTDATA>();
    r->Hour = row.hour;
    r->Minute = row.minute;
  }
  r->Text = text;
  r->SetFlag = alarm ? 1 : 0;
  t.SaveEntry(row.date.year, row.date.month, row.date.day, r, markChanged ? 0 : 2);
  const STIMELISTDATAPtr back = ics::RowAt(dayOf(t, row), row.hour, row.minute);
  if (!back || back->Text != text || (back->SetFlag != 0) != alarm) {
    why = "时间表无法写入";
    return false;
  }
  return true;
}

}  // namespace

Local ReadLocal(TTimeTable &table, dbf::TDbfDataSet *archive, bool purgeDeletes, const ics::Date &today) {
  Local local;
  local.monthStart = ics::Date{today.year, today.month, 1};
  local.purgeDeletes = purgeDeletes;
  std::set<Row> seen;
  for (const ics::PlanRecord &p : ics::ReadPlans(table.table())) {
    const Row row{p.date, p.hour, p.minute};
    if (!seen.insert(row).second || p.run || p.text.empty() || p.minute % 30 != 0)
      continue;
    local.plans.push_back(Plan{row, p.text, p.alarm});
  }
  if (archive)
    for (const ics::PlanRecord &p : ics::ReadPlans(*archive, true))
      local.archived.push_back(Row{p.date, p.hour, p.minute});
  return local;
}

bool ApplyToTable(TTimeTable &table, const Action &a, Plan &placed, std::string &why) {
  // Read again: the rows still hold what the run compared.
  if (a.expectPlan && !holds(ics::RowAt(dayOf(table, a.expect.row), a.expect.row.hour, a.expect.row.minute), a.expect)) {
    why = "时间表的这一行已被改动，下次同步再对照";
    return false;
  }
  if (!a.expectPlan && a.writeRow && !a.place) {
    why = "内部错误：合并的计划没有原来的行";
    return false;
  }
  if (a.clearRow) {
    const STIMELISTDATAPtr r = ics::RowAt(dayOf(table, a.clear), a.clear.hour, a.clear.minute);
    if (r && !r->Text.empty() && !store(table, a.clear, r, "", false, why))
      return false;
  }
  if (!a.writeRow)
    return true;
  const Row &want = a.write.row;
  const TTimeList day = dayOf(table, want);
  STIMELISTDATAPtr r = ics::RowAt(day, want.hour, want.minute);
  placed = a.write;
  if (!a.place || ics::IsFreeRow(r))
    return store(table, want, r, a.write.text, a.write.alarm, why);
  // The row holds another plan or a run: the day's next free row, with the
  // event's time in front of its text, as the import places it.
  placed.text = ics::WithTimeInFront(a.write.text, want.hour, want.minute);
  if (placed.text.size() > ics::kRowTextBytes) {
    why = "这一行已有内容，文字加上时间后放不下";
    return false;
  }
  int hour = 0, minute = 0;
  if (ics::NextFreeRow(day, want.hour, want.minute, hour, minute)) {
    placed.row = Row{want.date, hour, minute};
    return store(table, placed.row, ics::RowAt(day, hour, minute), placed.text, placed.alarm, why);
  }
  why = "这一行已有内容，当天后面也没有空行";
  return false;
}

TableSide TimeTableSide(TTimeTable &table, bool purgeDeletes) {
  TableSide side;
  side.read = [&table, purgeDeletes](Local &local, std::string &error) {
    try {
      std::unique_ptr<dbf::TDbfDataSet> archive;
      if (calixo::fileExists(kHistoryFile)) {
        archive = std::make_unique<dbf::TDbfDataSet>("DbfDataSetTIMEHIST");
        archive->SetTableName(calixo::resolveFileName(kHistoryFile));
        archive->Open();
      }
      const LocalDateTime now = calixo::clock().now();
      local = ReadLocal(table, archive.get(), purgeDeletes, ics::Date{now.year, now.month, now.day});
    } catch (const std::exception &e) {
      error = e.what();
      return false;
    }
    return true;
  };
  side.apply = [&table](const Action &a, Plan &placed, std::string &why) {
    try {
      return ApplyToTable(table, a, placed, why);
    } catch (const std::exception &e) {
      why = e.what();
      return false;
    }
  };
  return side;
}

}  // namespace calixo::sync
