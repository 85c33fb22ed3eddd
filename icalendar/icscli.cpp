#include "icscli.h"

#include "clock.h"
#include "filenames.h"
#include "icsformat.h"
#include "icstable.h"
#include "lunar.h"

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
  const std::string tmp = path + ".part";
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      error = n < 0 ? std::strerror(errno) : "写入失败";
      ::close(fd);
      ::unlink(tmp.c_str());
      return false;
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
    error = std::strerror(errno);
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

int usage() {
  std::cerr << "usage: calixo --export-ics FILE [--rscale]\n"
               "       calixo --import-ics FILE\n";
  return 2;
}

int exportTo(const std::string &file, bool rscale) {
  dbf::TDbfDataSet table("DbfDataSetTIMELIST");
  bool busy = false;
  TTimeTable timeTable(table, busy);
  std::vector<PlanRecord> plans;
  try {
    // A folder without a time table has no plans; nothing is created.
    if (calixo::fileExists(kTimeTableFile)) {
      timeTable.OpenTable();
      plans = ReadPlans(table);
    }
  } catch (const std::exception &e) {
    std::cerr << "calixo: " << e.what() << "\n";
    return 1;
  }
  ExportOptions options;
  options.rscale = rscale;
  const auto now = calixo::clock().now();
  options.today = Date{now.year, now.month, now.day};
  options.hour = now.hour;
  options.minute = now.minute;
  const std::string text = ExportCalendar(plans, {}, options);
  std::string error;
  if (!writeWhole(file, text, error)) {
    std::cerr << "calixo: " << file << ": " << error << "\n";
    return 1;
  }
  std::cout << "导出 " << plans.size() << " 个计划到 " << file << "\n";
  return 0;
}

int importFrom(const std::string &file) {
  std::string text, error;
  if (!readWhole(file, text, error)) {
    std::cerr << "calixo: " << file << ": " << error << "\n";
    return 1;
  }
  ParseResult parsed;
  if (!ParseCalendar(text, lunarOf, parsed, error)) {
    std::cerr << "calixo: " << file << ": " << error << "\n";
    return 1;
  }
  dbf::TDbfDataSet table("DbfDataSetTIMELIST");
  bool busy = false;
  TTimeTable timeTable(table, busy);
  ImportCounts counts;
  try {
    timeTable.CreateTimeTableIfMissing();
    timeTable.OpenTable();
    counts = ImportPlans(timeTable, parsed.plans);
  } catch (const std::exception &e) {
    std::cerr << "calixo: " << e.what() << "\n";
    return 1;
  }
  std::cout << "导入 " << file << "：新增 " << counts.added << " 个计划，并入已有的行 " << counts.joined
            << " 个，已经有的 " << counts.already << " 个\n";
  for (const std::string &n : parsed.notes)
    std::cout << "注意：" << n << "\n";
  for (const std::string &n : parsed.notImported)
    std::cout << "未导入：" << n << "\n";
  for (const std::string &n : counts.notImported)
    std::cout << "未导入：" << n << "\n";
  if (!parsed.anniversaries.empty())
    std::cout << "未导入：" << parsed.anniversaries.size() << " 个每年重复的日程（纪念日）\n";
  return 0;
}

}  // namespace

int RunIcsCommand(int argc, char **argv) {
  if (argc < 2)
    return -1;
  const std::string cmd = argv[1];
  if (cmd == "--export-ics") {
    if (argc == 3)
      return exportTo(argv[2], false);
    if (argc == 4 && std::string(argv[3]) == "--rscale")
      return exportTo(argv[2], true);
    return usage();
  }
  if (cmd == "--import-ics") {
    if (argc != 3)
      return usage();
    return importFrom(argv[2]);
  }
  return -1;
}

}  // namespace calixo::ics
