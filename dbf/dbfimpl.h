// Inside a TDbfDataSet: the shared file handle, the layout read from its
// header, the record count and the current record with its buffer.
#pragma once

#include "dbf.h"
#include "fileio.h"
#include "format.h"
#include "openfiles.h"

#include <memory>
#include <string>
#include <vector>

namespace dbf {

enum class IoOp { Open, Read, Write, Lock };
// The engine error code of a failed file call.
int systemCode(int err, IoOp op);
[[noreturn]] void throwSystem(int err, IoOp op, const std::string &path);

// "pp" -> "PP.DBF": trimmed, upper-cased, ".DBF" added without an extension.
std::string tableFileName(const std::string &name);
// ".DBF" added when the last component has no extension; letter case kept.
std::string withDbfExtension(const std::string &name);
// Writes a new empty table; flavour 'F', '3' or '4'. False when the field
// list cannot make a table. Raises EDbfError for file failures and for a
// path this process has open (code 12).
bool writeEmptyTable(FileSystem &fs, const std::string &path, char flavour, std::vector<FieldDef> fields);

struct TDbfDataSet::Impl {
  Impl(FileSystem &fileSystem, const void *owner) : fs(fileSystem), lock(owner) {}

  FileSystem &fs;
  std::shared_ptr<SharedFile> file;
  std::string path;      // as opened (resolved)
  std::string fullPath;  // in error details
  std::string baseName;  // file name without directory and extension
  format::Layout layout;
  format::HeaderBytes header{};
  uint32_t count = 0;
  uint32_t recNo = 0;  // 0 while the table shows no record
  bool bof = true, eof = true;
  std::vector<char> buffer;
  std::vector<char> saved;  // the buffer before Edit or Insert
  uint32_t recNoBeforeInsert = 0;
  bool busyCopying = false;
  bool written = false;
  bool damagedEnd = false;  // bytes of a record cut short behind the last whole one
  TableLock lock;

  uint64_t recordOffset(uint32_t n) const {
    return layout.headerLength + static_cast<uint64_t>(n - 1) * layout.recordLength;
  }
  uint64_t fileSize();
  // The records in the file of that size (format::recordCountFor).
  uint32_t countRecords(uint64_t size);
  void read(uint64_t off, void *buf, size_t n);
  void write(uint64_t off, const void *buf, size_t n);
  std::vector<char> readRecord(uint32_t n);
  // The nearest record from n on (step +1) or back (step -1) that is not
  // marked deleted; 0 when there is none.
  uint32_t findLive(uint32_t n, int step);
  // The header bytes from the file and the count from its size.
  void rereadHeader();
  // Re-reads, stamps and writes the header after a change.
  void rewriteHeader();
  // The header as last read, stamped with today's date and records. It is
  // made before anything is written, so a stamp that fails writes nothing.
  format::HeaderBytes stampedHeader(uint32_t records) const;
  // Writes h as the table's header and keeps it as the one last read.
  void writeHeader(const format::HeaderBytes &h);
  std::vector<char> blankRecord() const;
  int fieldIndex(const std::string &name) const;
};

}  // namespace dbf
