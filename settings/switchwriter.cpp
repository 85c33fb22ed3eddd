#include "switchwriter.h"

#include "calixoini.h"
#include "filenames.h"
#include "filewrite.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <strings.h>

namespace calixo {

namespace {

struct Line {
  std::string text;  // with its line end, if it has one
  std::string section;
  std::string key;
  bool header = false;
};

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && blank(s[b]))
    ++b;
  while (e > b && (blank(s[e - 1]) || s[e - 1] == '\r' || s[e - 1] == '\n'))
    --e;
  return std::string(s.substr(b, e - b));
}

bool sameName(const std::string &a, const std::string &b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

// Lines as the reader sees them: a header's name ends at the first ']' that
// is not the second byte of a GBK character; '=' is never such a byte.
std::vector<Line> splitLines(std::string_view file) {
  std::vector<Line> lines;
  std::string section;
  size_t pos = 0;
  while (pos < file.size()) {
    const size_t nl = file.find('\n', pos);
    const size_t end = nl == std::string_view::npos ? file.size() : nl + 1;
    Line line;
    line.text = std::string(file.substr(pos, end - pos));
    const std::string t = trimmed(line.text);
    if (!t.empty() && t[0] == '[') {
      size_t i = 1;
      std::string name;
      while (i < t.size() && t[i] != ']') {
        const auto c = static_cast<unsigned char>(t[i]);
        const size_t n = c >= 0x81 && c <= 0xFE && i + 1 < t.size() ? 2 : 1;
        name.append(t, i, n);
        i += n;
      }
      section = trimmed(name);
      line.header = true;
    } else if (!t.empty() && t[0] != ';') {
      const size_t eq = t.find('=');
      if (eq != std::string::npos)
        line.key = trimmed(std::string_view(t).substr(0, eq));
    }
    line.section = section;
    lines.push_back(std::move(line));
    pos = end;
  }
  return lines;
}

void endLine(std::string &text) {
  if (!text.empty() && text.back() != '\n')
    text += "\r\n";
}

void apply(std::vector<Line> &lines, const SSwitchValue &v) {
  // A value is one line: a line end in it would make a key of its own.
  std::string value = v.Value;
  std::erase_if(value, [](char c) { return c == '\r' || c == '\n'; });
  const std::string entry = v.Key + "=" + value;
  // The reader takes the first match in file order: that line is the one to change.
  for (Line &l : lines)
    if (!l.header && sameName(l.section, v.Section) && sameName(l.key, v.Key)) {
      std::string ending = "\r\n";
      if (l.text.empty() || l.text.back() != '\n')
        ending.clear();
      else if (l.text.size() < 2 || l.text[l.text.size() - 2] != '\r')
        ending = "\n";
      l.text = entry + ending;
      return;
    }
  // After the last line of the section that is not blank.
  int after = -1;
  for (size_t i = 0; i < lines.size(); ++i)
    if (sameName(lines[i].section, v.Section) && (lines[i].header || !trimmed(lines[i].text).empty()))
      after = static_cast<int>(i);
  Line added;
  added.section = v.Section;
  added.key = v.Key;
  added.text = entry + "\r\n";
  if (after >= 0) {
    endLine(lines[static_cast<size_t>(after)].text);
    lines.insert(lines.begin() + after + 1, std::move(added));
    return;
  }
  if (!lines.empty())
    endLine(lines.back().text);
  Line header;
  header.header = true;
  header.section = v.Section;
  header.text = "[" + v.Section + "]\r\n";
  lines.push_back(std::move(header));
  lines.push_back(std::move(added));
}

}  // namespace

std::string WithSwitchValues(std::string_view file, const std::vector<SSwitchValue> &values) {
  std::vector<Line> lines = splitLines(file.empty() ? TCalixoini::DefaultTemplate() : file);
  for (const SSwitchValue &v : values)
    apply(lines, v);
  std::string out;
  for (const Line &l : lines)
    out += l.text;
  return out;
}

bool WriteSwitchValues(const std::string &fileName, const std::vector<SSwitchValue> &values,
                       std::string &error) {
  const std::string path = resolveFileName(fileName);
  std::string old;
  if (fileExists(path)) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      error = fileName + ": cannot be read (" + std::strerror(errno) + ")";
      return false;
    }
    old.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
      error = fileName + ": cannot be read";
      return false;
    }
  }
  const std::string bytes = WithSwitchValues(old, values);
  if (const int e = replaceFile(path, bytes, ".new"); e != 0) {
    error = fileName + ": cannot be replaced (" + std::strerror(e) + ")";
    return false;
  }
  return true;
}

}  // namespace calixo
