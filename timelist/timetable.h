// timelist: the time table, TimeList.dbf. TTimeTable wraps the one table
// component of the main window and performs the record-level operations the
// rest of the program needs: creating the file when missing, loading the
// entries of one date, saving one time-list row, clearing a fired alarm and
// the start-of-month purge. Dates are keyed by their day number; records are
// found by sequential search, and record numbers stay positions because the
// only deletion (the purge) is followed at once by a compaction.
//
// Every operation but the purge runs under the busy flag that the main window
// owns. The flag is never waited on: an operation entered while it is set
// returns at once and touches nothing. A store that fails keeps the row as
// the user typed it and is told through the Report hook, with the file and
// the reason; loads end quietly; the purge lets its errors through.
// Plain C++ over dbf::TDbfDataSet, no Qt.
#pragma once

#include "dbf.h"
#include "tablemessages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One time-list row, or one stored entry as loaded. Texts are GBK bytes.
struct STIMELISTDATA {
  std::string TimeText;    // row label such as "7:30"; empty in loaded entries
  std::string Text;        // DO
  int32_t SetFlag = 0;     // SET
  int32_t AlarmState = -1; // row display state: -1 no record, 1 set, 0 cancelled
  int32_t Hour = 0, Minute = 0, Second = 0;
  int32_t RecNo = -1;      // record in the table, -1 while the row has none
  int32_t RunFlag = 0;     // RUN
  uint8_t Armed = 0;       // the clock's pending copy only
  uint8_t History = 0;     // an archived plan of a past month: shown, never stored
};

// An entry may sit in two lists at once (a time-list row stored for the first
// time is also one of the day's entries), hence shared ownership.
using STIMELISTDATAPtr = std::shared_ptr<STIMELISTDATA>;
using TTimeList = std::vector<STIMELISTDATAPtr>;

// The six fields of TimeList.dbf in order: name, type, width, decimals.
const std::vector<dbf::FieldDef> &timeTableSchema();

// The table file's name on disk. Lookups ignore letter case, so an existing
// TIMELIST.DBF is the same file.
inline constexpr const char *kTimeTableFile = "TimeList.dbf";

// Sets a flag for the life of the guard unless it was set already; owns()
// tells whether this guard got it.
class TBusyGuard {
public:
  explicit TBusyGuard(bool &flag) : m_flag(flag), m_owns(!flag) { m_flag = true; }
  ~TBusyGuard() {
    if (m_owns)
      m_flag = false;
  }
  TBusyGuard(const TBusyGuard &) = delete;
  TBusyGuard &operator=(const TBusyGuard &) = delete;
  bool owns() const { return m_owns; }

private:
  bool &m_flag;
  bool m_owns;
};

class TTimeHistory;

class TTimeTable {
public:
  struct Hooks {
    // SaveEntry with Op 0: the date's cell gets its marker (set or cancel).
    std::function<void(int year, int month, int day)> MarkDay;
    // SaveEntry with Op below 2, after the table work: the alarm clock may
    // have to choose its pending entry again.
    std::function<void(int year, int month, int day)> AlarmChanged;
    // SaveEntry stored a row for the first time: it joins the day's entries.
    std::function<void(const STIMELISTDATAPtr &row)> EntryAppended;
    // A message for the user (UTF-8): a store that failed, a table that can
    // only be read, a table whose end is damaged.
    std::function<void(const std::string &message)> Report;
  };

  // table and busy belong to the main window and outlive this object.
  TTimeTable(dbf::TDbfDataSet &table, bool &busy);

  void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

  // Creates the empty table file when nothing stands under its name (a
  // device, a FIFO or a link to nowhere is left for OpenTable to refuse).
  // True when it created one.
  bool CreateTimeTableIfMissing();
  // Sets the table name and opens the table. Engine errors pass through, and
  // so does a file whose fields are not the six of the time table; the table
  // then stays closed, every later operation does nothing and the file is
  // left as it is. A table that may only be read, or whose last record is cut
  // short, opens and is reported once.
  void OpenTable();

  // Replaces List by the stored entries of the date, in file order.
  void LoadDayEntries(int Year, int Month, int Day, TTimeList &List);
  // Stores one row: Op 0 after a set/cancel mark change, 2 after a text change.
  void SaveEntry(int Year, int Month, int Day, const STIMELISTDATAPtr &Row, int Op);
  // Stores SET = 0 in record RecNo (an alarm that fired).
  void ClearAlarm(int RecNo);
  // Stores SET = 0 in the set entry of that date and minute: record RecNo
  // while it still is that entry, else the first such record (a compaction
  // or another copy of the program may have moved it). Nothing when none is.
  void ClearAlarmAt(int RecNo, int64_t day, int hour, int minute);
  // The set entries of every date before day, in file order; days receives
  // each entry's date.
  void LoadSetEntriesBefore(int64_t day, TTimeList &List, std::vector<int64_t> &days);
  // Deletes every entry of the month before (year, month) and compacts the
  // file; nothing when the table is closed or holds no record. Errors pass
  // through. Returns true when the file was compacted.
  bool PurgeMonthBefore(int year, int month);
  // With an archive, the purge moves the month's records into it first
  // (TTimeHistory); nullptr purges as before. The archive outlives this.
  void setHistory(TTimeHistory *history) { m_history = history; }
  // Completes a purge into the archive that a kill interrupted. Errors pass
  // through.
  void RecoverPurge(TTimeHistory &history);

  // For the month grid, in one pass: for d = 1..days, 1 when a live record
  // has that date (records marked deleted count for nothing). The pass goes
  // over the day numbers of the table's records, which are read from the
  // file once and then only for records appended since (the program never
  // changes a record's date; a compaction or another file starts over). With
  // showDay (1..days) the same pass notes that day's records, and the
  // LoadDayEntries of that date that follows reads only those. A read error
  // leaves the days unmarked; a busy table gives all 0 without touching it.
  std::vector<int32_t> DayMarks(int year, int month, int days, int showDay = 0);
  // Forgets the records DayMarks noted for the day to be shown.
  void DropNotedDay() { m_noted = {}; }

  dbf::TDbfDataSet &table() { return m_table; }
  dbf::TDbfNavigator &navigator() { return m_navigator; }

private:
  // The live records whose DATE is day number dn, in file order.
  std::vector<int> recordsOfDay(int64_t dn);
  // The field DATE of the open table, or nullptr.
  const dbf::FieldDef *dateField() const;

  // Brings m_dates up to the table's records; false when it cannot.
  bool syncDates();

  struct NotedDay {
    int64_t dayNumber = -1;
    std::vector<int> records;
  };

  dbf::TDbfDataSet &m_table;
  // Tells the user that storing failed, once until a store succeeds again;
  // a table known to be read-only was reported when it opened.
  void storeFailed(const char *what, const std::exception &e);
  void report(const std::string &message);

  dbf::TDbfNavigator m_navigator;
  bool &m_busy;
  Hooks m_hooks;
  std::string m_lastFailure;
  NotedDay m_noted;
  // The day number of every physical record, kNoDay for a deleted record or
  // a date that is no whole day number, and the file they were read from.
  static constexpr int64_t kNoDay = INT64_MIN;
  std::vector<int64_t> m_dates;
  std::string m_datesPath;
  uint64_t m_datesFile = 0;
  TTimeHistory *m_history = nullptr;
};

// The records of the days [first, next) as the purge finds them: for each day
// in turn, Locate on DATE and LocateNext after each found record.
std::vector<int> recordsOfDays(dbf::TDbfDataSet &table, int64_t first, int64_t next);

// The key Locate compares with DATE: the date's day number.
dbf::LocateKey dateKey(int year, int month, int day);
// Fraction of a day for a time of day, seconds left out.
double timeFraction(int hour, int minute);
// Hour, minute and second of a day fraction, to the nearest second.
void splitTimeFraction(double fraction, int32_t &hour, int32_t &minute, int32_t &second);
