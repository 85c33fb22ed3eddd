// Insert, edit, post, cancel and delete. Only Post and Delete write, and they
// write at once: the record, then the header, so the file is complete after
// every change.
#include "dbfimpl.h"

namespace dbf {
namespace {

// Releases a lock level on every way out of a write.
struct LockLevel {
  TableLock &lock;
  ~LockLevel() { lock.release(); }
};

}  // namespace

void TDbfDataSet::Insert() {
  checkActive();
  endPendingChange();
  Impl &d = *m_impl;
  d.saved = d.buffer;
  d.recNoBeforeInsert = d.recNo;
  d.buffer = d.blankRecord();
  m_state = State::Insert;
}

void TDbfDataSet::Edit() {
  checkActive();
  if (m_state != State::Browse)
    return;
  Impl &d = *m_impl;
  followReplacement(false);
  if (d.recNo == 0) {
    Insert();
    return;
  }
  checkWritable();
  int err = 0;
  switch (d.lock.acquire(kRecordLockBase + d.recordOffset(d.recNo), 1, err)) {
  case TableLock::Locked:
    break;
  case TableLock::Busy:
    throw EDatabaseError("Record is locked by another user");
  case TableLock::OtherRegionHeld:
    throw EDbfError(33, d.fullPath);
  }
  try {
    followReplacement(true);
    d.buffer = d.readRecord(d.recNo);
  } catch (...) {
    d.lock.release();
    throw;
  }
  d.saved = d.buffer;
  m_state = State::Edit;
}

void TDbfDataSet::Post() {
  checkActive();
  Impl &d = *m_impl;
  if (m_state == State::Browse)
    throw EDatabaseError(m_name + ": Dataset not in edit or insert mode");
  checkWritable();
  if (m_state == State::Edit) {
    followReplacement(true);
    d.write(d.recordOffset(d.recNo), d.buffer.data(), d.buffer.size());
    d.rewriteHeader();
    d.lock.release();
    m_state = State::Browse;
    return;
  }
  int err = 0;
  if (d.lock.acquire(kAppendLockOffset, 1, err) != TableLock::Locked)
    throw EDbfError(33, d.fullPath);
  LockLevel level{d.lock};
  followReplacement(true);
  // Records appended by another process since we last looked are counted.
  d.rereadHeader();
  d.buffer[0] = static_cast<char>(format::kLive);
  std::vector<char> bytes = d.buffer;
  bytes.push_back(static_cast<char>(format::kEndOfFile));
  const uint32_t appended = d.count + 1;
  // The header was read just now under the append lock, and no other process
  // can append while we hold it, so reading it once more would only repeat
  // the count we already know. It is stamped before the record is written:
  // a stamp that cannot be made (the clock failing) must fail the post
  // before the file has grown, or the caller would take the record for
  // unwritten and append it again.
  const format::HeaderBytes stamped = d.stampedHeader(appended);
  const uint64_t at = d.recordOffset(appended);
  const uint64_t oldSize = d.fileSize();
  // What the record goes over: the end-of-file marker, or a record cut short.
  std::vector<char> tail(oldSize > at ? static_cast<size_t>(oldSize - at) : 0);
  if (!tail.empty())
    d.read(at, tail.data(), tail.size());
  try {
    d.write(at, bytes.data(), bytes.size());
  } catch (...) {
    // A short write (a full disk) leaves no partial record behind: the file
    // goes back to the length and the bytes it had.
    d.file->truncate(oldSize);
    if (!tail.empty())
      d.file->writeAt(at, tail.data(), tail.size());
    throw;
  }
  d.count = appended;
  d.writeHeader(stamped);
  d.recNo = appended;
  d.bof = d.eof = false;
  m_state = State::Browse;
}

void TDbfDataSet::Cancel() {
  if (m_state == State::Closed)
    return;
  endPendingChange();
}

void TDbfDataSet::Delete() {
  checkActive();
  if (m_state == State::Insert) {
    Cancel();
    return;
  }
  endPendingChange();
  followReplacement(false);
  Impl &d = *m_impl;
  if (d.recNo == 0)
    throw EDatabaseError(m_name + ": Cannot perform this operation on an empty dataset");
  const uint32_t n = d.recNo;
  checkWritable();
  try {
    int err = 0;
    if (d.lock.acquire(kRecordLockBase + d.recordOffset(n), 1, err) != TableLock::Locked)
      throw EDbfError(33, d.fullPath);
    LockLevel level{d.lock};
    followReplacement(true);
    std::vector<char> rec = d.readRecord(n);
    rec[0] = static_cast<char>(format::kDeleted);
    d.write(d.recordOffset(n), rec.data(), rec.size());
    d.rewriteHeader();
  } catch (const EDbfError &) {
    throw EDatabaseError("Cannot delete the record");
  }
  uint32_t next = d.findLive(n + 1, +1);
  if (next == 0 && n > 1)
    next = d.findLive(n - 1, -1);
  if (next == 0) {
    showNoRecord();
    return;
  }
  showRecord(next);
  d.bof = d.eof = false;
}

}  // namespace dbf
