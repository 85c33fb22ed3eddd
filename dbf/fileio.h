// The file seam of the table engine. Every byte the engine reads or writes
// goes through a dbf::File opened by a dbf::FileSystem: the POSIX one for the
// program, the in-memory one for tests (which can also fail on demand). All
// calls return 0 or an errno value; the engine turns those into EDbfError.
// Names are resolved case-insensitively in their directory, so
// "TIMELIST.dbf" and "TimeList.dbf" are one file; a new file takes the name
// exactly as the engine forms it.
//
// Only regular files hold tables: a device or FIFO under a table's name is
// refused without ever blocking on it, and so is a new table whose name is a
// link to nowhere (creating it would put it outside the data folder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace dbf {

// Which file a descriptor or a name stands for. A name can come to stand for
// another file while a table has it open (another program renames a copy
// over it): the open file then differs from the one the name gives.
struct FileId {
  uint64_t device = 0, inode = 0;
  bool operator==(const FileId &) const = default;
};
// Errors of the file seam that are no errno: the name is a device or FIFO,
// or a link to a file that does not exist.
constexpr int kErrNotRegular = -2;
constexpr int kErrDanglingLink = -3;

class File {
public:
  virtual ~File() = default;
  // Reads up to n bytes at off into buf; got receives the count (short at end of file).
  virtual int readAt(uint64_t off, void *buf, size_t n, size_t &got) = 0;
  virtual int writeAt(uint64_t off, const void *buf, size_t n) = 0;
  virtual int size(uint64_t &out) = 0;
  virtual int truncate(uint64_t length) = 0;
  virtual int sync() = 0;
  // Exclusive byte-range lock; fails at once (EAGAIN) when another open file holds
  // an overlapping range. Locks belong to this open file, not to the process,
  // so closing another descriptor of the same file never drops them.
  virtual int lock(uint64_t off, uint64_t len) = 0;
  virtual int unlock(uint64_t off, uint64_t len) = 0;
  virtual int close() = 0;
  // The file this one is (fstat).
  virtual int identity(FileId &out) = 0;
};

class FileSystem {
public:
  // ReadOnly opens an existing file that may be read but not written.
  enum class Mode { OpenExisting, CreateTruncate, ReadOnly };
  enum class Kind { Missing, Regular, Special, DanglingLink };
  virtual ~FileSystem() = default;
  // What stands under the name: nothing, a regular file (through any links),
  // a device, FIFO or folder, or a link whose target is missing.
  virtual Kind kindOf(const std::string &name) { return exists(name) ? Kind::Regular : Kind::Missing; }
  // The file a replacement of path must be renamed onto: the target of a
  // link, so the link stays and its target is rewritten; else path itself.
  virtual std::string replacementTarget(const std::string &path) { return path; }
  // Gives `to` the permission bits of `from`.
  virtual int copyMode(const std::string &from, const std::string &to) {
    (void)from;
    (void)to;
    return 0;
  }
  // The existing file whose name matches case-insensitively, else name itself.
  virtual std::string resolve(const std::string &name) = 0;
  // The path for messages (absolute where the file system has a directory).
  virtual std::string absolute(const std::string &path) { return path; }
  virtual std::unique_ptr<File> open(const std::string &name, Mode mode, int &err) = 0;
  virtual bool exists(const std::string &name) = 0;
  // The file the name stands for now (stat, following links); ENOENT when none.
  virtual int identityOf(const std::string &name, FileId &out) = 0;
  virtual int remove(const std::string &name) = 0;
  // Replaces to by from in one step.
  virtual int rename(const std::string &from, const std::string &to) = 0;
  // Makes a rename or create in name's directory durable.
  virtual int syncDirectoryOf(const std::string &name) { (void)name; return 0; }
};

// The process's real files: open/pread/pwrite, Linux open-file-description locks.
FileSystem &posixFileSystem();

// Files held in memory, for tests. Names match case-insensitively like the
// real ones; locks conflict between different open files of the same name.
class MemoryFileSystem final : public FileSystem {
public:
  enum class Op { Open, Create, Read, Write, Size, Truncate, Sync, Lock, Unlock, Close, Remove, Rename };
  // Called before every operation; a non-zero result is returned as that
  // operation's error and the operation does nothing.
  std::function<int(Op op, const std::string &name)> failHook;
  // Room left on the disk, in bytes (negative: unlimited). A write that
  // would grow the files beyond it writes what fits and fails with ENOSPC,
  // as a full disk does.
  int64_t freeBytes = -1;
  // Files that may be read but not written: opening them for writing fails
  // with EACCES.
  void setReadOnly(const std::string &name, bool readOnly = true);

  std::string resolve(const std::string &name) override;
  std::unique_ptr<File> open(const std::string &name, Mode mode, int &err) override;
  bool exists(const std::string &name) override;
  int identityOf(const std::string &name, FileId &out) override;
  int remove(const std::string &name) override;
  int rename(const std::string &from, const std::string &to) override;

  // Test access to a file's bytes (exact name after resolving).
  std::string contents(const std::string &name);
  void setContents(const std::string &name, const std::string &bytes);
  std::vector<std::string> names();

  struct Node;

private:
  friend class MemoryFile;
  int fail(Op op, const std::string &name);
  std::mutex m_mutex;
  std::map<std::string, std::shared_ptr<Node>> m_files;
};

}  // namespace dbf
