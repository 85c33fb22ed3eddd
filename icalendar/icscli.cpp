#include "icscli.h"

#include "clock.h"
#include "filenames.h"
#include "filewrite.h"
#include "icsformat.h"
#include "icstable.h"
#include "lunar.h"
#include "repeattable.h"
#include "timehistory.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace calixo::ics {

namespace {

bool lunarOf(const Date &d, LunarDate &out) {
  const auto l = lunar::SolarToLunar(d.year - 1911, d.month, d.day, lunar::LunarTable::Extended);
  if (!l)
    return false;
  out.month = l->month;
  out.day = l->day;
  return true;
}

bool readWhole(const std::string &path, std::string &out, std::string &error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    error = "不是普通文件";
    return false;
  }
  // Calendars of a lifetime of plans stay far below this.
  if (st.st_size > 64 * 1024 * 1024) {
    ::close(fd);
    error = "文件太大";
    return false;
  }
  out.clear();
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      error = std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (n == 0)
      break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

// Written beside the target and renamed over it, so that a failed export
// never leaves half a calendar where a whole one was.
bool writeWhole(const std::string &path, const std::string &text, std::string &error) {
  if (const int err = calixo::replaceFile(path, text)) {
    error = std::strerror(err);
    return false;
  }
  return true;
}

// The anniversaries of the data folder, with the dates of each lunar one from
// this year to the table's last. A folder without the table has none.
std::vector<AnniversaryRecord> readAnniversaries(int thisYear) {
  std::vector<AnniversaryRecord> out;
  if (!calixo::fileExists(repeats::kRepeatTableFile))
    return out;
  repeats::TRepeatTable table;
  table.Open();
  for (const repeats::SREPEATDATA &r : table.Items()) {
    AnniversaryRecord a;
    a.kind = r.Kind;
    a.month = r.Month;
    a.day = r.Day;
    a.hour = r.Hour;
    a.minute = r.Minute;
    a.ahead = r.Ahead;
    a.alarm = r.SetFlag != 0;
    a.year = r.Year;
    a.text = r.Text;
    if (r.Kind == 'L') {
      for (int y = thisYear; y <= lunar::LastExtendedLunarYear + 1911; ++y) {
        const auto day = repeats::occurrenceIn(r, y, lunar::LunarTable::Extended);
        if (!day)
          continue;
        Date d;
        calixo::dateFromDayNumber(*day, d.year, d.month, d.day);
        a.dates.push_back(d);
      }
    }
    out.push_back(std::move(a));
  }
  return out;
}

// Adds the anniversaries that the table does not hold yet (the same date and
// text); returns how many were added.
int importAnniversaries(const std::vector<AnniversaryRecord> &list, int &already) {
  already = 0;
  if (list.empty())
    return 0;
  repeats::TRepeatTable table;
  table.CreateIfMissing();
  table.Open();
  int added = 0;
  for (const AnniversaryRecord &a : list) {
    bool there = false;
    for (const repeats::SREPEATDATA &r : table.Items())
      there = there || (r.Kind == a.kind && r.Month == a.month && r.Day == a.day && r.Text == a.text);
    if (there) {
      ++already;
      continue;
    }
    repeats::SREPEATDATA r;
    r.Kind = a.kind;
    r.Month = a.month;
    r.Day = a.day;
    r.Hour = a.hour;
    r.Minute = a.minute;
    r.Ahead = a.ahead > repeats::kMaxAhead ? repeats::kMaxAhead : a.ahead;
    r.SetFlag = a.alarm ? 1 : 0;
    r.Year = a.year;
    r.Text = a.text;
    table.Append(r);
    ++added;
  }
  return added;
}

int usage() {
  std::cerr << "usage: calixo --export-ics FILE [--rscale]\n"
               "       calixo --import-ics FILE\n";
  return 2;
}

}  // namespace

int exportFile(const std::string &file, bool rscale, std::ostream &out, std::ostream &err) {
  dbf::TDbfDataSet table("DbfDataSetTIMELIST");
  bool busy = false;
  TTimeTable timeTable(table, busy);
  std::vector<PlanRecord> plans;
  std::vector<AnniversaryRecord> anniversaries;
  const auto now = calixo::clock().now();
  try {
    // A folder without a time table has no plans; nothing is created.
    if (calixo::fileExists(kTimeTableFile)) {
      timeTable.OpenTable();
      plans = ReadPlans(table);
    }
    // The archive of past months has the time table's fields.
    if (calixo::fileExists(kHistoryFile)) {
      dbf::TDbfDataSet archive("DbfDataSetTIMEHIST");
      archive.SetTableName(calixo::resolveFileName(kHistoryFile));
      archive.Open();
      const std::vector<PlanRecord> past = ReadPlans(archive, true);
      plans.insert(plans.begin(), past.begin(), past.end());
    }
    anniversaries = readAnniversaries(now.year);
  } catch (const std::exception &e) {
    err << "calixo: " << e.what() << "\n";
    return 1;
  }
  ExportOptions options;
  options.rscale = rscale;
  options.today = Date{now.year, now.month, now.day};
  options.hour = now.hour;
  options.minute = now.minute;
  const std::string text = ExportCalendar(plans, anniversaries, options);
  std::string error;
  if (!writeWhole(file, text, error)) {
    err << "calixo: " << file << ": " << error << "\n";
    return 1;
  }
  out << "导出 " << plans.size() << " 个计划和 " << anniversaries.size() << " 个纪念日到 " << file
            << "\n";
  return 0;
}

int importFile(const std::string &file, std::ostream &out, std::ostream &err) {
  std::string text, error;
  if (!readWhole(file, text, error)) {
    err << "calixo: " << file << ": " << error << "\n";
    return 1;
  }
  ParseResult parsed;
  if (!ParseCalendar(text, lunarOf, parsed, error)) {
    err << "calixo: " << file << ": " << error << "\n";
    return 1;
  }
  dbf::TDbfDataSet table("DbfDataSetTIMELIST");
  bool busy = false;
  TTimeTable timeTable(table, busy);
  ImportCounts counts;
  int anniversaries = 0, anniversariesThere = 0;
  try {
    timeTable.CreateTimeTableIfMissing();
    timeTable.OpenTable();
    counts = ImportPlans(timeTable, parsed.plans);
    anniversaries = importAnniversaries(parsed.anniversaries, anniversariesThere);
  } catch (const std::exception &e) {
    err << "calixo: " << e.what() << "\n";
    return 1;
  }
  out << "导入 " << file << "：新增 " << counts.added << " 个计划，并入已有的行 " << counts.joined
            << " 个，已经有的 " << counts.already << " 个；新增纪念日 " << anniversaries << " 个，已经有的 "
            << anniversariesThere << " 个\n";
  for (const std::string &n : parsed.notes)
    out << "注意：" << n << "\n";
  for (const std::string &n : parsed.notImported)
    out << "未导入：" << n << "\n";
  for (const std::string &n : counts.notImported)
    out << "未导入：" << n << "\n";
  return 0;
}

int RunIcsCommand(int argc, char **argv) {
  if (argc < 2)
    return -1;
  const std::string cmd = argv[1];
  if (cmd == "--export-ics") {
    if (argc == 3)
      return exportFile(argv[2], false, std::cout, std::cerr);
    if (argc == 4 && std::string(argv[3]) == "--rscale")
      return exportFile(argv[2], true, std::cout, std::cerr);
    return usage();
  }
  if (cmd == "--import-ics") {
    if (argc != 3)
      return usage();
    return importFile(argv[2], std::cout, std::cerr);
  }
  return -1;
}

}  // namespace calixo::ics
