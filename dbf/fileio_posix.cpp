#include "fileio.h"

#include "filenames.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dbf {
namespace {

class PosixFile final : public File {
public:
  explicit PosixFile(int fd) : m_fd(fd) {}
  ~PosixFile() override { close(); }

  int readAt(uint64_t off, void *buf, size_t n, size_t &got) override {
    got = 0;
    auto *p = static_cast<char *>(buf);
    while (got < n) {
      const ssize_t r = ::pread(m_fd, p + got, n - got, static_cast<off_t>(off + got));
      if (r < 0) {
        if (errno == EINTR)
          continue;
        return errno;
      }
      if (r == 0)
        break;
      got += static_cast<size_t>(r);
    }
    return 0;
  }

  int writeAt(uint64_t off, const void *buf, size_t n) override {
    const auto *p = static_cast<const char *>(buf);
    size_t done = 0;
    while (done < n) {
      const ssize_t r = ::pwrite(m_fd, p + done, n - done, static_cast<off_t>(off + done));
      if (r < 0) {
        if (errno == EINTR)
          continue;
        return errno;
      }
      done += static_cast<size_t>(r);
    }
    return 0;
  }

  int size(uint64_t &out) override {
    struct stat st{};
    if (::fstat(m_fd, &st) != 0)
      return errno;
    out = static_cast<uint64_t>(st.st_size);
    return 0;
  }

  int truncate(uint64_t length) override {
    return ::ftruncate(m_fd, static_cast<off_t>(length)) == 0 ? 0 : errno;
  }

  int sync() override { return ::fsync(m_fd) == 0 ? 0 : errno; }

  int lock(uint64_t off, uint64_t len) override { return setLock(F_WRLCK, off, len); }
  int unlock(uint64_t off, uint64_t len) override { return setLock(F_UNLCK, off, len); }

  int identity(FileId &out) override {
    struct stat st{};
    if (::fstat(m_fd, &st) != 0)
      return errno;
    out = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return 0;
  }

  int close() override {
    if (m_fd < 0)
      return 0;
    const int r = ::close(m_fd);
    m_fd = -1;
    return r == 0 ? 0 : errno;
  }

private:
  int setLock(short type, uint64_t off, uint64_t len) {
    struct flock fl{};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(off);
    fl.l_len = static_cast<off_t>(len);
    fl.l_pid = 0;
    if (::fcntl(m_fd, F_OFD_SETLK, &fl) == 0)
      return 0;
    // A lock held elsewhere is reported as EACCES or EAGAIN depending on the system.
    return errno == EACCES ? EAGAIN : errno;
  }

  int m_fd;
};

class PosixFileSystem final : public FileSystem {
public:
  std::string resolve(const std::string &name) override { return calixo::resolveFileName(name); }

  std::string absolute(const std::string &path) override {
    if (!path.empty() && path[0] == '/')
      return path;
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf))
      return path;
    return std::string(buf) + "/" + path;
  }

  std::unique_ptr<File> open(const std::string &name, Mode mode, int &err) override {
    const std::string path = resolve(name);
    if (mode == Mode::CreateTruncate && kindOf(path) == Kind::DanglingLink) {
      err = kErrDanglingLink;
      return nullptr;
    }
    int flags = O_RDWR;
    if (mode == Mode::CreateTruncate)
      flags = O_RDWR | O_CREAT | O_TRUNC;
    else if (mode == Mode::ReadOnly)
      flags = O_RDONLY;
    // O_NONBLOCK: a FIFO under a table's name must not hang the open; it is
    // refused below like any other file that is not a regular one.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
      err = errno;
      return nullptr;
    }
    struct stat st{};
    const int statErr = ::fstat(fd, &st) == 0 ? 0 : errno;
    if (statErr || !S_ISREG(st.st_mode)) {
      err = statErr ? statErr : kErrNotRegular;
      ::close(fd);
      return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    err = 0;
    return std::make_unique<PosixFile>(fd);
  }

  Kind kindOf(const std::string &name) override {
    const std::string path = resolve(name);
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0)
      return S_ISREG(st.st_mode) ? Kind::Regular : Kind::Special;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
      return Kind::DanglingLink;
    return Kind::Missing;
  }

  std::string replacementTarget(const std::string &path) override {
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
      return path;
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
  }

  int copyMode(const std::string &from, const std::string &to) override {
    struct stat st{};
    if (::stat(from.c_str(), &st) != 0)
      return errno;
    return ::chmod(to.c_str(), st.st_mode & 07777) == 0 ? 0 : errno;
  }

  bool exists(const std::string &name) override { return calixo::fileExists(name); }
  int identityOf(const std::string &name, FileId &out) override {
    struct stat st{};
    if (::stat(resolve(name).c_str(), &st) != 0)
      return errno;
    out = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return 0;
  }
  int remove(const std::string &name) override { return calixo::removeFile(name); }
  int rename(const std::string &from, const std::string &to) override {
    return calixo::renameFile(from, to);
  }

  int syncDirectoryOf(const std::string &name) override {
    const auto slash = name.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : name.substr(0, slash == 0 ? 1 : slash);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
      return errno;
    const int r = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return r;
  }
};

}  // namespace

FileSystem &posixFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace dbf
