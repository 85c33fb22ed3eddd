#include "ini.h"

#include "filenames.h"
#include "gbk.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calixo {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i]))
      return false;
  }
  return true;
}

bool isGbkLead(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x81 && u <= 0xFE;
}

// The name of a "[name]" header line (line starts at its '['). The closing
// bracket is searched character by character, so a two-byte character whose
// second byte is ']' does not end the name; without one the name runs to the
// end of the line.
std::string_view sectionName(std::string_view line) {
  size_t i = 1;
  while (i < line.size() && line[i] != ']')
    i += (isGbkLead(line[i]) && i + 1 < line.size()) ? 2 : 1;
  return trimmed(line.substr(1, (i < line.size() ? i : line.size()) - 1));
}

std::string_view unquoted(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

std::string limited(std::string_view v) { return std::string(cutGbk(v, kProfileValueMax)); }

// The whole file, or false when it is not a readable regular file no longer
// than a settings file can be (a FIFO is refused without blocking).
bool readWholeFile(const std::string &name, std::string &out) {
  return readRegularFile(name, out, kSettingsFileMax) == 0;
}

}  // namespace

std::string profileStringFromText(std::string_view text, std::string_view section,
                                  std::string_view key, std::string_view defaultValue) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    text.remove_prefix(3);
  // '\r', '\n', '=' and ';' are below 0x40 and so never the second byte of a
  // GBK character: splitting on them is safe on raw bytes.
  bool inSection = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos)
      end = text.size();
    const std::string_view line = trimmed(text.substr(pos, end - pos));
    pos = end + 1;
    if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n')
      ++pos;

    if (line.empty() || line.front() == ';')
      continue;
    if (line.front() == '[') {
      inSection = sameName(sectionName(line), section);
      continue;
    }
    if (!inSection)
      continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos)
      continue;
    const std::string_view name = trimmed(line.substr(0, eq));
    if (name.empty() || !sameName(name, key))
      continue;
    return limited(unquoted(trimmed(line.substr(eq + 1))));
  }
  return limited(defaultValue);
}

std::string ReadProfileString(const std::string &section, const std::string &key,
                              const std::string &defaultValue, const std::string &fileName) {
  std::string text;
  if (!readWholeFile(resolveFileName(fileName), text))
    return limited(defaultValue);
  return profileStringFromText(text, section, key, defaultValue);
}

}  // namespace calixo
