#include "openfiles.h"

#include <cerrno>
#include <map>
#include <utility>

namespace dbf {
namespace {

using Key = std::pair<const FileSystem *, std::string>;

std::mutex &registryMutex() {
  static std::mutex m;
  return m;
}

std::map<Key, std::weak_ptr<SharedFile>> &registry() {
  static std::map<Key, std::weak_ptr<SharedFile>> r;
  return r;
}

}  // namespace

SharedFile::~SharedFile() {
  std::lock_guard g(registryMutex());
  auto it = registry().find({&m_fs, m_key});
  if (it != registry().end() && it->second.expired())
    registry().erase(it);
}

int SharedFile::readAt(uint64_t off, void *buf, size_t n, size_t &got) {
  std::lock_guard g(m_mutex);
  return m_file->readAt(off, buf, n, got);
}

int SharedFile::writeAt(uint64_t off, const void *buf, size_t n) {
  std::lock_guard g(m_mutex);
  return m_file->writeAt(off, buf, n);
}

int SharedFile::size(uint64_t &out) {
  std::lock_guard g(m_mutex);
  return m_file->size(out);
}

int SharedFile::truncate(uint64_t length) {
  std::lock_guard g(m_mutex);
  return m_file->truncate(length);
}

int SharedFile::sync() {
  std::lock_guard g(m_mutex);
  return m_file->sync();
}

int SharedFile::identity(FileId &out) {
  std::lock_guard g(m_mutex);
  return m_file->identity(out);
}

int SharedFile::lock(const void *owner, uint64_t off, uint64_t len) {
  std::lock_guard g(m_mutex);
  for (const auto &h : m_held)
    if (h.owner != owner && off < h.off + h.len && h.off < off + len)
      return EAGAIN;
  if (int e = m_file->lock(off, len))
    return e;
  m_held.push_back({owner, off, len});
  return 0;
}

int SharedFile::unlock(const void *owner, uint64_t off, uint64_t len) {
  std::lock_guard g(m_mutex);
  for (auto it = m_held.begin(); it != m_held.end(); ++it) {
    if (it->owner == owner && it->off == off && it->len == len) {
      m_held.erase(it);
      return m_file->unlock(off, len);
    }
  }
  return 0;
}

std::shared_ptr<SharedFile> openShared(FileSystem &fs, const std::string &path, int &err) {
  const Key key{&fs, fs.absolute(path)};
  std::lock_guard g(registryMutex());
  auto &slot = registry()[key];
  if (auto existing = slot.lock()) {
    // A handle whose file was replaced under its name stays with the tables
    // that still use it; a new open gets the file the name stands for now.
    FileId now{}, open{};
    if (fs.identityOf(path, now) != 0 || existing->identity(open) != 0 || now == open) {
      err = 0;
      return existing;
    }
  }
  auto file = fs.open(path, FileSystem::Mode::OpenExisting, err);
  bool readOnly = false;
  if (!file && (err == EACCES || err == EPERM || err == EROFS)) {
    int roErr = 0;
    file = fs.open(path, FileSystem::Mode::ReadOnly, roErr);
    readOnly = file != nullptr;
  }
  if (!file) {
    if (slot.expired())
      registry().erase(key);
    return nullptr;
  }
  auto shared = std::make_shared<SharedFile>(fs, key.second, std::move(file), readOnly);
  slot = shared;
  return shared;
}

bool isOpenInProcess(FileSystem &fs, const std::string &path) {
  std::lock_guard g(registryMutex());
  auto it = registry().find({&fs, fs.absolute(path)});
  return it != registry().end() && !it->second.expired();
}

void TableLock::attach(std::shared_ptr<SharedFile> file, bool shared) {
  releaseAll();
  m_file = std::move(file);
  m_shared = shared;
}

void TableLock::detach() {
  releaseAll();
  m_file.reset();
}

TableLock::Result TableLock::acquire(uint64_t off, uint64_t len, int &err) {
  err = 0;
  if (m_depth > 0) {
    if (off != m_off || len != m_len) {
      err = 33;
      return OtherRegionHeld;
    }
    ++m_depth;
    return Locked;
  }
  if (m_shared && m_file) {
    if (int e = m_file->lock(m_owner, off, len)) {
      err = e;
      return Busy;
    }
  }
  m_off = off;
  m_len = len;
  m_depth = 1;
  return Locked;
}

bool TableLock::moveTo(std::shared_ptr<SharedFile> file, int &err) {
  err = 0;
  const int depth = m_depth;
  const uint64_t off = m_off, len = m_len;
  releaseAll();
  m_file = std::move(file);
  if (depth == 0)
    return true;
  if (acquire(off, len, err) != Locked)
    return false;
  m_depth = depth;
  return true;
}

void TableLock::release() {
  if (m_depth == 0)
    return;
  if (--m_depth == 0 && m_shared && m_file)
    m_file->unlock(m_owner, m_off, m_len);
}

void TableLock::releaseAll() {
  if (m_depth > 0) {
    m_depth = 1;
    release();
  }
}

}  // namespace dbf
