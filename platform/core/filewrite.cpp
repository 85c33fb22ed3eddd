#include "filewrite.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace calixo {

int writeAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return n < 0 ? errno : ENOSPC;
    done += static_cast<size_t>(n);
  }
  return 0;
}

int replaceFile(const std::string &path, std::string_view bytes, const std::string &scratchSuffix) {
  const std::string tmp = path + scratchSuffix;
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    return errno;
  int err = writeAll(fd, bytes);
  // On disk before the rename, so the name never stands for a file whose
  // bytes a crash could still lose.
  if (!err && ::fsync(fd) != 0)
    err = errno;
  if (::close(fd) != 0 && !err)
    err = errno;
  if (!err && ::rename(tmp.c_str(), path.c_str()) != 0)
    err = errno;
  if (err)
    ::unlink(tmp.c_str());
  return err;
}

}  // namespace calixo
