// repeat-dates [--extended] FIRST LAST: where every anniversary date falls in
// the years FIRST to LAST (lunar years numbered by the Gregorian year they
// begin in), one line each:
//   YEAR,KIND,MONTH,DAY,YYYY-MM-DD
// for KIND L every lunar month 1..12 and leap month -1..-12 with days 0..30,
// for KIND G every month with days 0..31 that exist in a leap year. A date
// the table does not reach prints no line. --extended reads the extended
// lunar table as the grid does with it on. Exit status 2 for bad arguments.
#include "clock.h"
#include "repeats.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool parseYear(const char *s, int &year) {
  char *end = nullptr;
  const long v = std::strtol(s, &end, 10);
  if (*s == '\0' || *end != '\0' || v < 1 || v > 9999)
    return false;
  year = static_cast<int>(v);
  return true;
}

void print(const repeats::SREPEATDATA &r, int year, lunar::LunarTable table) {
  const auto day = repeats::occurrenceIn(r, year, table);
  if (!day)
    return;
  int y, m, d;
  calixo::dateFromDayNumber(*day, y, m, d);
  std::printf("%d,%c,%d,%d,%04d-%02d-%02d\n", year, r.Kind, r.Month, r.Day, y, m, d);
}

}  // namespace

int main(int argc, char **argv) {
  int arg = 1;
  lunar::LunarTable table = lunar::LunarTable::Classic;
  if (argc > 1 && std::string(argv[1]) == "--extended") {
    table = lunar::LunarTable::Extended;
    ++arg;
  }
  int first = 0, last = 0;
  if (argc - arg != 2 || !parseYear(argv[arg], first) || !parseYear(argv[arg + 1], last) ||
      last < first) {
    std::fprintf(stderr, "usage: repeat-dates [--extended] FIRST_YEAR LAST_YEAR\n");
    return 2;
  }
  repeats::SREPEATDATA r;
  for (int year = first; year <= last; ++year) {
    r.Kind = 'L';
    for (int month = -12; month <= 12; ++month) {
      if (month == 0)
        continue;
      r.Month = month;
      for (r.Day = 0; r.Day <= 30; ++r.Day)
        print(r, year, table);
    }
    r.Kind = 'G';
    for (r.Month = 1; r.Month <= 12; ++r.Month)
      for (r.Day = 0; r.Day <= lunar::SolarMonthLength(2000, r.Month); ++r.Day)
        print(r, year, table);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
