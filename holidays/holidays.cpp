#include "holidays.h"

#include "filenames.h"
#include "gbk.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace holidays {

namespace {

struct BuiltInDay {
  int year, month, day;
  DayKind kind;
  const char *name;
};

constexpr DayKind kOff = DayKind::Off;
constexpr DayKind kWork = DayKind::Work;

const BuiltInDay kBuiltIn[] = {
#include "holidaydays.inc"
};

int keyOf(int y, int m, int d) { return y * 10000 + m * 100 + d; }

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int monthLength(int y, int m) {
  static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leapYear(y) ? 29 : lengths[m - 1];
}

// Whether bytes is well-formed UTF-8 (no overlong forms, no surrogates).
bool validUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n;
    unsigned min;
    unsigned cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      n = 1, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3, min = 0x10000, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size())
      return false;
    for (size_t k = 1; k <= n; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80)
        return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += n + 1;
  }
  return true;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// "YYYY-MM-DD" naming a real date.
bool parseDate(std::string_view s, int &y, int &m, int &d) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-')
    return false;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (s[i] < '0' || s[i] > '9')
      return false;
  auto num = [&](size_t at, size_t len) {
    int v = 0;
    for (size_t i = at; i < at + len; ++i)
      v = v * 10 + (s[i] - '0');
    return v;
  };
  y = num(0, 4), m = num(5, 2), d = num(8, 2);
  return y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= monthLength(y, m);
}

}  // namespace

const char *KindText(DayKind kind) { return kind == DayKind::Off ? "休" : "班"; }

UserHolidays ParseHolidaysFile(std::string_view bytes, std::string_view fileName) {
  std::string text;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
    bytes.remove_prefix(3);
  text = validUtf8(bytes) ? std::string(bytes) : calixo::gbkToUtf8(bytes);

  UserHolidays out;
  std::map<int, int> seen;  // date -> line
  size_t start = 0;
  for (int lineNo = 1; start <= text.size(); ++lineNo) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    const std::string_view line = trimmed(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == '#')
      continue;
    auto bad = [&](const std::string &reason) {
      out.Errors.push_back(std::string(fileName) + " 第" + std::to_string(lineNo) + "行：" +
                           reason + "，已跳过");
    };
    const size_t c1 = line.find(',');
    const size_t c2 = c1 == std::string_view::npos ? c1 : line.find(',', c1 + 1);
    if (c2 == std::string_view::npos) {
      bad("应为 YYYY-MM-DD,休或班,名称");
      continue;
    }
    HolidayDay day;
    if (!parseDate(trimmed(line.substr(0, c1)), day.Year, day.Month, day.Day)) {
      bad("日期无效");
      continue;
    }
    const std::string_view kind = trimmed(line.substr(c1 + 1, c2 - c1 - 1));
    if (kind == "休")
      day.Kind = DayKind::Off;
    else if (kind == "班")
      day.Kind = DayKind::Work;
    else {
      bad("第二项应为休或班");
      continue;
    }
    day.Name = std::string(trimmed(line.substr(c2 + 1)));
    if (day.Name.empty() || day.Name.find(',') != std::string::npos) {
      bad("名称为空或含逗号");
      continue;
    }
    const int key = keyOf(day.Year, day.Month, day.Day);
    if (const auto it = seen.find(key); it != seen.end()) {
      bad("与第" + std::to_string(it->second) + "行日期重复");
      continue;
    }
    seen[key] = lineNo;
    out.Days.push_back(std::move(day));
  }
  return out;
}

HolidaySchedule::HolidaySchedule() {
  for (const BuiltInDay &b : kBuiltIn)
    m_days[keyOf(b.year, b.month, b.day)] = HolidayDay{b.year, b.month, b.day, b.kind, b.name};
}

void HolidaySchedule::ReplaceYears(const std::vector<HolidayDay> &days) {
  for (const HolidayDay &d : days)
    m_days.erase(m_days.lower_bound(keyOf(d.Year, 1, 1)), m_days.upper_bound(keyOf(d.Year, 12, 31)));
  for (const HolidayDay &d : days)
    m_days[keyOf(d.Year, d.Month, d.Day)] = d;
}

const HolidayDay *HolidaySchedule::Find(int year, int month, int day) const {
  const auto it = m_days.find(keyOf(year, month, day));
  return it == m_days.end() ? nullptr : &it->second;
}

std::vector<HolidayDay> HolidaySchedule::Between(int y1, int m1, int d1, int y2, int m2,
                                                 int d2) const {
  std::vector<HolidayDay> out;
  for (auto it = m_days.lower_bound(keyOf(y1, m1, d1)), end = m_days.upper_bound(keyOf(y2, m2, d2));
       it != end; ++it)
    out.push_back(it->second);
  return out;
}

HolidaySchedule LoadHolidaySchedule(const std::string &fileName, std::vector<std::string> &errors) {
  HolidaySchedule schedule;
  // Letters of the name match in any case, as for every file of the program.
  const std::string path = calixo::resolveFileName(fileName);
  if (!calixo::fileExists(path))
    return schedule;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    errors.push_back(fileName + "：无法读取（" + std::strerror(errno) + "），只用内置的节假日");
    return schedule;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  UserHolidays user = ParseHolidaysFile(bytes.str(), fileName);
  errors.insert(errors.end(), user.Errors.begin(), user.Errors.end());
  schedule.ReplaceYears(user.Days);
  return schedule;
}

}  // namespace holidays
