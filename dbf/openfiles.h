// The process-wide list of open table files: one handle per path, shared by
// every table object that opens that path, with a mutex around each read and
// write. Byte-range locks are taken through the handle; two table objects of
// this process exclude each other on a region just as two processes do,
// because the handle remembers which object holds which region.
#pragma once

#include "fileio.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dbf {

class SharedFile {
public:
  SharedFile(FileSystem &fs, std::string key, std::unique_ptr<File> file, bool readOnly = false)
      : m_fs(fs), m_key(std::move(key)), m_file(std::move(file)), m_readOnly(readOnly) {}
  ~SharedFile();

  int readAt(uint64_t off, void *buf, size_t n, size_t &got);
  int writeAt(uint64_t off, const void *buf, size_t n);
  int size(uint64_t &out);
  int truncate(uint64_t length);
  int sync();
  int identity(FileId &out);
  // Opened for reading only: the file may be read but not written.
  bool readOnly() const { return m_readOnly; }
  // 0, or EAGAIN when another owner (here or in another process) holds an overlapping range.
  int lock(const void *owner, uint64_t off, uint64_t len);
  int unlock(const void *owner, uint64_t off, uint64_t len);

private:
  struct Held {
    const void *owner;
    uint64_t off, len;
  };
  FileSystem &m_fs;
  std::string m_key;
  std::unique_ptr<File> m_file;
  bool m_readOnly;
  std::mutex m_mutex;
  std::vector<Held> m_held;
};

// Opens path (already resolved), reusing the handle when this process has it
// open and the name still stands for that file. A file that may not be
// written (permissions, a read-only file system) is opened for reading only.
std::shared_ptr<SharedFile> openShared(FileSystem &fs, const std::string &path, int &err);
// Is path open in the list?
bool isOpenInProcess(FileSystem &fs, const std::string &path);

// The one lock a table object may hold: asking again for the same region
// nests, a different region while one is held fails with code 33. In
// unshared mode every lock succeeds without touching the file.
class TableLock {
public:
  enum Result { Locked, Busy, OtherRegionHeld };
  explicit TableLock(const void *owner) : m_owner(owner) {}
  ~TableLock() { releaseAll(); }

  void attach(std::shared_ptr<SharedFile> file, bool shared);
  void detach();
  Result acquire(uint64_t off, uint64_t len, int &err);
  void release();
  void releaseAll();
  int depth() const { return m_depth; }
  // Carries the held region, at its depth, over to another file (the table
  // followed its name to a new file). False when the new file has it locked
  // elsewhere: err is set and nothing is held any more.
  bool moveTo(std::shared_ptr<SharedFile> file, int &err);

private:
  const void *m_owner;
  std::shared_ptr<SharedFile> m_file;
  bool m_shared = true;
  uint64_t m_off = 0, m_len = 0;
  int m_depth = 0;
};

// Lock regions of the default protocol.
constexpr uint64_t kRecordLockBase = 0x40000000ull;
constexpr uint64_t kAppendLockOffset = 0x7FFFFFFEull;
constexpr uint64_t kFileLockLength = 0x7FFFFFFFull;

}  // namespace dbf
