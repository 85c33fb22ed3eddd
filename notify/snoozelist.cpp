#include "snoozelist.h"

#include "filenames.h"
#include "filewrite.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

namespace calixo {

namespace {

constexpr int64_t kDaySeconds = 86400;

std::string escaped(const std::string &text) {
  std::string out;
  for (char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

bool unescaped(const std::string &text, std::string &out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size())
      return false;
    switch (text[i]) {
    case '\\': out += '\\'; break;
    case 'n': out += '\n'; break;
    case 'r': out += '\r'; break;
    default: return false;
    }
  }
  return true;
}

// Reads exactly the digits of a fixed-width number.
bool digits(const std::string &s, size_t at, size_t n, int &value) {
  if (at + n > s.size())
    return false;
  value = 0;
  for (size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9')
      return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

std::string errnoText(const std::string &what, int err) {
  return what + ": " + std::strerror(err);
}

}  // namespace

int64_t secondNumber(const LocalDateTime &t) {
  return dayNumber(t.year, t.month, t.day) * kDaySeconds + t.hour * 3600 + t.minute * 60 + t.second;
}

std::string SnoozeList::formatLine(const PendingSnooze &s) {
  int64_t day = s.due / kDaySeconds, second = s.due % kDaySeconds;
  if (second < 0) {
    second += kDaySeconds;
    --day;
  }
  int y = 0, m = 0, d = 0;
  dateFromDayNumber(day, y, m, d);
  char head[40];
  std::snprintf(head, sizeof head, "%04d-%02d-%02d %02d:%02d:%02d ", y, m, d,
                static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
                static_cast<int>(second % 60));
  return head + s.time + " " + escaped(s.text);
}

bool SnoozeList::parseLine(const std::string &line, PendingSnooze &out) {
  // "YYYY-MM-DD HH:MM:SS HH:MM " and the text.
  static const char kShape[] = "0000-00-00 00:00:00 00:00 ";
  constexpr size_t kHead = sizeof kShape - 1;
  if (line.size() < kHead)
    return false;
  for (size_t i = 0; i < kHead; ++i)
    if (kShape[i] != '0' && line[i] != kShape[i])
      return false;
  int y, mo, d, h, mi, s, th, tm;
  if (!digits(line, 0, 4, y) || !digits(line, 5, 2, mo) || !digits(line, 8, 2, d) ||
      !digits(line, 11, 2, h) || !digits(line, 14, 2, mi) || !digits(line, 17, 2, s) ||
      !digits(line, 20, 2, th) || !digits(line, 23, 2, tm))
    return false;
  if (y < 1 || mo < 1 || mo > 12 || h > 23 || mi > 59 || s > 59 || th > 23 || tm > 59)
    return false;
  // A date that does not exist (30 February) does not survive the round trip.
  int ry = 0, rm = 0, rd = 0;
  const int64_t day = dayNumber(y, mo, d);
  dateFromDayNumber(day, ry, rm, rd);
  if (ry != y || rm != mo || rd != d)
    return false;
  PendingSnooze p;
  p.due = day * kDaySeconds + h * 3600 + mi * 60 + s;
  p.time = line.substr(20, 5);
  if (!unescaped(line.substr(kHead), p.text))
    return false;
  out = std::move(p);
  return true;
}

std::string SnoozeList::load() {
  m_items.clear();
  m_unreadable.clear();
  std::ifstream in(resolveFileName(m_fileName), std::ios::binary);
  if (!in)
    return {};
  std::string line, bad;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty())
      continue;
    PendingSnooze s;
    if (parseLine(line, s)) {
      m_items.push_back(std::move(s));
    } else {
      m_unreadable.push_back(line);
      bad += (bad.empty() ? "" : ", ") + std::to_string(number);
    }
  }
  std::stable_sort(m_items.begin(), m_items.end(),
                   [](const PendingSnooze &a, const PendingSnooze &b) { return a.due < b.due; });
  if (bad.empty())
    return {};
  return "\"" + m_fileName + "\": line " + bad +
         " is not a snoozed reminder; it is kept in the file as it is";
}

std::string SnoozeList::add(const PendingSnooze &s) {
  m_items.insert(std::upper_bound(m_items.begin(), m_items.end(), s,
                                  [](const PendingSnooze &a, const PendingSnooze &b) { return a.due < b.due; }),
                 s);
  return save();
}

std::vector<PendingSnooze> SnoozeList::takeDue(int64_t now, std::string *error) {
  const auto end = std::find_if(m_items.begin(), m_items.end(),
                                [now](const PendingSnooze &s) { return s.due > now; });
  std::vector<PendingSnooze> due(m_items.begin(), end);
  if (due.empty())
    return due;
  m_items.erase(m_items.begin(), end);
  const std::string failed = save();
  if (error)
    *error = failed;
  return due;
}

std::string SnoozeList::save() const {
  std::string bytes;
  for (const std::string &line : m_unreadable)
    bytes += line + "\n";
  for (const PendingSnooze &s : m_items)
    bytes += formatLine(s) + "\n";
  const std::string target = resolveFileName(m_fileName);
  const std::string what = "Cannot save the snoozed reminders to \"" + m_fileName + "\"";
  if (const int err = replaceFile(target, bytes, ".tmp"))
    return errnoText(what, err);
  return {};
}

}  // namespace calixo
