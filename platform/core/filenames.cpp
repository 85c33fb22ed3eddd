#include "filenames.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
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

}  // namespace calixo
