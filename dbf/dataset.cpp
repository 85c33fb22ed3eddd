// Opening, closing and moving over the records of a table.
#include "dbfimpl.h"

#include <cerrno>
#include <cstring>

namespace dbf {

uint64_t TDbfDataSet::Impl::fileSize() {
  uint64_t size = 0;
  if (int e = file->size(size))
    throwSystem(e, IoOp::Read, fullPath);
  return size;
}

void TDbfDataSet::Impl::read(uint64_t off, void *buf, size_t n) {
  size_t got = 0;
  if (int e = file->readAt(off, buf, n, got))
    throwSystem(e, IoOp::Read, fullPath);
  if (got != n)
    throw EDbfError(1002, fullPath);
}

void TDbfDataSet::Impl::write(uint64_t off, const void *buf, size_t n) {
  if (int e = file->writeAt(off, buf, n))
    throwSystem(e, IoOp::Write, fullPath);
  written = true;
}

uint32_t TDbfDataSet::Impl::countRecords(uint64_t size) {
  uint8_t last = 0;
  if (format::countNeedsLastByte(layout, size))
    read(size - 1, &last, 1);
  return format::recordCountFor(layout, size, last);
}

std::vector<char> TDbfDataSet::Impl::readRecord(uint32_t n) {
  std::vector<char> rec(layout.recordLength);
  read(recordOffset(n), rec.data(), rec.size());
  return rec;
}

uint32_t TDbfDataSet::Impl::findLive(uint32_t n, int step) {
  while (n >= 1 && n <= count) {
    char flag = 0;
    read(recordOffset(n), &flag, 1);
    if (static_cast<uint8_t>(flag) != format::kDeleted)
      return n;
    n += step;
  }
  return 0;
}

void TDbfDataSet::Impl::rereadHeader() {
  read(0, header.data(), header.size());
  count = countRecords(fileSize());
}

void TDbfDataSet::Impl::rewriteHeader() {
  rereadHeader();
  writeHeader(stampedHeader(count));
}

format::HeaderBytes TDbfDataSet::Impl::stampedHeader(uint32_t records) const {
  format::HeaderBytes h = header;
  format::stampHeader(h, records, 0, layout.flags);
  return h;
}

void TDbfDataSet::Impl::writeHeader(const format::HeaderBytes &h) {
  write(0, h.data(), h.size());
  header = h;
}

std::vector<char> TDbfDataSet::Impl::blankRecord() const {
  std::vector<char> rec(layout.recordLength, ' ');
  for (const auto &f : layout.fields)
    if (format::isNumericType(f.type))
      format::encodeNumber(0, f.width, f.decimals, rec.data() + f.offset);
  return rec;
}

int TDbfDataSet::Impl::fieldIndex(const std::string &name) const {
  for (size_t i = 0; i < layout.fields.size(); ++i)
    if (format::sameNameIgnoringCase(layout.fields[i].name, name))
      return static_cast<int>(i);
  return -1;
}

std::string withDbfExtension(const std::string &name) {
  const auto slash = name.rfind('/');
  const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  return base.find('.') == std::string::npos ? name + ".DBF" : name;
}

std::string tableFileName(const std::string &name) {
  const auto first = name.find_first_not_of(" \t\r\n");
  if (first == std::string::npos)
    return ".DBF";
  const auto last = name.find_last_not_of(" \t\r\n");
  std::string t = name.substr(first, last - first + 1);
  // Only the file's own name is upper-cased; a directory keeps its spelling.
  const auto slash = t.rfind('/');
  std::string base = slash == std::string::npos ? t : t.substr(slash + 1);
  format::upperAscii(base);
  t = (slash == std::string::npos ? std::string() : t.substr(0, slash + 1)) + base;
  return withDbfExtension(t);
}

TDbfDataSet::TDbfDataSet(std::string name, FileSystem *fs)
    : m_name(std::move(name)), m_impl(std::make_unique<Impl>(fs ? *fs : posixFileSystem(), this)) {}

TDbfDataSet::~TDbfDataSet() {
  try {
    Close();
  } catch (...) {
    // A destructor cannot report; the file holds what was posted.
  }
}

const std::string &TDbfDataSet::FilePath() const { return m_impl->path; }

FileSystem &TDbfDataSet::fileSystem() const { return m_impl->fs; }

bool TDbfDataSet::ReadOnly() const { return m_state != State::Closed && m_impl->file->readOnly(); }

bool TDbfDataSet::DamagedEnd() const { return m_state != State::Closed && m_impl->damagedEnd; }

void TDbfDataSet::checkWritable() const {
  if (ReadOnly())
    throw EDbfError(5, m_impl->fullPath, EACCES);
}

void TDbfDataSet::checkActive() const {
  if (m_state == State::Closed)
    throw EDatabaseError(m_name + ": Cannot perform this operation on a closed dataset");
}

void TDbfDataSet::SetTableName(const std::string &name) {
  if (m_state != State::Closed)
    throw EDatabaseError(m_name + ": Cannot perform this operation on an open dataset");
  m_tableName = name;
}

void TDbfDataSet::Open() {
  if (m_state != State::Closed)
    return;
  if (m_tableName.empty())
    throw EDatabaseError("Table name missing");
  Impl &d = *m_impl;
  const std::string path = d.fs.resolve(withDbfExtension(m_tableName));
  const std::string fullPath = d.fs.absolute(path);
  switch (d.fs.kindOf(path)) {
  case FileSystem::Kind::Regular: break;
  case FileSystem::Kind::Special: throwSystem(kErrNotRegular, IoOp::Open, fullPath);
  case FileSystem::Kind::DanglingLink:
    throw EDatabaseError("Cannot find file " + fullPath + ": it is a link to a file that does not exist");
  case FileSystem::Kind::Missing: throw EDatabaseError("Cannot find file " + fullPath);
  }
  int err = 0;
  auto file = openShared(d.fs, path, err);
  if (!file)
    throwSystem(err, IoOp::Open, fullPath);

  // Nothing is kept until the header has been read and found sound.
  auto invalid = [&] { return EDbfError(1001, fullPath); };
  uint64_t size = 0;
  if (int e = file->size(size))
    throwSystem(e, IoOp::Read, fullPath);
  format::HeaderBytes header{};
  size_t got = 0;
  if (int e = file->readAt(0, header.data(), header.size(), got))
    throwSystem(e, IoOp::Read, fullPath);
  if (got != header.size() || !format::acceptedVersion(header[0]))
    throw invalid();
  const uint32_t headerLength = format::get16(&header[8]);
  const int descriptors = format::descriptorCount(header[0], headerLength);
  if (descriptors < 0 || headerLength > size)
    throw invalid();
  std::vector<uint8_t> bytes(static_cast<size_t>(descriptors) * format::kDescriptorSize);
  if (!bytes.empty()) {
    if (int e = file->readAt(format::kHeaderSize, bytes.data(), bytes.size(), got))
      throwSystem(e, IoOp::Read, fullPath);
    if (got != bytes.size())
      throw invalid();
  }
  auto layout = format::parseLayout(header, bytes, size);
  if (!layout)
    throw invalid();
  uint8_t last = 0;
  if (format::countNeedsLastByte(*layout, size)) {
    if (int e = file->readAt(size - 1, &last, 1, got))
      throwSystem(e, IoOp::Read, fullPath);
  }

  d.file = std::move(file);
  d.path = path;
  d.fullPath = fullPath;
  const auto slash = path.rfind('/');
  d.baseName = slash == std::string::npos ? path : path.substr(slash + 1);
  if (const auto dot = d.baseName.rfind('.'); dot != std::string::npos)
    d.baseName.resize(dot);
  d.layout = std::move(*layout);
  d.header = header;
  d.count = format::recordCountFor(d.layout, size, last);
  // Bytes behind the last whole record other than the end-of-file marker are
  // a record cut short (a crash or a full disk during an append).
  d.damagedEnd = false;
  if (size > d.layout.headerLength && d.layout.recordLength > 1) {
    const uint64_t tail = (size - d.layout.headerLength) % d.layout.recordLength;
    if (tail > 1) {
      d.damagedEnd = true;
    } else if (tail == 1) {
      if (int e = d.file->readAt(size - 1, &last, 1, got))
        throwSystem(e, IoOp::Read, fullPath);
      d.damagedEnd = last != format::kEndOfFile;
    }
  }
  d.busyCopying = false;
  d.written = false;
  d.lock.attach(d.file, true);
  m_state = State::Browse;
  try {
    First();
  } catch (...) {
    Close();
    throw;
  }
}

void TDbfDataSet::Close() {
  if (m_state == State::Closed)
    return;
  Impl &d = *m_impl;
  m_state = State::Browse;
  d.lock.detach();
  // The operating system's buffers are flushed when a changed table is closed.
  if (d.written)
    d.file->sync();
  d.file.reset();
  d.path.clear();
  d.fullPath.clear();
  d.layout = {};
  d.buffer.clear();
  d.saved.clear();
  d.count = 0;
  d.recNo = 0;
  d.bof = d.eof = true;
  d.busyCopying = false;
  m_state = State::Closed;
}

namespace {

bool sameLayout(const format::Layout &a, const format::Layout &b) {
  if (a.headerLength != b.headerLength || a.recordLength != b.recordLength || a.fields.size() != b.fields.size())
    return false;
  for (size_t i = 0; i < a.fields.size(); ++i) {
    const FieldDef &x = a.fields[i], &y = b.fields[i];
    if (x.name != y.name || x.type != y.type || x.width != y.width || x.decimals != y.decimals ||
        x.offset != y.offset)
      return false;
  }
  return true;
}

}  // namespace

// Another program may replace the table file under its name (a copy renamed
// over it: a compaction by another copy of this program, a sync tool). A
// table that went on with the file it has open would read stale records and
// write into a file that no longer has a name, and every such write would be
// lost. Writers check after taking their lock, and a compaction holds the
// whole-file lock until its copy has replaced the table, so between two
// copies of this engine no write can fall between the check and the rename.
void TDbfDataSet::followReplacement(bool forWrite) {
  Impl &d = *m_impl;
  const std::string path = d.fs.resolve(withDbfExtension(m_tableName));
  FileId now{}, open{};
  if (const int e = d.fs.identityOf(path, now)) {
    // The name stands for nothing (deleted, its replacement not yet renamed
    // in): reading the open file is harmless, a write would be lost.
    if (e == ENOENT && forWrite)
      throw EDatabaseError("Cannot find file " + d.fs.absolute(path));
    return;
  }
  if (d.file->identity(open) != 0 || now == open)
    return;

  // The new file is opened and checked as any table is; on failure this one
  // stays on the old file, and the next operation tries again.
  TDbfDataSet fresh(m_name, &d.fs);
  fresh.SetTableName(m_tableName);
  fresh.Open();
  Impl &n = *fresh.m_impl;
  if (m_state != State::Browse && !sameLayout(d.layout, n.layout)) {
    // A pending record of the old layout cannot be written into the new one.
    endPendingChange();
    throw EDbfError(1001, n.fullPath);
  }
  std::swap(d.file, n.file);
  std::swap(d.path, n.path);
  std::swap(d.fullPath, n.fullPath);
  std::swap(d.baseName, n.baseName);
  std::swap(d.layout, n.layout);
  std::swap(d.header, n.header);
  std::swap(d.count, n.count);
  // The old file is flushed when fresh closes it.
  std::swap(d.written, n.written);
  int err = 0;
  if (!d.lock.moveTo(d.file, err))
    throw EDbfError(33, d.fullPath);
  if (m_state == State::Edit && d.recNo > d.count) {
    // The record being edited is not in the new file.
    endPendingChange();
    throw EDbfError(1002, d.fullPath);
  }
  if (m_state == State::Browse) {
    if (d.recNo > d.count)
      d.recNo = d.count;
    if (d.recNo > 0)
      showRecord(d.recNo);
    else
      showNoRecord();
  }
}

int TDbfDataSet::RecordCount() const {
  if (m_state == State::Closed)
    throw EDatabaseError("Cannot perform this operation on a closed dataset");
  return static_cast<int>(m_impl->count);
}

int TDbfDataSet::RecNo() const {
  if (m_state == State::Closed)
    throw EDatabaseError("Cannot perform this operation on a closed dataset");
  return m_state == State::Insert ? 0 : static_cast<int>(m_impl->recNo);
}

bool TDbfDataSet::Bof() const { return m_state == State::Closed || m_impl->bof; }
bool TDbfDataSet::Eof() const { return m_state == State::Closed || m_impl->eof; }

const std::vector<FieldDef> &TDbfDataSet::Fields() const { return m_impl->layout.fields; }

bool TDbfDataSet::CurrentDeleted() const {
  return m_state != State::Closed && m_impl->recNo != 0 && !m_impl->buffer.empty() &&
         static_cast<uint8_t>(m_impl->buffer[0]) == format::kDeleted;
}

void TDbfDataSet::endPendingChange() {
  Impl &d = *m_impl;
  if (m_state == State::Edit) {
    d.lock.release();
    d.buffer = d.saved;
  } else if (m_state == State::Insert) {
    d.buffer = d.saved;
    d.recNo = d.recNoBeforeInsert;
  } else {
    return;
  }
  m_state = State::Browse;
}

void TDbfDataSet::showRecord(uint32_t n) {
  m_impl->buffer = m_impl->readRecord(n);
  m_impl->recNo = n;
}

void TDbfDataSet::showNoRecord() {
  Impl &d = *m_impl;
  d.recNo = 0;
  d.bof = d.eof = true;
  d.buffer.assign(d.layout.recordLength, ' ');
}

void TDbfDataSet::First() {
  checkActive();
  endPendingChange();
  followReplacement(false);
  if (const uint32_t n = m_impl->findLive(1, +1)) {
    showRecord(n);
    m_impl->bof = true;
    m_impl->eof = false;
  } else {
    showNoRecord();
  }
}

void TDbfDataSet::Last() {
  checkActive();
  endPendingChange();
  followReplacement(false);
  if (const uint32_t n = m_impl->findLive(m_impl->count, -1)) {
    showRecord(n);
    m_impl->bof = false;
    m_impl->eof = true;
  } else {
    showNoRecord();
  }
}

void TDbfDataSet::Next() {
  checkActive();
  endPendingChange();
  followReplacement(false);
  Impl &d = *m_impl;
  if (d.recNo == 0) {
    First();
    return;
  }
  if (const uint32_t n = d.findLive(d.recNo + 1, +1)) {
    showRecord(n);
    d.bof = d.eof = false;
  } else {
    d.eof = true;
  }
}

void TDbfDataSet::Prior() {
  checkActive();
  endPendingChange();
  followReplacement(false);
  Impl &d = *m_impl;
  if (d.recNo == 0) {
    Last();
    return;
  }
  if (const uint32_t n = d.recNo > 1 ? d.findLive(d.recNo - 1, -1) : 0) {
    showRecord(n);
    d.bof = d.eof = false;
  } else {
    d.bof = true;
  }
}

void TDbfDataSet::GotoPosition(int n) {
  First();
  for (int i = 1; i < n && !Eof(); ++i)
    Next();
}

void TDbfDataSet::GotoPhysical(int n) {
  checkActive();
  endPendingChange();
  followReplacement(false);
  Impl &d = *m_impl;
  if (n < 1 || static_cast<int64_t>(n) > static_cast<int64_t>(d.count) + 1)
    throw EDbfError(1002, d.fullPath);
  if (static_cast<uint32_t>(n) == d.count + 1) {
    d.eof = true;
    return;
  }
  showRecord(static_cast<uint32_t>(n));
  d.bof = d.eof = false;
}

void TDbfDataSet::Refresh() {
  checkActive();
  endPendingChange();
  followReplacement(false);
  Impl &d = *m_impl;
  d.count = d.countRecords(d.fileSize());
  const uint32_t at = std::min(d.recNo, d.count);
  if (at == 0) {
    First();
    return;
  }
  uint32_t n = d.findLive(at, +1);
  if (n == 0)
    n = d.findLive(at, -1);
  if (n == 0) {
    showNoRecord();
    return;
  }
  showRecord(n);
  d.bof = d.eof = false;
}

}  // namespace dbf
