#include "fileio.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <strings.h>

namespace dbf {

namespace {
uint64_t nextSerial() {
  static std::atomic<uint64_t> counter{0};
  return ++counter;
}
}  // namespace

struct MemoryFileSystem::Node {
  struct Range {
    const void *owner;
    uint64_t off, len;
  };
  // Every file made gets a number of its own, as files get inodes.
  uint64_t serial = nextSerial();
  std::mutex mutex;
  std::string data;
  std::vector<Range> locks;
  bool readOnly = false;
};

class MemoryFile final : public File {
public:
  MemoryFile(MemoryFileSystem &fs, std::string name, std::shared_ptr<MemoryFileSystem::Node> node,
             bool readOnly)
      : m_fs(fs), m_name(std::move(name)), m_node(std::move(node)), m_readOnly(readOnly) {}
  ~MemoryFile() override { close(); }

  int readAt(uint64_t off, void *buf, size_t n, size_t &got) override {
    got = 0;
    if (int e = check(MemoryFileSystem::Op::Read))
      return e;
    std::lock_guard g(m_node->mutex);
    if (off < m_node->data.size()) {
      got = static_cast<size_t>(std::min<uint64_t>(n, m_node->data.size() - off));
      std::memcpy(buf, m_node->data.data() + off, got);
    }
    return 0;
  }

  int writeAt(uint64_t off, const void *buf, size_t n) override {
    if (int e = check(MemoryFileSystem::Op::Write))
      return e;
    if (m_readOnly)
      return EBADF;
    if (n == 0)
      return 0;
    std::lock_guard g(m_node->mutex);
    const uint64_t size = m_node->data.size();
    int err = 0;
    if (m_fs.freeBytes >= 0 && off + n > size + static_cast<uint64_t>(m_fs.freeBytes)) {
      // A full disk takes what fits and refuses the rest.
      const uint64_t room = size + static_cast<uint64_t>(m_fs.freeBytes);
      n = off < room ? static_cast<size_t>(room - off) : 0;
      err = ENOSPC;
    }
    if (n == 0)
      return err;
    if (off + n > size) {
      if (m_fs.freeBytes >= 0)
        m_fs.freeBytes -= static_cast<int64_t>(off + n - size);
      m_node->data.resize(off + n, '\0');
    }
    std::memcpy(m_node->data.data() + off, buf, n);
    return err;
  }

  int size(uint64_t &out) override {
    if (int e = check(MemoryFileSystem::Op::Size))
      return e;
    std::lock_guard g(m_node->mutex);
    out = m_node->data.size();
    return 0;
  }

  int truncate(uint64_t length) override {
    if (int e = check(MemoryFileSystem::Op::Truncate))
      return e;
    if (m_readOnly)
      return EBADF;
    std::lock_guard g(m_node->mutex);
    if (m_fs.freeBytes >= 0)
      m_fs.freeBytes += static_cast<int64_t>(m_node->data.size()) - static_cast<int64_t>(length);
    m_node->data.resize(length, '\0');
    return 0;
  }

  int sync() override { return check(MemoryFileSystem::Op::Sync); }

  int lock(uint64_t off, uint64_t len) override {
    if (int e = check(MemoryFileSystem::Op::Lock))
      return e;
    std::lock_guard g(m_node->mutex);
    for (const auto &r : m_node->locks)
      if (r.owner != this && off < r.off + r.len && r.off < off + len)
        return EAGAIN;
    m_node->locks.push_back({this, off, len});
    return 0;
  }

  int unlock(uint64_t off, uint64_t len) override {
    if (int e = check(MemoryFileSystem::Op::Unlock))
      return e;
    std::lock_guard g(m_node->mutex);
    auto &l = m_node->locks;
    l.erase(std::remove_if(l.begin(), l.end(),
                           [&](const auto &r) { return r.owner == this && r.off == off && r.len == len; }),
            l.end());
    return 0;
  }

  int identity(FileId &out) override {
    if (!m_node)
      return EBADF;
    out = {0, m_node->serial};
    return 0;
  }

  int close() override {
    if (!m_node)
      return 0;
    const int e = m_fs.fail(MemoryFileSystem::Op::Close, m_name);
    {
      std::lock_guard g(m_node->mutex);
      auto &l = m_node->locks;
      l.erase(std::remove_if(l.begin(), l.end(), [&](const auto &r) { return r.owner == this; }), l.end());
    }
    m_node.reset();
    return e;
  }

private:
  int check(MemoryFileSystem::Op op) {
    if (!m_node)
      return EBADF;
    return m_fs.fail(op, m_name);
  }

  MemoryFileSystem &m_fs;
  std::string m_name;
  std::shared_ptr<MemoryFileSystem::Node> m_node;
  bool m_readOnly;
};

int MemoryFileSystem::fail(Op op, const std::string &name) {
  return failHook ? failHook(op, name) : 0;
}

std::string MemoryFileSystem::resolve(const std::string &name) {
  std::lock_guard g(m_mutex);
  if (m_files.count(name))
    return name;
  for (const auto &[n, node] : m_files)
    if (::strcasecmp(n.c_str(), name.c_str()) == 0)
      return n;
  return name;
}

std::unique_ptr<File> MemoryFileSystem::open(const std::string &name, Mode mode, int &err) {
  const std::string path = resolve(name);
  err = fail(mode == Mode::CreateTruncate ? Op::Create : Op::Open, path);
  if (err)
    return nullptr;
  std::lock_guard g(m_mutex);
  auto it = m_files.find(path);
  if (it == m_files.end()) {
    if (mode != Mode::CreateTruncate) {
      err = ENOENT;
      return nullptr;
    }
    it = m_files.emplace(path, std::make_shared<Node>()).first;
  } else if (mode != Mode::ReadOnly && it->second->readOnly) {
    err = EACCES;
    return nullptr;
  } else if (mode == Mode::CreateTruncate) {
    std::lock_guard n(it->second->mutex);
    if (freeBytes >= 0)
      freeBytes += static_cast<int64_t>(it->second->data.size());
    it->second->data.clear();
  }
  return std::make_unique<MemoryFile>(*this, path, it->second, mode == Mode::ReadOnly);
}

bool MemoryFileSystem::exists(const std::string &name) {
  const std::string path = resolve(name);
  std::lock_guard g(m_mutex);
  return m_files.count(path) != 0;
}

int MemoryFileSystem::identityOf(const std::string &name, FileId &out) {
  const std::string path = resolve(name);
  std::lock_guard g(m_mutex);
  auto it = m_files.find(path);
  if (it == m_files.end())
    return ENOENT;
  out = {0, it->second->serial};
  return 0;
}

int MemoryFileSystem::remove(const std::string &name) {
  const std::string path = resolve(name);
  if (int e = fail(Op::Remove, path))
    return e;
  std::lock_guard g(m_mutex);
  return m_files.erase(path) ? 0 : ENOENT;
}

int MemoryFileSystem::rename(const std::string &from, const std::string &to) {
  const std::string src = resolve(from);
  const std::string dst = resolve(to);
  if (int e = fail(Op::Rename, src))
    return e;
  std::lock_guard g(m_mutex);
  auto it = m_files.find(src);
  if (it == m_files.end())
    return ENOENT;
  auto node = it->second;
  m_files.erase(it);
  m_files[dst] = node;
  return 0;
}

std::string MemoryFileSystem::contents(const std::string &name) {
  const std::string path = resolve(name);
  std::lock_guard g(m_mutex);
  auto it = m_files.find(path);
  if (it == m_files.end())
    return {};
  std::lock_guard n(it->second->mutex);
  return it->second->data;
}

void MemoryFileSystem::setContents(const std::string &name, const std::string &bytes) {
  const std::string path = resolve(name);
  std::lock_guard g(m_mutex);
  auto &node = m_files[path];
  if (!node)
    node = std::make_shared<Node>();
  std::lock_guard n(node->mutex);
  node->data = bytes;
}

void MemoryFileSystem::setReadOnly(const std::string &name, bool readOnly) {
  const std::string path = resolve(name);
  std::lock_guard g(m_mutex);
  if (auto it = m_files.find(path); it != m_files.end())
    it->second->readOnly = readOnly;
}

std::vector<std::string> MemoryFileSystem::names() {
  std::lock_guard g(m_mutex);
  std::vector<std::string> out;
  for (const auto &[n, node] : m_files)
    out.push_back(n);
  return out;
}

}  // namespace dbf
