// instance: one running copy of the program per data folder. A start takes
// an exclusive lock on "calixo.lock" in its data folder (the working
// directory); the copy that holds it runs, a later start in the same folder
// finds it held, hands over to the running copy through a local socket named
// after the folder, and ends before it touches any table. Copies in other
// folders hold other locks and run side by side.
#pragma once

#include <string>

namespace calixo {

// The lock on a data folder, held as long as this object lives. It is an
// open-file-description lock: it belongs to this open file, so a second
// lock in the same process conflicts just as one in another process does,
// it is never inherited by a program the calendar starts, and it goes with
// the process however that ends.
class FolderLock {
public:
  enum class State {
    Held,          // this copy runs the folder
    HeldElsewhere, // another copy runs it
    Unavailable,   // no lock file can be made (a read-only folder): nobody can decide by lock
  };
  explicit FolderLock(const std::string &folder);
  ~FolderLock();
  FolderLock(const FolderLock &) = delete;
  FolderLock &operator=(const FolderLock &) = delete;

  State state() const { return m_state; }

  // The name under which the copy running in folder listens: the user, the
  // folder's device and inode, short enough for any socket address. Empty
  // when the folder cannot be looked at.
  static std::string serverName(const std::string &folder);

private:
  int m_fd = -1;
  State m_state = State::Unavailable;
};

}  // namespace calixo
