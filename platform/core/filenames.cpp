#include "filenames.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calixo {

std::string resolveFileName(const std::string &name) {
  if (name.empty())
    return name;
  struct stat st{};
  if (::stat(name.c_str(), &st) == 0)
    return name;
  const auto slash = name.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string(".") : name.substr(0, slash == 0 ? 1 : slash);
  const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  const std::string prefix = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
  DIR *d = ::opendir(dir.c_str());
  if (!d)
    return name;
  std::string found;
  while (dirent *e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, base.c_str()) == 0) {
      found = prefix + e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found.empty() ? name : found;
}

bool fileExists(const std::string &name) {
  struct stat st{};
  return ::stat(resolveFileName(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int removeFile(const std::string &name) {
  return ::unlink(resolveFileName(name).c_str()) == 0 ? 0 : errno;
}

int renameFile(const std::string &from, const std::string &to) {
  return ::rename(resolveFileName(from).c_str(), resolveFileName(to).c_str()) == 0 ? 0 : errno;
}

int readRegularFile(const std::string &name, std::string &out, uint64_t maxBytes) {
  out.clear();
  const int fd = ::open(resolveFileName(name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return errno;
  struct stat st{};
  int err = 0;
  if (::fstat(fd, &st) != 0)
    err = errno;
  else if (!S_ISREG(st.st_mode))
    err = ENODEV;
  else if (static_cast<uint64_t>(st.st_size) > maxBytes)
    err = EFBIG;
  char buf[65536];
  while (err == 0) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      err = errno;
    if (n <= 0)
      break;
    // A file that grows while it is read is held to the same limit.
    if (out.size() + static_cast<size_t>(n) > maxBytes)
      err = EFBIG;
    else
      out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  if (err)
    out.clear();
  return err;
}

}  // namespace calixo
