// The reminders put off with 稍后提醒, kept in a small file of their own in
// the data folder so that a restart does not lose them. One line per
// reminder: when it comes due (local time), the time of day it was first for
// and its text, "2026-12-08 07:10:02 07:00 wake up". Texts are UTF-8 with
// backslash and line breaks escaped. The file is rewritten whole through a
// temporary file on every change, so a crash leaves the old or the new list,
// never half of one; lines it cannot read are reported once and kept as they
// are. Plain C++.
#pragma once

#include "clock.h"

#include <cstdint>
#include <string>
#include <vector>

namespace calixo {

// Seconds since 30 December 1899 00:00, local time: the order of due times.
int64_t secondNumber(const LocalDateTime &t);

struct PendingSnooze {
  int64_t due = 0;   // secondNumber of the moment it comes again
  std::string time;  // "HH:MM", the time of day the reminder was first for
  std::string text;  // UTF-8
};

class SnoozeList {
public:
  explicit SnoozeList(std::string fileName = "snooze.lst") : m_fileName(std::move(fileName)) {}

  // Reads the file (a missing one is an empty list). Returns "" or a message
  // naming the file and the lines it could not read.
  std::string load();
  // Keeps s and writes the file. Returns "" or why the file was not written
  // (the snooze is still kept until the program ends).
  std::string add(const PendingSnooze &s);
  // Removes and returns the reminders due at or before now, in due order,
  // and writes the file when there were any.
  std::vector<PendingSnooze> takeDue(int64_t now, std::string *error = nullptr);

  const std::vector<PendingSnooze> &items() const { return m_items; }
  const std::string &fileName() const { return m_fileName; }

  // One line of the file, without its line break, and back.
  static std::string formatLine(const PendingSnooze &s);
  static bool parseLine(const std::string &line, PendingSnooze &out);

private:
  std::string save() const;

  std::string m_fileName;
  std::vector<PendingSnooze> m_items;
  std::vector<std::string> m_unreadable;  // written back unchanged
};

}  // namespace calixo
