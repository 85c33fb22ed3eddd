#include "notepositions.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace hovrel {

int64_t positionKey(double dateTime) { return std::llround(dateTime * 86400000.0); }

std::map<int64_t, NotePosition> NotePositions::read() const {
  std::map<int64_t, NotePosition> all;
  std::ifstream in(m_fileName);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    long long key;
    NotePosition p;
    if (s >> key >> p.x >> p.y)
      all[key] = p;
  }
  return all;
}

std::optional<NotePosition> NotePositions::find(int64_t key) const {
  auto all = read();
  auto it = all.find(key);
  if (it == all.end())
    return std::nullopt;
  return it->second;
}

bool NotePositions::store(int64_t key, NotePosition pos) const {
  auto all = read();
  all[key] = pos;
  const std::string tmp = m_fileName + ".tmp";
  {
    std::ofstream out(tmp, std::ios::trunc);
    for (const auto &[k, p] : all)
      out << k << ' ' << p.x << ' ' << p.y << '\n';
    out.flush();
    if (!out)
      return false;
  }
  return std::rename(tmp.c_str(), m_fileName.c_str()) == 0;
}

}  // namespace hovrel
