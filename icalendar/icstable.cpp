#include "icstable.h"

#include "clock.h"

#include <cstdio>
#include <cstring>

namespace calixo::ics {

namespace {

constexpr size_t kTextBytes = 249;
const std::string kJoin = "\xA3\xBB";  // "；" (GBK)

std::string rowLabel(const PlanRecord &p) {
  char b[48];
  std::snprintf(b, sizeof b, "%04d-%02d-%02d %d:%02d", p.date.year, p.date.month, p.date.day, p.hour,
                p.minute);
  return b;
}

STIMELISTDATAPtr rowAt(const TTimeList &day, int hour, int minute) {
  for (const auto &e : day)
    if (e->Hour == hour && e->Minute == minute)
      return e;
  return nullptr;
}

}  // namespace

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
    STIMELISTDATAPtr row = rowAt(day, p.hour, p.minute);
    char at[16];
    std::snprintf(at, sizeof at, "%d:%02d ", p.hour, p.minute);
    const std::string moved = p.text.compare(0, std::strlen(at), at) == 0 ? p.text : at + p.text;
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
    if (row && !row->RunFlag && row->Text.size() + kJoin.size() + p.text.size() <= kTextBytes) {
      row->Text += kJoin + p.text;
      if (p.alarm)
        row->SetFlag = 1;
      table.SaveEntry(p.date.year, p.date.month, p.date.day, row, p.alarm ? 0 : 2);
      ++counts.joined;
      continue;
    }
    int hour = p.hour, minute = p.minute;
    if (row) {
      // The row is a run, or full: the next free half hour of the day, with
      // the plan's own time in front of its text.
      text = moved;
      if (text.size() > kTextBytes) {
        counts.notImported.push_back(rowLabel(p) + "：这一行已满，文字放不下");
        continue;
      }
      bool found = false;
      for (int slot = p.hour * 2 + p.minute / 30 + 1; slot < 48 && !found; ++slot) {
        if (!rowAt(day, slot / 2, slot % 2 * 30)) {
          hour = slot / 2;
          minute = slot % 2 * 30;
          found = true;
        }
      }
      if (!found) {
        counts.notImported.push_back(rowLabel(p) + "：这一行已有内容，当天后面也没有空行");
        continue;
      }
    }
    auto fresh = std::make_shared<STIMELISTDATA>();
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
