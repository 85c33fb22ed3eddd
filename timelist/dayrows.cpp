#include "dayrows.h"

#include <cstdio>

bool MatchStoredEntry(STIMELISTDATA &row, const TTimeList &dayEntries) {
  for (const STIMELISTDATAPtr &e : dayEntries) {
    if (!e || e->Hour != row.Hour || e->Minute != row.Minute || e->Second != row.Second)
      continue;
    row.Text = e->Text;
    row.SetFlag = e->SetFlag;
    row.RecNo = e->RecNo;
    row.RunFlag = e->RunFlag;
    row.History = e->History;
    row.AlarmState = 1;
    return true;
  }
  return false;
}

namespace {
STIMELISTDATAPtr newRow(int hour, int minute, std::string label, const TTimeList &dayEntries) {
  auto row = std::make_shared<STIMELISTDATA>();
  row->TimeText = std::move(label);
  row->Hour = hour;
  row->Minute = minute;
  MatchStoredEntry(*row, dayEntries);
  return row;
}
}  // namespace

TTimeList BuildRows(const TTimeList &dayEntries, int slotMinutes, int &topRow) {
  TTimeList rows;
  topRow = 0;
  if (slotMinutes <= 0)
    slotMinutes = kSlotMinutes;
  for (int h = 0; h < 24; ++h) {
    if (h == 7)
      topRow = static_cast<int>(rows.size());
    rows.push_back(newRow(h, 0, std::to_string(h) + ":00", dayEntries));
    for (int k = 1; k <= 60 / slotMinutes; ++k) {
      const int m = k * slotMinutes;
      if (m == 0 || m == 60)
        continue;
      char label[16];
      std::snprintf(label, sizeof label, "%d:%02d", h, m);
      rows.push_back(newRow(h, m, label, dayEntries));
    }
  }
  return rows;
}

STIMELISTDATAPtr EarliestAlarmAfter(const TTimeList &entries, int now) {
  STIMELISTDATAPtr earliest;
  for (const STIMELISTDATAPtr &e : entries) {
    if (!e || e->SetFlag == 0)
      continue;
    const int at = timeOfDayNumber(e->Hour, e->Minute);
    // Strictly earlier only: a later entry of the same minute never replaces
    // the one before it in record order.
    if (at > now && (!earliest || at < timeOfDayNumber(earliest->Hour, earliest->Minute)))
      earliest = e;
  }
  return earliest;
}
