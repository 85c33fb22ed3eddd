// Whole-table reads for callers that want every record at once (the month's
// day marks, the plan search): the data area is read in large blocks and each
// record's bytes are handed over where they lie, so one pass costs about what
// reading the file costs. Also the raw append that copies a record unchanged
// from one table into another of the same layout.
#include "dbfimpl.h"

#include <cstring>

namespace dbf {
namespace {
constexpr size_t kScanBlock = 256 * 1024;
}  // namespace

bool NumberAt(const char *record, const FieldDef &field, double &out) {
  return format::decodeNumber(std::string_view(record + field.offset, static_cast<size_t>(field.width)), out);
}

bool RecordDeleted(const char *record) { return static_cast<uint8_t>(record[0]) == format::kDeleted; }

void TDbfDataSet::ScanRecords(const std::function<bool(int recNo, const char *record)> &visit, int from) {
  checkActive();
  endPendingChange();
  Impl &d = *m_impl;
  const size_t recLen = d.layout.recordLength;
  if (d.count == 0 || recLen == 0)
    return;
  const size_t perBlock = std::max<size_t>(1, kScanBlock / recLen);
  std::vector<char> block(perBlock * recLen);
  for (uint32_t n = from < 1 ? 1 : static_cast<uint32_t>(from); n <= d.count;) {
    const size_t want = std::min<size_t>(perBlock, d.count - n + 1);
    size_t got = 0;
    if (int e = d.file->readAt(d.recordOffset(n), block.data(), want * recLen, got))
      throwSystem(e, IoOp::Read, d.fullPath);
    const size_t whole = got / recLen;
    for (size_t i = 0; i < whole; ++i)
      if (!visit(static_cast<int>(n + i), block.data() + i * recLen))
        return;
    if (whole < want)
      return;
    n += static_cast<uint32_t>(want);
  }
}

void TDbfDataSet::AppendRecordBytes(const std::string &record) {
  Insert();
  Impl &d = *m_impl;
  const size_t n = std::min(record.size(), d.buffer.size());
  std::memcpy(d.buffer.data(), record.data(), n);
  d.buffer[0] = static_cast<char>(format::kLive);
  Post();
}

std::string TDbfDataSet::CurrentRecordBytes() const {
  checkActive();
  return std::string(m_impl->buffer.begin(), m_impl->buffer.end());
}

}  // namespace dbf
