#include "scratchtable.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <strings.h>

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

namespace calixo {
namespace {

// The process id in a scratch table's file name, 0 when the name is not one.
long scratchOwner(const char *name) {
  if (::strncasecmp(name, "pp", 2) != 0 || !std::isdigit(static_cast<unsigned char>(name[2])))
    return 0;
  char *end = nullptr;
  const long pid = std::strtol(name + 2, &end, 10);
  return ::strcasecmp(end, ".dbf") == 0 ? pid : 0;
}

}  // namespace

std::string scratchTableName() { return "pp" + std::to_string(::getpid()); }

void removeLeftScratchTables() {
  DIR *dir = ::opendir(".");
  if (!dir)
    return;
  while (const dirent *e = ::readdir(dir)) {
    const long pid = scratchOwner(e->d_name);
    if (pid <= 0 || pid == ::getpid())
      continue;
    // EPERM: the process runs as another user; only a process that is gone
    // leaves its scratch table to be removed.
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      ::unlink(e->d_name);
  }
  ::closedir(dir);
}

}  // namespace calixo
