#include "notepositions.h"

#include "filenames.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace hovrel {

int64_t positionKey(double dateTime) { return std::llround(dateTime * 86400000.0); }

// One line per memo: a file larger than this holds no positions of ours.
constexpr uint64_t kPositionsFileMax = 1u << 20;

int NotePositions::read(std::map<int64_t, NotePosition> &all) const {
  std::string text;
  if (const int err = calixo::readRegularFile(m_fileName, text, kPositionsFileMax))
    return err == ENOENT ? 0 : err;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    long long key;
    NotePosition p;
    if (s >> key >> p.x >> p.y)
      all[key] = p;
  }
  return 0;
}

std::optional<NotePosition> NotePositions::find(int64_t key) const {
  std::map<int64_t, NotePosition> all;
  read(all);
  auto it = all.find(key);
  if (it == all.end())
    return std::nullopt;
  return it->second;
}

bool NotePositions::store(int64_t key, NotePosition pos, std::string *why) const {
  std::map<int64_t, NotePosition> all;
  // A file that is there but not ours to read (a FIFO, a device, one far too
  // large) is never replaced by the one position we know.
  if (const int err = read(all)) {
    if (why)
      *why = m_fileName + ": " + (err == ENODEV ? "not a regular file" : std::strerror(err));
    return false;
  }
  all[key] = pos;
  std::string text;
  for (const auto &[k, p] : all)
    text += std::to_string(k) + ' ' + std::to_string(p.x) + ' ' + std::to_string(p.y) + '\n';
  const std::string tmp = m_fileName + ".tmp";
  auto fail = [&](int err) {
    if (why)
      *why = m_fileName + ": " + std::strerror(err);
    ::unlink(tmp.c_str());
    return false;
  };
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    return fail(errno);
  size_t done = 0;
  int err = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      err = n < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0 && err == 0)
    err = errno;
  if (err)
    return fail(err);
  if (::rename(tmp.c_str(), m_fileName.c_str()) != 0)
    return fail(errno);
  return true;
}

}  // namespace hovrel
