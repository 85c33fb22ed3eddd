// The rows of one day in the time-list window and the entry the alarm clock
// waits for, as plain functions over STIMELISTDATA lists: BuildRows lays a day
// out in half-hour rows and gives each the stored entry of its time;
// EarliestAlarmAfter picks the clock's pending entry among a day's entries.
#pragma once

#include "timetable.h"

// Minutes per time-list row.
inline constexpr int kSlotMinutes = 30;

// Gives row the first entry of dayEntries at exactly its time (hour, minute,
// second): its Text, SetFlag, RecNo and RunFlag, and AlarmState 1. Entries at
// other times are left out. True when one matched.
bool MatchStoredEntry(STIMELISTDATA &row, const TTimeList &dayEntries);

// The rows of a day from 0:00, one per slotMinutes ("7:00", "7:30"), each
// merged with dayEntries. topRow receives the number of rows before hour 7,
// which is the grid row of 6:30 (grid row r shows entry r - 1).
TTimeList BuildRows(const TTimeList &dayEntries, int slotMinutes, int &topRow);

// hour * 100 + minute: how the clock compares times of day.
inline int timeOfDayNumber(int hour, int minute) { return hour * 100 + minute; }

// The earliest entry whose time is later than now (timeOfDayNumber) and
// whose SetFlag is not 0; of entries at the same minute, the first in list
// order (record order). nullptr when there is none.
STIMELISTDATAPtr EarliestAlarmAfter(const TTimeList &entries, int now);
