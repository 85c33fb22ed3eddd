#include "agenda.h"

#include "calixoini.h"
#include "clock.h"
#include "filenames.h"
#include "gbk.h"
#include "lunar.h"
#include "repeats.h"
#include "repeattable.h"
#include "timehistory.h"
#include "timetable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace repeats {

namespace {

constexpr const char *kUsage =
    "usage: calixo --agenda FROM TO\n"
    "  prints the plans and anniversaries of the days FROM to TO (YYYY-MM-DD, FROM not after TO)\n";

// YYYY-MM-DD of a real date, years 1 to 9999.
std::optional<int64_t> parseDate(const std::string &s) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-')
    return std::nullopt;
  for (size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
    if (s[i] < '0' || s[i] > '9')
      return std::nullopt;
  const int y = std::stoi(s.substr(0, 4)), m = std::stoi(s.substr(5, 2)), d = std::stoi(s.substr(8, 2));
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > lunar::SolarMonthLength(y, m))
    return std::nullopt;
  return calixo::dayNumber(y, m, d);
}

struct Line {
  int64_t day;
  int minute;
  std::string kind, text;
};

std::string dateText(int64_t day) {
  int y, m, d;
  calixo::dateFromDayNumber(day, y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

// Texts go out on one line each: a tab or a line break inside would split it.
std::string oneLine(std::string s) {
  for (char &c : s)
    if (c == '\t' || c == '\n' || c == '\r')
      c = ' ';
  return s;
}

// The plans of a time table, or of its archive of past months, which has the
// same fields.
void readPlans(const char *file, int64_t first, int64_t last, std::vector<Line> &lines) {
  if (!calixo::fileExists(file))
    return;
  dbf::TDbfDataSet table("DbfDataSetTIMELIST");
  table.SetTableName(calixo::resolveFileName(file));
  table.Open();
  const int count = table.RecordCount();
  for (int n = 1; n <= count; ++n) {
    table.GotoPhysical(n);
    if (table.CurrentDeleted())
      continue;
    const int64_t day = std::llround(table.FloatGet("DATE"));
    if (day < first || day > last)
      continue;
    int32_t h, m, s;
    splitTimeFraction(table.FloatGet("TIME"), h, m, s);
    const char *kind = table.IntegerGet("RUN") == 1   ? "运行"
                       : table.IntegerGet("SET") == 1 ? "闹钟"
                                                      : "计划";
    lines.push_back({day, h * 60 + m, kind, calixo::gbkToUtf8(table.StringGet("DO"))});
  }
  table.Close();
}

void readAnniversaries(int64_t first, int64_t last, std::vector<Line> &lines) {
  if (!calixo::fileExists(kRepeatTableFile))
    return;
  TCalixoini ini;
  ini.FileName = calixo::resolveFileName(ini.FileName);
  const auto table = ini.LunarExtended() ? lunar::LunarTable::Extended : lunar::LunarTable::Classic;
  TRepeatTable repeats;
  repeats.Open();
  const std::vector<SREPEATDATA> &items = repeats.Items();
  for (const SOccurrence &o : occurrencesBetween(items, first, last, table)) {
    const SREPEATDATA &r = items[o.Index];
    lines.push_back({o.DayNumber, r.Hour * 60 + r.Minute, "纪念日", calixo::gbkToUtf8(r.Text)});
  }
}

}  // namespace

int runAgenda(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
  if (args.size() != 2) {
    err << kUsage;
    return 2;
  }
  const std::optional<int64_t> first = parseDate(args[0]), last = parseDate(args[1]);
  if (!first || !last || *last < *first) {
    err << "calixo --agenda: " << (!first ? "\"" + args[0] + "\" is not a date"
                                : !last  ? "\"" + args[1] + "\" is not a date"
                                         : std::string("TO is before FROM"))
        << "\n"
        << kUsage;
    return 2;
  }
  std::vector<Line> lines;
  for (const char *file : {kTimeTableFile, kHistoryFile}) {
    try {
      readPlans(file, *first, *last, lines);
    } catch (const std::exception &e) {
      err << "calixo --agenda: " << calixo::resolveFileName(file) << ": " << e.what() << "\n";
      return 1;
    }
  }
  try {
    readAnniversaries(*first, *last, lines);
  } catch (const std::exception &e) {
    err << "calixo --agenda: " << e.what() << "\n";
    return 1;
  }
  // Plans before anniversaries at the same minute, each in file order.
  std::stable_sort(lines.begin(), lines.end(), [](const Line &a, const Line &b) {
    return a.day != b.day ? a.day < b.day : a.minute < b.minute;
  });
  for (const Line &l : lines) {
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d", l.minute / 60, l.minute % 60);
    out << dateText(l.day) << '\t' << time << '\t' << l.kind << '\t' << oneLine(l.text) << '\n';
  }
  return 0;
}

}  // namespace repeats
