// lunar-table [--extended [--festivals] [--ganzhi]] FROM TO: one line per
// Gregorian date from FROM to TO (both YYYY-MM-DD, inclusive):
//   YYYY-MM-DD,RocYear,Month,Day,Label[,YearStemBranch,Zodiac,DayStemBranch]
// RocYear, Month and Day are the lunar date (Month negative for a leap month),
// Label the month grid's text for that day, in UTF-8. The classic table covers
// 1912-02-18 to 2011-12-31; with --extended its extension is read too, to
// 2100-12-31. --festivals gives the label the grid shows with festivals on:
// the day's lunar festival, else its Gregorian festival, else its solar
// term, else the ordinary label. The grid shows festivals only with the
// extended table, so --festivals without --extended is refused. --ganzhi
// appends the lunar year's stem-branch and zodiac animal (they change at
// 正月初一) and the day's stem-branch, as the grid's hover text gives them.
// lunar-table --holidays FROM TO: one line per day off or make-up working day
// from FROM to TO (any dates), as the grid marks them: the built-in schedule
// with holidays.txt of the current directory applied (its bad lines are
// reported on stderr):
//   YYYY-MM-DD,休|班,Name
// Exit status: 0 on success, 2 for a bad argument or a date the table does not
// cover, 1 when the output cannot be written.
#include "holidays.h"
#include "lunar.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct SolarDate {
  int year = 0, month = 0, day = 0;

  auto operator<=>(const SolarDate &) const = default;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int digits(std::string_view s) {
  int v = 0;
  for (char c : s)
    v = v * 10 + (c - '0');
  return v;
}

// Exactly YYYY-MM-DD naming a real date.
std::optional<SolarDate> parseDate(std::string_view s) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-')
    return std::nullopt;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (!isDigit(s[i]))
      return std::nullopt;
  SolarDate d{digits(s.substr(0, 4)), digits(s.substr(5, 2)), digits(s.substr(8, 2))};
  if (d.day < 1 || d.day > lunar::SolarMonthLength(d.year, d.month))
    return std::nullopt;
  return d;
}

SolarDate nextDay(SolarDate d) {
  if (++d.day > lunar::SolarMonthLength(d.year, d.month)) {
    d.day = 1;
    if (++d.month > 12) {
      d.month = 1;
      ++d.year;
    }
  }
  return d;
}

lunar::LunarTable g_table = lunar::LunarTable::Classic;
bool g_festivals = false;
bool g_ganzhi = false;

std::optional<lunar::LunarDate> toLunar(SolarDate d) {
  return lunar::SolarToLunar(d.year - 1911, d.month, d.day, g_table);
}

const char *lastDate() {
  return g_table == lunar::LunarTable::Extended ? "2100-12-31" : "2011-12-31";
}

int usage() {
  std::fputs("usage: lunar-table [--extended [--festivals] [--ganzhi]] FROM TO   (dates as\n"
             "       YYYY-MM-DD, inclusive, from 1912-02-18 to 2011-12-31, or to 2100-12-31\n"
             "       with --extended; --festivals labels festivals and solar terms,\n"
             "       --ganzhi adds the year's stem-branch, zodiac and the day's stem-branch)\n"
             "       lunar-table --holidays FROM TO   (the days off and make-up working days)\n",
             stderr);
  return 2;
}

// The label of a day whose lunar date is l.
std::string label(SolarDate d, const lunar::LunarDate &l) {
  if (!g_festivals)
    return lunar::LunarLabel(l);
  // 除夕 needs the next day, which the table may not hold (after 2100-12-31).
  const lunar::LunarDate next =
      lunar::LunarDateOfNextDay(d.year, d.month, d.day, g_table).value_or(lunar::LunarDate{});
  return lunar::FestivalModeLabel(d.year, d.month, d.day, l, next).text;
}

// ",丙午,马,丙辰" with --ganzhi, else "".
std::string ganzhiColumns(SolarDate d, const lunar::LunarDate &l) {
  if (!g_ganzhi)
    return {};
  return "," + lunar::StemBranchName(lunar::YearStemBranch(l.year)) + "," +
         lunar::ZodiacName(l.year) + "," +
         lunar::StemBranchName(lunar::DayStemBranch(d.year, d.month, d.day));
}

// Parses one argument; prints the reason and returns nullopt when it is not
// a date the table covers.
std::optional<SolarDate> argumentDate(const char *name, const char *arg) {
  const std::optional<SolarDate> d = parseDate(arg);
  if (!d) {
    std::fprintf(stderr, "lunar-table: %s \"%s\" is not a date of the form YYYY-MM-DD\n", name, arg);
    return std::nullopt;
  }
  if (!toLunar(*d)) {
    std::fprintf(stderr, "lunar-table: %s %s is outside the lunar table (1912-02-18 to %s)\n",
                 name, arg, lastDate());
    return std::nullopt;
  }
  return d;
}

int printHolidays(const char *fromArg, const char *toArg) {
  const std::optional<SolarDate> from = parseDate(fromArg), to = parseDate(toArg);
  if (!from || !to) {
    std::fprintf(stderr, "lunar-table: \"%s\" is not a date of the form YYYY-MM-DD\n",
                 from ? toArg : fromArg);
    return 2;
  }
  if (*to < *from) {
    std::fprintf(stderr, "lunar-table: FROM %s is after TO %s\n", fromArg, toArg);
    return 2;
  }
  std::vector<std::string> errors;
  const holidays::HolidaySchedule schedule = holidays::LoadHolidaySchedule("holidays.txt", errors);
  for (const std::string &e : errors)
    std::fprintf(stderr, "lunar-table: %s\n", e.c_str());
  for (const holidays::HolidayDay &d :
       schedule.Between(from->year, from->month, from->day, to->year, to->month, to->day))
    std::printf("%04d-%02d-%02d,%s,%s\n", d.Year, d.Month, d.Day, holidays::KindText(d.Kind),
                d.Name.c_str());
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("lunar-table: cannot write the output\n", stderr);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 4 && std::string_view(argv[1]) == "--holidays")
    return printHolidays(argv[2], argv[3]);
  if (argc >= 4 && std::string_view(argv[1]) == "--extended") {
    g_table = lunar::LunarTable::Extended;
    --argc;
    ++argv;
    if (argc >= 4 && std::string_view(argv[1]) == "--festivals") {
      g_festivals = true;
      --argc;
      ++argv;
    }
    if (argc >= 4 && std::string_view(argv[1]) == "--ganzhi") {
      g_ganzhi = true;
      --argc;
      ++argv;
    }
  } else if (argc >= 2 && (std::string_view(argv[1]) == "--festivals" ||
                           std::string_view(argv[1]) == "--ganzhi")) {
    std::fprintf(stderr,
                 "lunar-table: %s needs --extended (written before it): the grid shows\n"
                 "festivals and the hover text only with the extended table\n",
                 argv[1]);
    return 2;
  }
  if (argc != 3)
    return usage();
  const std::optional<SolarDate> from = argumentDate("FROM", argv[1]);
  const std::optional<SolarDate> to = argumentDate("TO", argv[2]);
  if (!from || !to)
    return 2;
  if (*to < *from) {
    std::fprintf(stderr, "lunar-table: FROM %s is after TO %s\n", argv[1], argv[2]);
    return 2;
  }
  for (SolarDate d = *from; d <= *to; d = nextDay(d)) {
    const std::optional<lunar::LunarDate> l = toLunar(d);
    if (!l) {
      // Every date between two covered dates is covered; this is a broken table.
      std::fprintf(stderr, "lunar-table: %04d-%02d-%02d could not be converted\n", d.year,
                   d.month, d.day);
      return 1;
    }
    std::printf("%04d-%02d-%02d,%d,%d,%d,%s%s\n", d.year, d.month, d.day, l->year, l->month,
                l->day, label(d, *l).c_str(), ganzhiColumns(d, *l).c_str());
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("lunar-table: cannot write the output\n", stderr);
    return 1;
  }
  return 0;
}
