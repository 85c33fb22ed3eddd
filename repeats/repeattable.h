// The anniversary table, REPEATS.DBF in the data folder: one record per
// birthday or anniversary, FoxPro type, fields KIND, MONTH, DAY, TIME, AHEAD,
// SET, FIRED, YEAR and DO. TRepeatTable owns its table component. The file is
// created when missing and found whatever the letter case of its name; a file
// whose fields are not these, or that holds a record that is not a date that
// comes round every year, is refused whole: it stays closed and untouched, and
// the error names the file and the reason. Every change is written at once; a
// delete is followed by a compaction through a copy renamed over the file, so
// record numbers stay positions and a crash leaves the old or the new table.
#pragma once

#include "dbf.h"
#include "repeats.h"

#include <string>
#include <vector>

namespace repeats {

// The nine fields in order: name, type, width, decimals.
const std::vector<dbf::FieldDef> &repeatTableSchema();

inline constexpr const char *kRepeatTableFile = "REPEATS.DBF";

class TRepeatTable {
public:
  TRepeatTable();

  // Creates the empty table when no file of its name exists. True when it did.
  bool CreateIfMissing();
  // Opens the table and reads every record into Items(). Throws (naming the
  // file) when the file cannot be opened or is not an anniversary table; the
  // table is then closed and Items() empty.
  void Open();
  bool Active() const { return m_table.Active(); }
  const std::vector<SREPEATDATA> &Items() const { return m_items; }

  // Appends r (its RecNo is set). Throws on an engine error or an invalid r.
  void Append(SREPEATDATA &r);
  // Rewrites record r.RecNo with r.
  void Update(const SREPEATDATA &r);
  // Deletes record recNo and compacts the file; later records move up one.
  void Delete(int recNo);
  // Stores FIRED = day for record recNo.
  void SetFired(int recNo, int64_t day);

  // The path of the open file, or the name it would have.
  std::string FilePath() const;

private:
  void write(const SREPEATDATA &r);
  // Posts r as a new record (recNo -1) or over record recNo.
  void store(const SREPEATDATA &r, int recNo);
  void reload();

  dbf::TDbfDataSet m_table;
  dbf::TDbfNavigator m_navigator;
  std::vector<SREPEATDATA> m_items;
};

}  // namespace repeats
