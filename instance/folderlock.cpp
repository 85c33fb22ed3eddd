#include "folderlock.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calixo {

FolderLock::FolderLock(const std::string &folder) {
  const std::string path = folder + "/calixo.lock";
  // O_CLOEXEC: a program the calendar opens for a run entry must not keep
  // the folder locked after the calendar has ended.
  m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (m_fd < 0) {
    m_state = State::Unavailable;
    return;
  }
  struct stat st{};
  if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(m_fd);
    m_fd = -1;
    m_state = State::Unavailable;
    return;
  }
  struct flock fl{};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 0;
  if (::fcntl(m_fd, F_OFD_SETLK, &fl) == 0) {
    m_state = State::Held;
    return;
  }
  m_state = errno == EAGAIN || errno == EACCES ? State::HeldElsewhere : State::Unavailable;
  ::close(m_fd);
  m_fd = -1;
}

FolderLock::~FolderLock() {
  if (m_fd >= 0)
    ::close(m_fd);
}

std::string FolderLock::serverName(const std::string &folder) {
  struct stat st{};
  if (::stat(folder.c_str(), &st) != 0)
    return {};
  char name[96];
  std::snprintf(name, sizeof name, "calixo-%lx-%llx-%llx", static_cast<unsigned long>(::getuid()),
                static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino));
  return name;
}

}  // namespace calixo
