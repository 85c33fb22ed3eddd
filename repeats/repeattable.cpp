#include "repeattable.h"

#include "filenames.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

namespace repeats {

namespace {

bool sameName(const std::string &a, const std::string &b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

// The scratch copy of a compaction; not the time table's, so the two never
// meet.
constexpr const char *kScratch = "rp";

}  // namespace

const std::vector<dbf::FieldDef> &repeatTableSchema() {
  static const std::vector<dbf::FieldDef> fields = {
      {"KIND", 'C', 1, 0},  {"MONTH", 'N', 3, 0}, {"DAY", 'N', 2, 0},
      {"TIME", 'N', 22, 20}, {"AHEAD", 'N', 3, 0}, {"SET", 'N', 1, 0},
      {"FIRED", 'N', 10, 2}, {"YEAR", 'N', 4, 0},  {"DO", 'C', 249, 0},
  };
  return fields;
}

TRepeatTable::TRepeatTable() : m_table("DbfDataSetREPEATS"), m_navigator(m_table) {
  m_navigator.ConfirmDelete = false;
}

std::string TRepeatTable::FilePath() const {
  return m_table.Active() ? m_table.FilePath() : calixo::resolveFileName(kRepeatTableFile);
}

bool TRepeatTable::CreateIfMissing() {
  if (calixo::fileExists(kRepeatTableFile))
    return false;
  const auto &schema = repeatTableSchema();
  return m_table.CreateTable(kRepeatTableFile, 'F', [&schema](int index, dbf::FieldDef &def) {
    if (index < 1 || index > static_cast<int>(schema.size())) {
      def = dbf::FieldDef{};  // an empty name ends the list
      return true;
    }
    def = schema[static_cast<size_t>(index - 1)];
    return true;
  });
}

void TRepeatTable::Open() {
  m_items.clear();
  if (m_table.Active())
    m_table.Close();
  m_table.SetTableName(calixo::resolveFileName(kRepeatTableFile));
  m_table.Open();
  const std::string path = m_table.FilePath();
  const auto &fields = m_table.Fields();
  const auto &schema = repeatTableSchema();
  bool same = fields.size() == schema.size();
  for (size_t i = 0; same && i < schema.size(); ++i)
    same = sameName(fields[i].name, schema[i].name) && fields[i].type == schema[i].type &&
           fields[i].width == schema[i].width && fields[i].decimals == schema[i].decimals;
  if (!same) {
    m_table.Close();
    throw std::runtime_error(path + " is not a valid anniversary table: its fields are not KIND, "
                             "MONTH, DAY, TIME, AHEAD, SET, FIRED, YEAR and DO");
  }
  try {
    reload();
  } catch (const std::exception &e) {
    // Nothing of a damaged table is used, and nothing is written to it.
    m_items.clear();
    m_table.Close();
    throw std::runtime_error(path + " is damaged: " + e.what());
  }
}

void TRepeatTable::reload() {
  std::vector<SREPEATDATA> items;
  const int count = m_table.RecordCount();
  for (int n = 1; n <= count; ++n) {
    m_table.GotoPhysical(n);
    if (m_table.CurrentDeleted())
      throw std::runtime_error("record " + std::to_string(n) + " is marked deleted");
    SREPEATDATA r;
    r.RecNo = n;
    const std::string kind = m_table.StringGet("KIND");
    r.Kind = kind.size() == 1 ? kind[0] : '?';
    r.Month = m_table.IntegerGet("MONTH");
    r.Day = m_table.IntegerGet("DAY");
    const double time = m_table.FloatGet("TIME");
    long minutes = std::lround(time * 1440.0);
    if (!(time >= 0.0 && time < 1.0))
      throw std::runtime_error("record " + std::to_string(n) + ": TIME is not a time of day");
    minutes %= 1440;
    r.Hour = static_cast<int32_t>(minutes / 60);
    r.Minute = static_cast<int32_t>(minutes % 60);
    r.Ahead = m_table.IntegerGet("AHEAD");
    r.SetFlag = m_table.IntegerGet("SET");
    r.Fired = static_cast<int64_t>(std::llround(m_table.FloatGet("FIRED")));
    r.Year = m_table.IntegerGet("YEAR");
    r.Text = m_table.StringGet("DO");
    const std::string why = invalidReason(r);
    if (!why.empty())
      throw std::runtime_error("record " + std::to_string(n) + ": " + why);
    items.push_back(std::move(r));
  }
  m_items = std::move(items);
}

void TRepeatTable::write(const SREPEATDATA &r) {
  m_table.StringPut("KIND", std::string(1, r.Kind));
  m_table.IntegerPut("MONTH", r.Month);
  m_table.IntegerPut("DAY", r.Day);
  m_table.FloatPut("TIME", (r.Hour * 60 + r.Minute) / 1440.0);
  m_table.IntegerPut("AHEAD", r.Ahead);
  m_table.IntegerPut("SET", r.SetFlag);
  m_table.FloatPut("FIRED", static_cast<double>(r.Fired));
  m_table.IntegerPut("YEAR", r.Year);
  m_table.StringPut("DO", r.Text);
}

void TRepeatTable::store(const SREPEATDATA &r, int recNo) {
  try {
    if (recNo < 0) {
      m_navigator.BtnClick(dbf::TDbfNavigator::nbBttm);
      m_navigator.BtnClick(dbf::TDbfNavigator::nbInsert);
    } else {
      m_table.GotoPosition(recNo);
      m_navigator.BtnClick(dbf::TDbfNavigator::nbEdit);
    }
    write(r);
    m_navigator.BtnClick(dbf::TDbfNavigator::nbPost);
  } catch (...) {
    // A change that could not be posted is dropped, never left half made.
    try {
      m_navigator.BtnClick(dbf::TDbfNavigator::nbCancel);
    } catch (const std::exception &) {
    }
    throw;
  }
}

void TRepeatTable::Append(SREPEATDATA &r) {
  const std::string why = invalidReason(r);
  if (!why.empty())
    throw std::invalid_argument(why);
  if (!m_table.Active())
    throw std::runtime_error(FilePath() + " is not open");
  store(r, -1);
  r.RecNo = m_table.RecNo();
  m_items.push_back(r);
}

void TRepeatTable::Update(const SREPEATDATA &r) {
  const std::string why = invalidReason(r);
  if (!why.empty())
    throw std::invalid_argument(why);
  if (!m_table.Active() || r.RecNo < 1 || r.RecNo > static_cast<int>(m_items.size()))
    throw std::runtime_error(FilePath() + ": no record " + std::to_string(r.RecNo));
  store(r, r.RecNo);
  m_items[static_cast<size_t>(r.RecNo - 1)] = r;
}

void TRepeatTable::Delete(int recNo) {
  if (!m_table.Active() || recNo < 1 || recNo > static_cast<int>(m_items.size()))
    throw std::runtime_error(FilePath() + ": no record " + std::to_string(recNo));
  // The record is left out of a packed copy that replaces the file in one
  // rename, never marked deleted in place.
  m_table.ReplaceByPackedCopy(kScratch, {recNo});
  m_items.erase(m_items.begin() + (recNo - 1));
  for (size_t i = 0; i < m_items.size(); ++i)
    m_items[i].RecNo = static_cast<int32_t>(i + 1);
}

void TRepeatTable::SetFired(int recNo, int64_t day) {
  if (!m_table.Active() || recNo < 1 || recNo > static_cast<int>(m_items.size()))
    return;
  SREPEATDATA r = m_items[static_cast<size_t>(recNo - 1)];
  r.Fired = day;
  Update(r);
}

}  // namespace repeats
