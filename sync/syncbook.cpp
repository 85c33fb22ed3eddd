#include "syncbook.h"

#include "filewrite.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

namespace calixo::sync {

namespace {

constexpr const char *kHeader = "calixo-caldav-sync 1";

std::vector<std::string> fields(const std::string &line) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (;;) {
    const size_t tab = line.find('\t', pos);
    out.push_back(line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos));
    if (tab == std::string::npos)
      return out;
    pos = tab + 1;
  }
}

bool clean(const std::string &s) { return s.find_first_of("\t\r\n") == std::string::npos; }

}  // namespace

std::string BookText(const Book &book) {
  std::string out = std::string(kHeader) + "\n" + "url\t" + book.url + "\n";
  for (const BookEntry &e : book.entries) {
    char row[32];
    std::snprintf(row, sizeof row, "%04d%02d%02d\t%02d%02d", e.row.date.year, e.row.date.month,
                  e.row.date.day, e.row.hour, e.row.minute);
    out += e.uid + "\t" + e.href + "\t" + e.etag + "\t" + row + "\t" + e.localFp + "\t" + e.serverFp + "\n";
  }
  return out;
}

bool ParseBook(const std::string &text, Book &book, std::string &error) {
  book = {};
  std::istringstream in(text);
  std::string line;
  int n = 0;
  const auto fail = [&](const std::string &why) {
    error = "第 " + std::to_string(n) + " 行：" + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++n;
    if (n == 1) {
      if (line != kHeader)
        return fail("不是同步记录文件（开头应为“" + std::string(kHeader) + "”）");
      continue;
    }
    const std::vector<std::string> f = fields(line);
    if (n == 2) {
      if (f.size() != 2 || f[0] != "url")
        return fail("缺少日历地址");
      book.url = f[1];
      continue;
    }
    if (f.size() != 7)
      return fail("应有 7 个字段，有 " + std::to_string(f.size()) + " 个");
    BookEntry e;
    e.uid = f[0];
    e.href = f[1];
    e.etag = f[2];
    char tail = 0;
    if (e.uid.empty() || e.href.empty() || f[3].size() != 8 || f[4].size() != 4 ||
        std::sscanf(f[3].c_str(), "%4d%2d%2d%c", &e.row.date.year, &e.row.date.month, &e.row.date.day,
                    &tail) != 3 ||
        std::sscanf(f[4].c_str(), "%2d%2d%c", &e.row.hour, &e.row.minute, &tail) != 2 ||
        e.row.date.month < 1 || e.row.date.month > 12 || e.row.date.day < 1 || e.row.date.day > 31 ||
        e.row.hour > 23 || (e.row.minute != 0 && e.row.minute != 30) || f[5].size() != 16 ||
        f[6].size() != 16)
      return fail("记录不完整或有误");
    e.localFp = f[5];
    e.serverFp = f[6];
    book.entries.push_back(std::move(e));
  }
  if (n < 2)
    return fail("文件不完整");
  return true;
}

bool LoadBook(const std::string &path, Book &book, std::string &error) {
  book = {};
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
    return true;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + "：无法读取（" + std::strerror(errno) + "）";
    return false;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = path + "：无法读取";
    return false;
  }
  std::string why;
  if (!ParseBook(text, book, why)) {
    error = path + "：" + why + "（文件保持原样；删除它则下次同步重新对照两边）";
    return false;
  }
  return true;
}

bool SaveBook(const std::string &path, const Book &book, std::string &error) {
  for (const BookEntry &e : book.entries)
    if (!clean(e.uid) || !clean(e.href) || !clean(e.etag)) {
      error = path + "：UID、地址或 ETag 含有制表符或换行";
      return false;
    }
  if (!clean(book.url)) {
    error = path + "：日历地址含有制表符或换行";
    return false;
  }
  if (const int e = calixo::replaceFile(path, BookText(book), ".new")) {
    error = path + "：无法写入（" + std::strerror(e) + "）";
    return false;
  }
  return true;
}

}  // namespace calixo::sync
