// timelist: the archive of past plans, TIMEHIST.DBF beside the time table,
// with the time table's six fields. The start-of-month purge appends the
// records it removes here first, so a plan is never lost, only moved; past
// months read their markers and plans back from it.
//
// The move survives a kill at any moment without losing a record or writing
// one twice. Before anything is written a journal (TIMEHIST.PND, put in place
// by one rename) names the month and the archive's record count before the
// move. The archive with the month appended is built as a copy
// (TIMEHIST.NEW) and renamed over the archive in one step, then the time
// table is replaced by its packed copy in one step, and only then is the
// journal removed. At the next start a journal still there tells which step
// was reached: an archive longer than the journal says holds the month, so
// only the time table's replacement is done again; otherwise the whole move
// is. Plain C++ over dbf::TDbfDataSet, no Qt.
#pragma once

#include "timetable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

inline constexpr const char *kHistoryFile = "TIMEHIST.DBF";
inline constexpr const char *kHistoryJournal = "TIMEHIST.PND";
inline constexpr const char *kHistoryCopy = "TIMEHIST.NEW";

class TTimeHistory {
public:
  TTimeHistory();
  ~TTimeHistory();
  TTimeHistory(const TTimeHistory &) = delete;
  TTimeHistory &operator=(const TTimeHistory &) = delete;

  // Moves the records purged (physical numbers in live, a time table) of the
  // days [first, next) to the end of the archive, then replaces live by its
  // packed copy without them. Errors pass through; the journal then stays
  // for Recover.
  void ArchiveAndPurge(dbf::TDbfDataSet &live, int64_t first, int64_t next,
                       const std::vector<int> &purged);
  // Completes a move that a kill interrupted (see above). True when a
  // journal was found. A journal that cannot be read is an error naming it.
  bool Recover(dbf::TDbfDataSet &live);

  // For d = 1..days, 1 when the archive holds a live record of that date.
  std::vector<int32_t> DayMarks(int year, int month, int days);
  // The archived entries of a date in file order, each with History 1 and
  // RecNo -1 (they are never stored again).
  TTimeList DayEntries(int year, int month, int day);
  // The archive opened for reading, or nullptr when there is none. The
  // handle stays valid until the next move.
  dbf::TDbfDataSet *Table();

private:
  bool refresh();
  void closeReading();
  void writeJournal(int64_t first, int64_t next, uint32_t before);

  std::unique_ptr<dbf::TDbfDataSet> m_read;
  // (day number, record) of every live archived record, by day number.
  std::vector<std::pair<int64_t, int>> m_index;
  int64_t m_indexedSize = -1;
};

// Throws unless table has the time table's six fields.
void checkTimeTableFields(dbf::TDbfDataSet &table);
