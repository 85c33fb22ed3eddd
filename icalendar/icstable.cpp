#include "icstable.h"

#include "clock.h"

#include <cstdio>
#include <cstring>

namespace calixo::ics {

namespace {

std::string rowLabel(const PlanRecord &p) {
  char b[48];
  std::snprintf(b, sizeof b, "%04d-%02d-%02d %d:%02d", p.date.year, p.date.month, p.date.day, p.hour,
                p.minute);
  return b;
}

}  // namespace

STIMELISTDATAPtr RowAt(const TTimeList &day, int hour, int minute) {
  for (const auto &e : day)
    if (e->Hour == hour && e->Minute == minute)
      return e;
  return nullptr;
}

bool IsFreeRow(const STIMELISTDATAPtr &row) { return !row || (row->Text.empty() && !row->RunFlag); }

std::string WithTimeInFront(const std::string &text, int hour, int minute) {
  char at[16];
  std::snprintf(at, sizeof at, "%d:%02d ", hour, minute);
  return text.compare(0, std::strlen(at), at) == 0 ? text : at + text;
}

bool NextFreeRow(const TTimeList &day, int hour, int minute, int &freeHour, int &freeMinute) {
  for (int slot = hour * 2 + minute / 30 + 1; slot < 48; ++slot)
    if (IsFreeRow(RowAt(day, slot / 2, slot % 2 * 30))) {
      freeHour = slot / 2;
      freeMinute = slot % 2 * 30;
      return true;
    }
  return false;
}

std::vector<PlanRecord> ReadPlans(dbf::TDbfDataSet &table, bool history) {
  std::vector<PlanRecord> plans;
  if (!table.Active())
    return plans;
  const int count = table.RecordCount();
  for (int n = 1; n <= count; ++n) {
    table.GotoPhysical(n);
    if (table.CurrentDeleted())
      continue;
    PlanRecord p;
    calixo::dateFromDayNumber(static_cast<int64_t>(table.FloatGet("DATE")), p.date.year, p.date.month,
                              p.date.day);
    int32_t h = 0, m = 0, s = 0;
    splitTimeFraction(table.FloatGet("TIME"), h, m, s);
    p.hour = h;
    p.minute = m;
    p.text = table.StringGet("DO");
    p.alarm = table.IntegerGet("SET") != 0;
    p.run = table.IntegerGet("RUN") != 0;
    p.history = history;
    plans.push_back(std::move(p));
  }
  return plans;
}

ImportCounts ImportPlans(TTimeTable &table, const std::vector<PlanRecord> &plans) {
  ImportCounts counts;
  for (const PlanRecord &p : plans) {
    TTimeList day;
    table.LoadDayEntries(p.date.year, p.date.month, p.date.day, day);
    STIMELISTDATAPtr row = RowAt(day, p.hour, p.minute);
    const std::string moved = WithTimeInFront(p.text, p.hour, p.minute);
    // A plan imported before sits in its row, or (when its row was a run or
    // full) in a later row with its time in front.
    if (!row || row->Text.find(p.text) == std::string::npos)
      for (const auto &e : day)
        if (e->Text.find(moved) != std::string::npos)
          row = e;
    if (row && row->Text.find(row->Hour == p.hour && row->Minute == p.minute ? p.text : moved) !=
                   std::string::npos) {
      if (p.alarm && !row->SetFlag && !row->RunFlag) {
        row->SetFlag = 1;
        table.SaveEntry(p.date.year, p.date.month, p.date.day, row, 0);
      }
      ++counts.already;
      continue;
    }
    std::string text = p.text;
    if (!IsFreeRow(row) && !row->RunFlag && row->Text.size() + kRowJoin.size() + p.text.size() <= kRowTextBytes) {
      row->Text += kRowJoin + p.text;
      if (p.alarm)
        row->SetFlag = 1;
      table.SaveEntry(p.date.year, p.date.month, p.date.day, row, p.alarm ? 0 : 2);
      ++counts.joined;
      continue;
    }
    int hour = p.hour, minute = p.minute;
    if (!IsFreeRow(row)) {
      // The row is a run, or full: the next free half hour of the day, with
      // the plan's own time in front of its text.
      text = moved;
      if (text.size() > kRowTextBytes) {
        counts.notImported.push_back(rowLabel(p) + "：这一行已满，文字放不下");
        continue;
      }
      if (!NextFreeRow(day, p.hour, p.minute, hour, minute)) {
        counts.notImported.push_back(rowLabel(p) + "：这一行已有内容，当天后面也没有空行");
        continue;
      }
    }
    // An emptied record of the row is written again, so a row never has two.
    STIMELISTDATAPtr fresh = RowAt(day, hour, minute);
    if (!fresh)
      fresh = std::make_shared<STIMELISTDATA>();
    fresh->Hour = hour;
    fresh->Minute = minute;
    fresh->Text = text;
    fresh->SetFlag = p.alarm ? 1 : 0;
    table.SaveEntry(p.date.year, p.date.month, p.date.day, fresh, p.alarm ? 0 : 2);
    if (fresh->RecNo == -1) {
      counts.notImported.push_back(rowLabel(p) + "：无法写入时间表");
      continue;
    }
    ++counts.added;
  }
  return counts;
}

}  // namespace calixo::ics
