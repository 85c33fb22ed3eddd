// Where each note was left, so that it reopens there: one line per memo in a
// small text file of the library's own in the working folder, keyed by the
// memo's creation time in milliseconds ("<key> <x> <y>"). Plain C++.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace hovrel {

struct NotePosition {
  int x = 0, y = 0;
};

// The key of a memo: its creation time rounded to the millisecond, which
// survives the round trip through the table's fixed-point text.
int64_t positionKey(double dateTime);

class NotePositions {
public:
  explicit NotePositions(std::string fileName = "hovrel.pos") : m_fileName(std::move(fileName)) {}

  // Reads the file; a missing file, a malformed line, or something that is
  // not a plain file of a sane size is simply no position.
  std::optional<NotePosition> find(int64_t key) const;
  // Stores the position, rewriting the file through a temporary one so that
  // a crash never leaves it half written. False when it cannot be written;
  // why then receives the file and the reason ("hovrel.pos: No space left
  // on device"), and the file keeps what it held.
  bool store(int64_t key, NotePosition pos, std::string *why = nullptr) const;

  const std::string &fileName() const { return m_fileName; }

private:
  // 0, or the errno of a file that exists but cannot be read as ours.
  int read(std::map<int64_t, NotePosition> &all) const;
  std::string m_fileName;
};

}  // namespace hovrel
