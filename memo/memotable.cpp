#include "memotable.h"

#include "clock.h"
#include "filenames.h"
#include "scratchtable.h"
#include "gbk.h"
#include "tablemessages.h"
#include "fileio.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <stdexcept>

struct TMemoTable::Entry {
  SMEMOLISTDATA rec{};
  std::string text;     // what rec.Text points to
  std::string caption;  // what rec.Caption points to
};

namespace {

struct FieldSpec {
  const char *name;
  char type;
  int width, decimals;
};

constexpr FieldSpec kFields[] = {
    {"DATETIME", 'N', 30, 20}, {"LOCK", 'N', 1, 0}, {"SHOW", 'N', 1, 0},
    {"X", 'N', 8, 0},          {"Y", 'N', 8, 0},    {"TEXT", 'C', TMemoTable::kTextWidth, 0},
};

constexpr int64_t kMsPerDay = 86400000;

// Field names match regardless of letter case, as the engine matches them.
bool sameName(const std::string &a, const std::string &b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

double nowAsDateTime() {
  const calixo::LocalDateTime t = calixo::clock().now();
  const int64_t ms = ((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.msec;
  return static_cast<double>(calixo::dayNumber(t.year, t.month, t.day)) +
         static_cast<double>(ms) / kMsPerDay;
}

}  // namespace

TMemoTable::TMemoTable(OpenNote openNote, CloseNote closeNote, dbf::FileSystem *fs)
    : m_openNote(std::move(openNote)),
      m_closeNote(std::move(closeNote)),
      m_dataSet("DbfDataSetMEMOLIST", fs),
      m_navigator(m_dataSet) {}

void TMemoTable::storeFailed(const std::exception &e) {
  // Drop the half-made change so the next store starts clean.
  try {
    m_navigator.BtnClick(dbf::TDbfNavigator::nbCancel);
  } catch (const std::exception &) {
  }
  // A table that may only be read was reported when it opened.
  if (m_dataSet.Active() && m_dataSet.ReadOnly())
    return;
  dbf::FileSystem &fs = m_dataSet.fileSystem();
  const std::string path = fs.absolute(fs.resolve(kFileName));
  const std::string message = m_dataSet.Active() ? dbf::tablemessages::storeFailed("记事", path, e)
                                                 : dbf::tablemessages::storeFailedNotOpen("记事", path);
  // A note reports every change of its text: a full disk is said once.
  if (message == m_lastFailure)
    return;
  m_lastFailure = message;
  if (m_report)
    m_report(message);
}

TMemoTable::~TMemoTable() {
  CloseAll();
  m_dataSet.Close();
}

SMemoTimeParts TMemoTable::SplitDateTime(double dateTime) {
  int64_t days = static_cast<int64_t>(std::floor(dateTime));
  int64_t ms = std::llround((dateTime - static_cast<double>(days)) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ++days;
    ms -= kMsPerDay;
  }
  SMemoTimeParts p{};
  calixo::dateFromDayNumber(days, p.year, p.month, p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  return p;
}

std::string TMemoTable::FormatDateTime(double dateTime) {
  const SMemoTimeParts p = SplitDateTime(dateTime);
  char buf[64];
  // The precision alone pads to two digits; the '0' flag is part of the
  // format as the list has always written it and changes nothing.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
  std::snprintf(buf, sizeof buf, "%0.2d-%0.2d-%0.2d %0.2d:%0.2d", p.year, p.month, p.day, p.hour,
                p.minute);
#pragma GCC diagnostic pop
  return buf;
}

void TMemoTable::CreateTableFile() {
  size_t asked = 0;
  // The engine asks for the fields one by one until it gets an empty name.
  m_dataSet.CreateTable(kTableName, 'F', [&asked](int, dbf::FieldDef &def) {
    if (asked >= std::size(kFields)) {
      def = dbf::FieldDef{};
      def.name.clear();
      return true;
    }
    const FieldSpec &f = kFields[asked++];
    def.name = f.name;
    def.type = f.type;
    def.width = f.width;
    def.decimals = f.decimals;
    return true;
  });
}

void TMemoTable::Open() {
  // Creation writes TEXTLIST.DBF; the existence test, the open and the
  // replacement after a compaction all look the name up regardless of
  // letter case, so they find that one file.
  // A device, a FIFO or a link to nowhere under the name is not missing:
  // the open below refuses it rather than a new table being made elsewhere.
  if (m_dataSet.fileSystem().kindOf(kFileName) == dbf::FileSystem::Kind::Missing)
    CreateTableFile();
  m_dataSet.SetTableName(kTableName);
  m_dataSet.Open();
  // A file whose header opens but whose fields are not the memo table's
  // (another table under this name, a field list cut short) is reported and
  // never written to: adding a memo would otherwise append records the file
  // was not made for.
  const auto &fields = m_dataSet.Fields();
  bool same = fields.size() == std::size(kFields);
  for (size_t i = 0; same && i < std::size(kFields); ++i)
    same = sameName(fields[i].name, kFields[i].name) && fields[i].type == kFields[i].type &&
           fields[i].width == kFields[i].width && fields[i].decimals == kFields[i].decimals;
  if (!same) {
    const std::string path = m_dataSet.FilePath();
    m_dataSet.Close();
    throw std::runtime_error(path + " is not a valid memo table: its fields are not DATETIME, "
                             "LOCK, SHOW, X, Y and TEXT");
  }
  Load();
  m_lastFailure.clear();
  const std::string full = m_dataSet.fileSystem().absolute(m_dataSet.FilePath());
  if (m_report && m_dataSet.DamagedEnd())
    m_report(dbf::tablemessages::damagedEnd(full));
  if (m_report && m_dataSet.ReadOnly())
    m_report(dbf::tablemessages::readOnly(full));
}

void TMemoTable::Load() {
  const int count = m_dataSet.RecordCount();
  if (count == 0)
    return;
  // Every memo is read before any joins the list or opens its note. A record
  // that cannot be read (letters in a numeric field, say) ends the load with
  // its error, the table is closed and nothing is ever written to the file:
  // the memos after it are still in it, and a list missing them would let
  // the user add and delete as if they were not.
  std::vector<std::unique_ptr<Entry>> loaded;
  try {
    m_dataSet.GotoPosition(1);
    for (int i = 0; i < count; ++i) {
      auto e = std::make_unique<Entry>();
      SMEMOLISTDATA &r = e->rec;
      r.DateTime = m_dataSet.FloatGet("DATETIME");
      SetText(*e, m_dataSet.StringGet("TEXT"));
      r.X = m_dataSet.IntegerGet("X");
      r.Y = m_dataSet.IntegerGet("Y");
      r.Lock = m_dataSet.IntegerGet("LOCK");
      r.Show = m_dataSet.IntegerGet("SHOW");
      r.RecNo = m_dataSet.RecNo();
      r.Index = static_cast<int>(loaded.size());
      loaded.push_back(std::move(e));
      m_navigator.BtnClick(dbf::TDbfNavigator::nbNext);
    }
  } catch (...) {
    m_dataSet.Close();
    throw;
  }
  for (auto &e : loaded) {
    m_memos.push_back(std::move(e));
    if (m_memos.back()->rec.Show == 1)
      OpenNoteOf(*m_memos.back());
  }
}

SMEMOLISTDATA *TMemoTable::Memo(int index) const {
  if (index < 0 || index >= Count())
    return nullptr;
  return &m_memos[static_cast<size_t>(index)]->rec;
}

TMemoTable::Entry *TMemoTable::EntryOf(const SMEMOLISTDATA *memo) const {
  for (const auto &e : m_memos)
    if (&e->rec == memo)
      return e.get();
  return nullptr;
}

SMEMOLISTDATA *TMemoTable::Find(const SMEMOLISTDATA *memo) const {
  Entry *e = EntryOf(memo);
  return e ? &e->rec : nullptr;
}

std::string TMemoTable::Text(int index) const {
  if (index < 0 || index >= Count())
    return {};
  return m_memos[static_cast<size_t>(index)]->text;
}

void TMemoTable::SetText(Entry &e, std::string text) {
  e.text = std::move(text);
  e.rec.Text = e.text.empty() ? nullptr : e.text.data();
}

void TMemoTable::OpenNoteOf(Entry &e) {
  e.caption = "     " + FormatDateTime(e.rec.DateTime);
  e.rec.Caption = e.caption.data();
  if (m_openNote)
    m_openNote(&e.rec);
  e.rec.Show = 1;
}

bool TMemoTable::SaveField(Entry &e, const char *field) {
  try {
    if (m_dataSet.RecNo() != e.rec.RecNo)
      m_dataSet.GotoPosition(e.rec.RecNo);
    m_navigator.BtnClick(dbf::TDbfNavigator::nbEdit);
    const std::string f = field;
    if (f == "LOCK")
      m_dataSet.IntegerPut("LOCK", e.rec.Lock);
    else if (f == "SHOW")
      m_dataSet.IntegerPut("SHOW", e.rec.Show);
    else
      // The field holds 249 bytes; a longer text is cut on a character
      // boundary so no half GBK character is ever stored.
      m_dataSet.StringPut("TEXT", std::string(calixo::cutGbk(e.text, kTextWidth)));
    m_navigator.BtnClick(dbf::TDbfNavigator::nbPost);
  } catch (const std::exception &ex) {
    storeFailed(ex);
    return false;
  }
  m_lastFailure.clear();
  return true;
}

SMEMOLISTDATA *TMemoTable::Add() {
  auto e = std::make_unique<Entry>();
  SMEMOLISTDATA &r = e->rec;
  r.DateTime = nowAsDateTime();
  r.Show = 1;
  r.Index = Count();

  try {
    m_navigator.BtnClick(dbf::TDbfNavigator::nbBttm);
    m_navigator.BtnClick(dbf::TDbfNavigator::nbInsert);
    m_dataSet.FloatPut("DATETIME", r.DateTime);
    m_dataSet.StringPut("TEXT", e->text);
    m_dataSet.IntegerPut("X", r.X);
    m_dataSet.IntegerPut("Y", r.Y);
    m_dataSet.IntegerPut("LOCK", r.Lock);
    m_dataSet.IntegerPut("SHOW", r.Show);
    m_navigator.BtnClick(dbf::TDbfNavigator::nbPost);
    r.RecNo = m_dataSet.RecNo();
  } catch (const std::exception &ex) {
    // A memo the table does not hold is never listed: its record number
    // would name another memo's record.
    storeFailed(ex);
    return nullptr;
  }
  m_lastFailure.clear();

  // In the list before its note opens, so that anything the note reports
  // from the start finds its record.
  m_memos.push_back(std::move(e));
  Entry &added = *m_memos.back();
  OpenNoteOf(added);
  SaveField(added, "SHOW");
  return &added.rec;
}

bool TMemoTable::ShowAgain(int row) {
  if (row < 1 || row > kListedRows || row > Count())
    return false;
  Entry &e = *m_memos[static_cast<size_t>(row - 1)];
  if (e.rec.Show == 1)
    return false;
  OpenNoteOf(e);
  SaveField(e, "SHOW");
  return true;
}

bool TMemoTable::Delete(int row) {
  if (row < 1 || row > kListedRows || row - 1 >= Count())
    return false;
  const size_t at = static_cast<size_t>(row - 1);
  Entry &e = *m_memos[at];
  if (e.rec.Show == 1 && m_closeNote)
    m_closeNote(&e.rec);

  // The memo's record is left out of a packed copy that replaces the table
  // in one rename; it is never marked deleted in the table itself, so a
  // crash leaves either the old table or the compacted one, and never a
  // table whose deleted record would shift every later memo's position.
  try {
    m_dataSet.GotoPosition(e.rec.RecNo);
    calixo::removeLeftScratchTables();
    m_dataSet.ReplaceByPackedCopy(calixo::scratchTableName(), {m_dataSet.RecNo()});
  } catch (const std::exception &ex) {
    // The table was not replaced: the memo is still in it, and stays listed.
    storeFailed(ex);
    return false;
  }

  for (size_t i = at + 1; i < m_memos.size(); ++i) {
    --m_memos[i]->rec.RecNo;
    --m_memos[i]->rec.Index;
  }
  m_memos.erase(m_memos.begin() + static_cast<std::ptrdiff_t>(at));
  return true;
}

void TMemoTable::CloseAll() {
  // The notes closed here are closed by the program ending, not by the
  // user: their reports must not clear SHOW, or no note would come back at
  // the next start.
  const bool wasEnding = m_ending;
  m_ending = true;
  for (auto &e : m_memos)
    if (e->rec.Show == 1 && m_closeNote)
      m_closeNote(&e->rec);
  m_memos.clear();
  m_ending = wasEnding;
}

int TMemoTable::HandleMessage(unsigned message, SMEMOLISTDATA *memo, intptr_t lParam) {
  Entry *e = EntryOf(memo);
  if (!e)
    return 0;
  switch (message) {
  case WM_MEMO_LOCK:
    SaveField(*e, "LOCK");
    break;
  case WM_MEMO_TEXT:
    // The note's pointer is valid only during this call: keep a copy.
    SetText(*e, lParam ? std::string(reinterpret_cast<const char *>(lParam)) : std::string());
    SaveField(*e, "TEXT");
    break;
  case WM_MEMO_REDRAW:
    return e->rec.Index + 1 <= kListedRows ? e->rec.Index + 1 : 0;
  case WM_MEMO_SHOW:
    if (!m_ending)
      SaveField(*e, "SHOW");
    break;
  default:  // WM_MEMO_SPARE and anything else: nothing
    break;
  }
  return 0;
}
