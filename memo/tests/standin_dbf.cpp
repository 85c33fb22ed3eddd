// A stand-in for the table engine, linked into the memo table tests only
// while the real engine (dbf/) is not yet built in this tree. It keeps the
// whole table in memory and rewrites the file after every post or delete,
// in the same dBase III bytes, so the tests' checks of the file hold for
// both. It implements exactly the operations the memo table calls.
#include "dbf.h"

#include "filenames.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace dbf {

EDbfError::EDbfError(int code, const std::string &detail)
    : std::runtime_error(textFor(code) + " - " + detail), m_code(code), m_detail(detail) {}

std::string EDbfError::textFor(int code, int) { return "Dbf Error " + std::to_string(code); }

struct TDbfDataSet::Impl {
  std::string path;
  std::vector<FieldDef> fields;
  int recordLength = 1;
  std::vector<std::string> records;
  int current = 0;  // 1-based, 0 = none
  std::string buffer;

  const FieldDef &field(const std::string &name) const {
    for (const auto &f : fields)
      if (strcasecmp(f.name.c_str(), name.c_str()) == 0)
        return f;
    throw EDbfError(1003, path + "->" + name);
  }
  static std::string header(const std::vector<FieldDef> &fields, int recordLength, size_t count) {
    std::string h(32, '\0');
    h[0] = 0x03;
    h[1] = 126;
    h[2] = 1;
    h[3] = 1;
    for (int i = 0; i < 4; ++i)
      h[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    const int headerLength = 32 + 32 * static_cast<int>(fields.size()) + 1;
    h[8] = static_cast<char>(headerLength & 0xFF);
    h[9] = static_cast<char>(headerLength >> 8);
    h[10] = static_cast<char>(recordLength & 0xFF);
    h[11] = static_cast<char>(recordLength >> 8);
    for (const auto &f : fields) {
      std::string d(32, '\0');
      std::memcpy(d.data(), f.name.data(), std::min<size_t>(f.name.size(), 10));
      d[11] = f.type;
      d[16] = static_cast<char>(f.width);
      d[17] = static_cast<char>(f.decimals);
      h += d;
    }
    h += '\x0D';
    return h;
  }
  void write() const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << header(fields, recordLength, records.size());
    for (const auto &r : records)
      out << r;
    out << '\x1A';
  }
  std::string blankRecord() const {
    std::string r(static_cast<size_t>(recordLength), ' ');
    for (const auto &f : fields)
      if (f.type == 'N') {
        char b[64];
        std::snprintf(b, sizeof b, "%*.*f", f.width, f.decimals, 0.0);
        r.replace(static_cast<size_t>(f.offset), static_cast<size_t>(f.width), b);
      }
    return r;
  }
  void moveTo(int n) {
    current = n;
    buffer = (n >= 1 && n <= static_cast<int>(records.size())) ? records[static_cast<size_t>(n - 1)]
                                                               : std::string();
  }
  int nextLive(int from) const {
    for (int i = from + 1; i <= static_cast<int>(records.size()); ++i)
      if (records[static_cast<size_t>(i - 1)][0] != '*')
        return i;
    return 0;
  }
};

TDbfDataSet::TDbfDataSet(std::string name, FileSystem *) : m_name(std::move(name)), m_impl(new Impl) {}
TDbfDataSet::~TDbfDataSet() = default;

bool TDbfDataSet::CreateTable(const std::string &tableName, char, const FieldListCallback &cb) {
  std::vector<FieldDef> fields;
  int offset = 1;
  for (int i = 1;; ++i) {
    FieldDef d;
    const bool more = cb(i, d);
    if (d.name.empty())
      break;
    d.offset = offset;
    offset += d.width;
    fields.push_back(d);
    if (!more)
      return false;
  }
  std::string fileName = tableName;
  for (char &c : fileName)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (fileName.find('.') == std::string::npos)
    fileName += ".DBF";
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out << Impl::header(fields, offset, 0) << '\x1A';
  return static_cast<bool>(out);
}

void TDbfDataSet::SetTableName(const std::string &name) {
  if (Active())
    throw EDatabaseError("Cannot perform this operation on an open dataset");
  m_tableName = name;
}
const std::string &TDbfDataSet::FilePath() const { return m_impl->path; }

void TDbfDataSet::Open() {
  Impl &d = *m_impl;
  d.path = calixo::resolveFileName(m_tableName.find('.') == std::string::npos ? m_tableName + ".DBF"
                                                                            : m_tableName);
  std::ifstream in(d.path, std::ios::binary);
  if (!in)
    throw EDatabaseError("Cannot find file " + d.path);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto u16 = [&](size_t at) { return int(uint8_t(bytes[at])) | int(uint8_t(bytes[at + 1])) << 8; };
  const int headerLength = u16(8);
  d.recordLength = u16(10);
  d.fields.clear();
  int offset = 1;
  for (size_t at = 32; at + 32 <= static_cast<size_t>(headerLength) && bytes[at] != '\x0D'; at += 32) {
    FieldDef f;
    f.name = std::string(bytes.data() + at, 11).c_str();
    f.type = bytes[at + 11];
    f.width = uint8_t(bytes[at + 16]);
    f.decimals = uint8_t(bytes[at + 17]);
    f.offset = offset;
    offset += f.width;
    d.fields.push_back(f);
  }
  d.records.clear();
  for (size_t at = static_cast<size_t>(headerLength);
       at + static_cast<size_t>(d.recordLength) <= bytes.size(); at += static_cast<size_t>(d.recordLength))
    d.records.push_back(bytes.substr(at, static_cast<size_t>(d.recordLength)));
  m_state = State::Browse;
  d.moveTo(d.nextLive(0));
}

void TDbfDataSet::Close() {
  m_state = State::Closed;
  m_impl->path.clear();
}

int TDbfDataSet::RecordCount() const { return static_cast<int>(m_impl->records.size()); }
int TDbfDataSet::RecNo() const { return m_impl->current; }

void TDbfDataSet::Next() {
  if (m_state == State::Edit || m_state == State::Insert)
    Cancel();
  if (int n = m_impl->nextLive(m_impl->current))
    m_impl->moveTo(n);
}
void TDbfDataSet::Last() {
  if (m_state == State::Edit || m_state == State::Insert)
    Cancel();
  int last = 0;
  for (int n = m_impl->nextLive(0); n; n = m_impl->nextLive(n))
    last = n;
  m_impl->moveTo(last);
}
void TDbfDataSet::GotoPosition(int n) {
  if (m_state == State::Edit || m_state == State::Insert)
    Cancel();
  int at = m_impl->nextLive(0);
  for (int i = 1; i < n && at; ++i)
    if (int next = m_impl->nextLive(at))
      at = next;
    else
      break;
  m_impl->moveTo(at);
}

double TDbfDataSet::FloatGet(const std::string &name) {
  const FieldDef &f = m_impl->field(name);
  if (f.type != 'N')
    throw EDbfError(1004, f.name);
  return std::strtod(m_impl->buffer.substr(static_cast<size_t>(f.offset), static_cast<size_t>(f.width)).c_str(), nullptr);
}
void TDbfDataSet::FloatPut(const std::string &name, double value) {
  const FieldDef &f = m_impl->field(name);
  char b[400];
  std::snprintf(b, sizeof b, "%*.*f", f.width, f.decimals, value);
  if (static_cast<int>(std::strlen(b)) > f.width)
    throw EDbfError(1011, f.name);
  m_impl->buffer.replace(static_cast<size_t>(f.offset), static_cast<size_t>(f.width), b);
}
int32_t TDbfDataSet::IntegerGet(const std::string &name) { return static_cast<int32_t>(std::trunc(FloatGet(name))); }
void TDbfDataSet::IntegerPut(const std::string &name, int32_t v) { FloatPut(name, v); }
std::string TDbfDataSet::StringGet(const std::string &name) {
  const FieldDef &f = m_impl->field(name);
  std::string v = m_impl->buffer.substr(static_cast<size_t>(f.offset), static_cast<size_t>(f.width));
  v.erase(v.find_last_not_of(' ') + 1);
  return v.substr(0, 255);
}
void TDbfDataSet::StringPut(const std::string &name, const std::string &value) {
  if (m_state != State::Edit && m_state != State::Insert)
    throw EDatabaseError("Dataset not in edit or insert mode");
  const FieldDef &f = m_impl->field(name);
  if (f.type == 'N') {
    FloatPut(name, std::strtod(value.c_str(), nullptr));
    return;
  }
  std::string v = value.substr(0, static_cast<size_t>(f.width));
  v.resize(static_cast<size_t>(f.width), ' ');
  m_impl->buffer.replace(static_cast<size_t>(f.offset), static_cast<size_t>(f.width), v);
}

void TDbfDataSet::Insert() {
  Cancel();
  m_impl->buffer = m_impl->blankRecord();
  m_state = State::Insert;
}
void TDbfDataSet::Edit() {
  if (m_state == State::Edit || m_state == State::Insert)
    return;
  if (m_impl->current == 0)
    return Insert();
  m_impl->moveTo(m_impl->current);
  m_state = State::Edit;
}
void TDbfDataSet::Post() {
  Impl &d = *m_impl;
  if (m_state == State::Insert) {
    d.records.push_back(d.buffer);
    d.current = static_cast<int>(d.records.size());
  } else if (m_state == State::Edit) {
    d.records[static_cast<size_t>(d.current - 1)] = d.buffer;
  } else {
    throw EDatabaseError(m_name + ": Dataset not in edit or insert mode");
  }
  d.write();
  m_state = State::Browse;
}
void TDbfDataSet::Cancel() {
  if (m_state == State::Edit || m_state == State::Insert) {
    m_state = State::Browse;
    m_impl->moveTo(m_impl->current);
  }
}
void TDbfDataSet::Delete() {
  Impl &d = *m_impl;
  if (m_state == State::Insert)
    return Cancel();
  if (d.current == 0)
    throw EDatabaseError(m_name + ": Cannot perform this operation on an empty dataset");
  d.records[static_cast<size_t>(d.current - 1)][0] = '*';
  d.write();
  int n = d.nextLive(d.current);
  if (!n)
    for (int i = d.current - 1; i >= 1 && !n; --i)
      if (d.records[static_cast<size_t>(i - 1)][0] != '*')
        n = i;
  d.moveTo(n);
}

void TDbfDataSet::ReplaceByPackedCopy(const std::string &) {
  Impl &d = *m_impl;
  Cancel();
  std::vector<std::string> live;
  for (const auto &r : d.records)
    if (r[0] != '*')
      live.push_back(r);
  d.records = std::move(live);
  const std::string table = d.path;
  d.path = table + ".new";
  d.write();
  d.path = table;
  calixo::renameFile(table + ".new", table);
  d.moveTo(d.nextLive(0));
}

void TDbfNavigator::BtnClick(int index) {
  if (!m_dataSet.Active())
    return;
  switch (index) {
  case nbNext: m_dataSet.Next(); break;
  case nbBttm: m_dataSet.Last(); break;
  case nbInsert: m_dataSet.Insert(); break;
  case nbEdit: m_dataSet.Edit(); break;
  case nbDelete:
    if (ConfirmDelete && Confirm && !Confirm("Delete record?"))
      return;
    m_dataSet.Delete();
    break;
  case nbPost: m_dataSet.Post(); break;
  case nbCancel: m_dataSet.Cancel(); break;
  default: break;
  }
}

}  // namespace dbf
