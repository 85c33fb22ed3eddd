// Creating table files, copying the live records into a new one, and
// replacing a table by its packed copy.
#include "dbfimpl.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace dbf {
namespace {

void writeAll(File &f, uint64_t off, const void *buf, size_t n, const std::string &path) {
  if (int e = f.writeAt(off, buf, n))
    throwSystem(e, IoOp::Write, path);
}

std::string withExtension(const std::string &path, const char *ext) {
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasDot ? path.substr(0, dot) : path) + ext;
}

void writeMemoFile(FileSystem &fs, const std::string &tablePath, char flavour) {
  std::vector<uint8_t> header(512, 0);
  std::string name;
  if (flavour == 'F') {
    name = withExtension(tablePath, ".FPT");
    header[3] = 8;  // next free block, big-endian
    header[7] = 64;  // block size, big-endian
  } else {
    name = withExtension(tablePath, ".DBT");
    header[0] = 1;  // next free block, little-endian
    if (flavour == '4')
      format::put16(&header[20], 512);
  }
  const std::string path = fs.resolve(name);
  int err = 0;
  auto f = fs.open(path, FileSystem::Mode::CreateTruncate, err);
  if (!f)
    throwSystem(err, IoOp::Open, fs.absolute(path));
  writeAll(*f, 0, header.data(), header.size(), fs.absolute(path));
  if (int e = f->close())
    throwSystem(e, IoOp::Write, fs.absolute(path));
}

// Waits until no other table of this or another process holds any part of the file.
void lockWholeFile(TDbfDataSet::Impl &d) {
  int err = 0;
  for (;;) {
    const auto r = d.lock.acquire(0, kFileLockLength, err);
    if (r == TableLock::Locked)
      return;
    if (r == TableLock::OtherRegionHeld)
      throw EDbfError(33, d.fullPath);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

struct WholeFileLevel {
  TableLock &lock;
  ~WholeFileLevel() { lock.release(); }
};

}  // namespace

bool writeEmptyTable(FileSystem &fs, const std::string &name, char flavour, std::vector<FieldDef> fields) {
  bool memo = false;
  for (const auto &f : fields)
    memo = memo || format::isMemoType(f.type);
  uint8_t version = 0x03;
  if (memo)
    version = flavour == 'F' ? 0xF5 : flavour == '4' ? 0x8B : 0x83;
  std::vector<uint8_t> bytes = format::buildEmptyTable(version, fields);
  if (bytes.empty())
    return false;
  const std::string path = fs.resolve(name);
  const std::string full = fs.absolute(path);
  if (isOpenInProcess(fs, path))
    throw EDbfError(12, full);
  if (const auto kind = fs.kindOf(path); kind == FileSystem::Kind::Special)
    throwSystem(kErrNotRegular, IoOp::Open, full);
  else if (kind == FileSystem::Kind::DanglingLink)
    throwSystem(kErrDanglingLink, IoOp::Open, full);
  int err = 0;
  auto f = fs.open(path, FileSystem::Mode::CreateTruncate, err);
  if (!f)
    throwSystem(err, IoOp::Open, full);
  writeAll(*f, 0, bytes.data(), bytes.size(), full);
  if (int e = f->close())
    throwSystem(e, IoOp::Write, full);
  if (memo)
    writeMemoFile(fs, path, flavour);
  return true;
}

bool TDbfDataSet::CreateTable(const std::string &tableName, char flavour, const FieldListCallback &fields) {
  char kind = 0;
  switch (flavour) {
  case 'F': kind = 'F'; break;
  case 'C':
  case '3': kind = '3'; break;
  case '4':
  case '5': kind = '4'; break;
  default: return false;
  }
  std::vector<FieldDef> defs;
  // A header length is 16 bits, which bounds the number of descriptors.
  for (int i = 1; i <= 2046; ++i) {
    FieldDef def;
    if (!fields || !fields(i, def))
      return false;
    if (def.name.empty())
      break;
    if (!format::normalizeField(def))
      return false;
    defs.push_back(def);
  }
  // The engine creates tables with fields only; a table without any comes
  // from another program (it is read, and packed, all the same).
  if (defs.empty())
    return false;
  return writeEmptyTable(m_impl->fs, tableFileName(tableName), kind, std::move(defs));
}

std::string TDbfDataSet::packInto(const std::string &target, bool syncCopy,
                                  const std::vector<int> &leaveOut) {
  checkActive();
  endPendingChange();
  Impl &d = *m_impl;
  checkWritable();
  d.busyCopying = true;
  struct Busy {
    Impl &d;
    ~Busy() { d.busyCopying = false; }
  } busy{d};

  lockWholeFile(d);
  WholeFileLevel unlock{d.lock};
  followReplacement(false);
  d.rereadHeader();

  const char flavour = d.layout.version == 0x8B ? '4' : d.layout.version == 0xF5 ? 'F' : '3';
  const std::string targetPath = d.fs.resolve(tableFileName(target));
  const std::string targetFull = d.fs.absolute(targetPath);
  if (!writeEmptyTable(d.fs, targetPath, flavour, d.layout.fields))
    throw EDbfError(1001, d.fullPath);
  int err = 0;
  auto out = d.fs.open(targetPath, FileSystem::Mode::OpenExisting, err);
  if (!out)
    throwSystem(err, IoOp::Open, targetFull);

  // The copy's records are the source's fields only; bytes a foreign writer
  // kept behind the last field are left out.
  size_t outLen = 1;
  for (const auto &f : d.layout.fields)
    outLen += static_cast<size_t>(f.width);
  const size_t outHeaderLength = format::kHeaderSize * (d.layout.fields.size() + 1) + 1;
  const size_t recLen = d.layout.recordLength;
  const size_t perBlock = std::max<size_t>(1, (1u << 20) / recLen);
  std::vector<char> in(perBlock * recLen);
  std::vector<char> pending;
  uint64_t outOffset = outHeaderLength;
  uint32_t copied = 0;
  std::vector<int> dropped = leaveOut;
  std::sort(dropped.begin(), dropped.end());
  for (uint32_t n = 1; n <= d.count;) {
    const size_t want = std::min<size_t>(perBlock, d.count - n + 1);
    d.read(d.recordOffset(n), in.data(), want * recLen);
    pending.clear();
    for (size_t i = 0; i < want; ++i) {
      const char *rec = in.data() + i * recLen;
      if (static_cast<uint8_t>(rec[0]) == format::kDeleted)
        continue;
      if (std::binary_search(dropped.begin(), dropped.end(), static_cast<int>(n + i)))
        continue;
      pending.push_back(static_cast<char>(format::kLive));
      pending.insert(pending.end(), rec + 1, rec + outLen);
      ++copied;
    }
    if (!pending.empty())
      writeAll(*out, outOffset, pending.data(), pending.size(), targetFull);
    outOffset += pending.size();
    n += static_cast<uint32_t>(want);
  }
  if (copied > 0) {
    const char eof = static_cast<char>(format::kEndOfFile);
    writeAll(*out, outOffset, &eof, 1, targetFull);
    format::HeaderBytes header{};
    size_t got = 0;
    if (int e = out->readAt(0, header.data(), header.size(), got); e || got != header.size())
      throwSystem(e ? e : EIO, IoOp::Read, targetFull);
    format::stampHeader(header, copied, 0, 0);
    writeAll(*out, 0, header.data(), header.size(), targetFull);
  }
  if (syncCopy)
    if (int e = out->sync())
      throwSystem(e, IoOp::Write, targetFull);
  if (int e = out->close())
    throwSystem(e, IoOp::Write, targetFull);
  return targetPath;
}

void TDbfDataSet::PackTo(const std::string &target) {
  packInto(target, false);
  First();
}

void TDbfDataSet::ReplaceByPackedCopy(const std::string &scratch, const std::vector<int> &leaveOut) {
  checkActive();
  checkWritable();
  Impl &d = *m_impl;
  FileSystem &fs = d.fs;
  // The whole file stays locked until the copy has taken its name: a writer
  // of another process waits for the lock and then finds the name standing
  // for the copy (followReplacement), so nothing is written into the old
  // file once its records have been copied.
  lockWholeFile(d);
  WholeFileLevel unlock{d.lock};
  const std::string tablePath = d.path;
  // A table reached through a link is replaced at the link's target, so the
  // link stays and what it points to is the compacted table; the copy is
  // made beside that target so the rename stays on one file system.
  const std::string target = fs.replacementTarget(tablePath);
  const auto slash = target.rfind('/');
  const std::string scratchName =
      target == tablePath || slash == std::string::npos ? scratch : target.substr(0, slash + 1) + scratch;
  std::string copy;
  try {
    copy = packInto(scratchName, true, leaveOut);
  } catch (...) {
    // A copy cut short (a full disk) is no table: it does not stay behind.
    if (!isOpenInProcess(fs, fs.resolve(tableFileName(scratchName))))
      fs.remove(tableFileName(scratchName));
    throw;
  }
  // The copy takes the table's permission bits (a private 0600 table stays private).
  const int modeErr = fs.copyMode(target, copy);
  if (modeErr) {
    fs.remove(copy);
    throwSystem(modeErr, IoOp::Write, fs.absolute(copy));
  }
  // One rename replaces the table: a crash before it leaves the old table,
  // after it the packed one. The old file is never deleted first.
  const int err = fs.rename(copy, target);
  const int dirErr = err ? 0 : fs.syncDirectoryOf(target);
  Close();
  Open();
  if (err)
    throwSystem(err, IoOp::Write, fs.absolute(target));
  if (dirErr)
    throwSystem(dirErr, IoOp::Write, fs.absolute(target));
}

}  // namespace dbf
