#include "timetable.h"

#include "timehistory.h"

#include "clock.h"
#include "fileio.h"
#include "filenames.h"
#include "scratchtable.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

#include <sys/stat.h>

const std::vector<dbf::FieldDef> &timeTableSchema() {
  static const std::vector<dbf::FieldDef> fields = {
      {"DATE", 'N', 10, 2},   {"TIME", 'N', 22, 20}, {"SET", 'N', 1, 0},
      {"AUTODEL", 'N', 1, 0}, {"RUN", 'N', 1, 0},    {"DO", 'C', 249, 0},
  };
  return fields;
}

dbf::LocateKey dateKey(int year, int month, int day) {
  return dbf::LocateKey{static_cast<double>(calixo::dayNumber(year, month, day))};
}

double timeFraction(int hour, int minute) { return (hour * 60 + minute) / 1440.0; }

void splitTimeFraction(double fraction, int32_t &hour, int32_t &minute, int32_t &second) {
  // The field holds 20 decimals of (h * 60 + m) / 1440, which is never exact;
  // rounding to the second gives the time that was stored.
  long total = std::lround(fraction * 86400.0);
  if (total < 0)
    total = 0;
  total %= 86400;
  hour = static_cast<int32_t>(total / 3600);
  minute = static_cast<int32_t>(total / 60 % 60);
  second = static_cast<int32_t>(total % 60);
}

namespace {
// Field names match regardless of letter case, as the engine matches them.
bool sameName(const std::string &a, const std::string &b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}
}  // namespace

TTimeTable::TTimeTable(dbf::TDbfDataSet &table, bool &busy)
    : m_table(table), m_navigator(table), m_busy(busy) {
  m_navigator.ConfirmDelete = false;
}

void TTimeTable::report(const std::string &message) {
  if (m_hooks.Report)
    m_hooks.Report(message);
}

void TTimeTable::storeFailed(const char *what, const std::exception &e) {
  if (m_table.Active() && m_table.ReadOnly())
    return;
  dbf::FileSystem &fs = m_table.fileSystem();
  const std::string path = fs.absolute(fs.resolve(kTimeTableFile));
  const std::string message = m_table.Active() ? dbf::tablemessages::storeFailed(what, path, e)
                                               : dbf::tablemessages::storeFailedNotOpen(what, path);
  // Every keystroke stores the row: a full disk is said once, not per key.
  if (message == m_lastFailure)
    return;
  m_lastFailure = message;
  report(message);
}

bool TTimeTable::CreateTimeTableIfMissing() {
  if (m_table.fileSystem().kindOf(kTimeTableFile) != dbf::FileSystem::Kind::Missing)
    return false;
  const auto &schema = timeTableSchema();
  return m_table.CreateTable(kTimeTableFile, 'F', [&schema](int index, dbf::FieldDef &def) {
    // An empty name after the last field ends the list; answering "go on"
    // with it is what lets the file be written.
    if (index < 1 || index > static_cast<int>(schema.size())) {
      def = dbf::FieldDef{};
      return true;
    }
    def = schema[static_cast<size_t>(index - 1)];
    return true;
  });
}

void TTimeTable::OpenTable() {
  m_noted = {};
  if (m_table.Active())
    m_table.Close();
  m_table.SetTableName(m_table.fileSystem().resolve(kTimeTableFile));
  m_table.Open();
  // A file whose header opens but whose field list is not the time table's
  // (cut short, or another table under this name) is never written to: the
  // user may want it back.
  const auto &fields = m_table.Fields();
  const auto &schema = timeTableSchema();
  bool same = fields.size() == schema.size();
  for (size_t i = 0; same && i < schema.size(); ++i)
    same = sameName(fields[i].name, schema[i].name) && fields[i].type == schema[i].type &&
           fields[i].width == schema[i].width && fields[i].decimals == schema[i].decimals;
  if (!same) {
    const std::string path = m_table.FilePath();
    m_table.Close();
    throw std::runtime_error(path + " is not a valid time table: its fields are not DATE, TIME, "
                             "SET, AUTODEL, RUN and DO");
  }
  m_lastFailure.clear();
  const std::string full = m_table.fileSystem().absolute(m_table.FilePath());
  if (m_table.DamagedEnd())
    report(dbf::tablemessages::damagedEnd(full));
  if (m_table.ReadOnly())
    report(dbf::tablemessages::readOnly(full));
}

void TTimeTable::LoadDayEntries(int Year, int Month, int Day, TTimeList &List) {
  TBusyGuard busy(m_busy);
  if (!busy.owns())
    return;
  List.clear();
  const int64_t dn = calixo::dayNumber(Year, Month, Day);
  NotedDay noted = std::move(m_noted);
  m_noted = {};
  try {
    const std::vector<int> records = noted.dayNumber == dn ? std::move(noted.records) : recordsOfDay(dn);
    for (const int n : records) {
      m_table.GotoPhysical(n);
      auto entry = std::make_shared<STIMELISTDATA>();
      entry->RecNo = n;
      List.push_back(entry);
      entry->Text = m_table.StringGet("DO");
      entry->SetFlag = m_table.IntegerGet("SET");
      entry->RunFlag = m_table.IntegerGet("RUN");
      splitTimeFraction(m_table.FloatGet("TIME"), entry->Hour, entry->Minute, entry->Second);
    }
  } catch (const std::exception &) {
    // A table error ends the load quietly with what was read so far.
  }
}

const dbf::FieldDef *TTimeTable::dateField() const {
  if (!m_table.Active())
    return nullptr;
  for (const dbf::FieldDef &f : m_table.Fields())
    if (sameName(f.name, "DATE"))
      return &f;
  return nullptr;
}

bool TTimeTable::syncDates() {
  const dbf::FieldDef *date = dateField();
  if (!date) {
    m_dates.clear();
    return false;
  }
  // Another file under the path (a compaction renamed over it, a reopen)
  // or fewer records than read: start over.
  struct stat st {};
  const std::string &path = m_table.FilePath();
  const uint64_t file = ::stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_ino) : 0;
  const size_t count = static_cast<size_t>(m_table.RecordCount());
  if (path != m_datesPath || file != m_datesFile || count < m_dates.size()) {
    m_dates.clear();
    m_datesPath = path;
    m_datesFile = file;
  }
  if (m_dates.size() == count)
    return true;
  m_dates.reserve(count);
  try {
    m_table.ScanRecords(
        [&](int, const char *rec) {
          double v = 0;
          const bool whole = !dbf::RecordDeleted(rec) && dbf::NumberAt(rec, *date, v) &&
                             v == std::floor(v) && std::fabs(v) < 1e15;
          m_dates.push_back(whole ? static_cast<int64_t>(v) : kNoDay);
          return true;
        },
        static_cast<int>(m_dates.size()) + 1);
  } catch (...) {
    m_dates.clear();
    m_datesPath.clear();
    throw;
  }
  return true;
}

std::vector<int> TTimeTable::recordsOfDay(int64_t dn) {
  std::vector<int> records;
  if (!syncDates())
    return records;
  for (size_t i = 0; i < m_dates.size(); ++i)
    if (m_dates[i] == dn)
      records.push_back(static_cast<int>(i) + 1);
  return records;
}

void TTimeTable::SaveEntry(int Year, int Month, int Day, const STIMELISTDATAPtr &Row, int Op) {
  // An archived plan is shown, never stored again.
  if (!Row || Row->History)
    return;
  m_noted = {};
  {
    TBusyGuard busy(m_busy);
    if (!busy.owns())
      return;
    if (Op == 0 && m_hooks.MarkDay)
      m_hooks.MarkDay(Year, Month, Day);
    try {
      const bool isNew = Row->RecNo == -1;
      if (!isNew) {
        m_table.GotoPosition(Row->RecNo);
        m_navigator.BtnClick(dbf::TDbfNavigator::nbEdit);
      } else {
        m_navigator.BtnClick(dbf::TDbfNavigator::nbBttm);
        m_navigator.BtnClick(dbf::TDbfNavigator::nbInsert);
        m_table.FloatPut("DATE", static_cast<double>(calixo::dayNumber(Year, Month, Day)));
        m_table.FloatPut("TIME", timeFraction(Row->Hour, Row->Minute));
      }
      m_table.IntegerPut("SET", Row->SetFlag);
      m_table.StringPut("DO", Row->Text);
      m_table.IntegerPut("RUN", Row->RunFlag);
      m_navigator.BtnClick(dbf::TDbfNavigator::nbPost);
      if (isNew) {
        Row->RecNo = m_table.RecNo();
        if (m_hooks.EntryAppended)
          m_hooks.EntryAppended(Row);
      }
      m_lastFailure.clear();
    } catch (const std::exception &e) {
      // The row keeps what the user gave it; a failed first save leaves
      // RecNo at -1 so the next save appends again. Drop the half-made change.
      try {
        m_navigator.BtnClick(dbf::TDbfNavigator::nbCancel);
      } catch (const std::exception &) {
      }
      storeFailed("计划", e);
    }
  }
  if (Op < 2 && m_hooks.AlarmChanged)
    m_hooks.AlarmChanged(Year, Month, Day);
}

void TTimeTable::ClearAlarm(int RecNo) {
  m_noted = {};
  TBusyGuard busy(m_busy);
  if (!busy.owns())
    return;
  try {
    m_table.GotoPosition(RecNo);
    m_navigator.BtnClick(dbf::TDbfNavigator::nbEdit);
    m_table.IntegerPut("SET", 0);
    m_navigator.BtnClick(dbf::TDbfNavigator::nbPost);
    m_lastFailure.clear();
  } catch (const std::exception &e) {
    // The alarm fires all the same; the user learns that its mark stays.
    try {
      m_navigator.BtnClick(dbf::TDbfNavigator::nbCancel);
    } catch (const std::exception &) {
    }
    storeFailed("闹钟标记", e);
  }
}

namespace {

bool isSetEntryAt(dbf::TDbfDataSet &t, int64_t day, int hour, int minute) {
  if (t.IntegerGet("SET") == 0 || static_cast<int64_t>(t.FloatGet("DATE")) != day)
    return false;
  int32_t h = 0, m = 0, sec = 0;
  splitTimeFraction(t.FloatGet("TIME"), h, m, sec);
  return h == hour && m == minute;
}

}  // namespace

void TTimeTable::ClearAlarmAt(int RecNo, int64_t day, int hour, int minute) {
  int found = 0;
  {
    TBusyGuard busy(m_busy);
    if (!busy.owns())
      return;
    try {
      const int count = m_table.RecordCount();
      if (RecNo >= 1 && RecNo <= count) {
        m_table.GotoPosition(RecNo);
        if (isSetEntryAt(m_table, day, hour, minute))
          found = RecNo;
      }
      for (int n = 1; !found && n <= count; ++n) {
        m_table.GotoPosition(n);
        if (isSetEntryAt(m_table, day, hour, minute))
          found = n;
      }
    } catch (const std::exception &) {
      // Not found: nothing is cleared.
    }
  }
  if (found)
    ClearAlarm(found);
}

void TTimeTable::LoadSetEntriesBefore(int64_t day, TTimeList &List, std::vector<int64_t> &days) {
  TBusyGuard busy(m_busy);
  if (!busy.owns())
    return;
  List.clear();
  days.clear();
  try {
    const int count = m_table.RecordCount();
    for (int n = 1; n <= count; ++n) {
      m_table.GotoPosition(n);
      const int64_t date = static_cast<int64_t>(m_table.FloatGet("DATE"));
      if (date >= day || m_table.IntegerGet("SET") == 0)
        continue;
      auto entry = std::make_shared<STIMELISTDATA>();
      entry->RecNo = n;
      entry->Text = m_table.StringGet("DO");
      entry->SetFlag = 1;
      entry->RunFlag = m_table.IntegerGet("RUN");
      splitTimeFraction(m_table.FloatGet("TIME"), entry->Hour, entry->Minute, entry->Second);
      List.push_back(entry);
      days.push_back(date);
    }
  } catch (const std::exception &) {
    // A table error ends the scan quietly with what was read so far.
  }
}

bool TTimeTable::PurgeMonthBefore(int year, int month) {
  m_noted = {};
  int py = year, pm = month - 1;
  if (pm < 1) {
    pm = 12;
    --py;
  }
  // A table that could not be opened, or may only be read, is left exactly
  // as it is on disk.
  if (!m_table.Active() || m_table.ReadOnly())
    return false;
  if (m_table.RecordCount() == 0)
    return false;
  const int64_t first = calixo::dayNumber(py, pm, 1);
  const int64_t next = calixo::dayNumber(year, month, 1);
  // The month's records are found first and left out of the packed copy
  // rather than marked deleted in the table: until the copy is renamed over
  // it the table stays exactly as it was, so a crash in the middle leaves
  // either every record or the compacted table, and never a table whose
  // deleted records would make record numbers differ from positions.
  const std::vector<int> purged = recordsOfDays(m_table, first, next);
  if (m_history && !purged.empty()) {
    // The month goes to the archive first, then the table is replaced.
    m_history->ArchiveAndPurge(m_table, first, next, purged);
    return true;
  }
  // The packed copy is flushed and renamed over the table in one step.
  calixo::removeLeftScratchTables();
  m_table.ReplaceByPackedCopy(calixo::scratchTableName(), purged);
  return true;
}

void TTimeTable::RecoverPurge(TTimeHistory &history) {
  m_noted = {};
  history.Recover(m_table);
}

std::vector<int> recordsOfDays(dbf::TDbfDataSet &table, int64_t first, int64_t next) {
  std::vector<int> purged;
  for (int64_t dn = first; dn < next; ++dn) {
    const dbf::LocateKey key{static_cast<double>(dn)};
    bool found = table.Locate("DATE", key);
    while (found) {
      const int n = table.RecNo();
      purged.push_back(n);
      found = table.LocateNext("DATE", key, n);
    }
  }
  return purged;
}

std::vector<int32_t> TTimeTable::DayMarks(int year, int month, int days, int showDay) {
  std::vector<int32_t> marks(static_cast<size_t>(days > 0 ? days : 0), 0);
  m_noted = {};
  TBusyGuard busy(m_busy);
  if (!busy.owns() || days <= 0)
    return marks;
  const int64_t first = calixo::dayNumber(year, month, 1);
  const int64_t shown = first + showDay - 1;
  const bool noteDay = showDay >= 1 && showDay <= days;
  try {
    if (!syncDates())
      return marks;
    // One pass: a record marks its day when its DATE is exactly a whole day
    // number of the month, which is what a search for that day would match.
    NotedDay noted;
    for (size_t i = 0; i < m_dates.size(); ++i) {
      if (m_dates[i] == kNoDay)
        continue;
      const int64_t d = m_dates[i] - first;
      if (d >= 0 && d < days) {
        marks[static_cast<size_t>(d)] = 1;
        if (noteDay && m_dates[i] == shown)
          noted.records.push_back(static_cast<int>(i) + 1);
      }
    }
    if (noteDay) {
      noted.dayNumber = shown;
      m_noted = std::move(noted);
    }
  } catch (const std::exception &) {
    // The days stay unmarked; nothing is reported.
  }
  return marks;
}
