#include "timehistory.h"

#include "scratchtable.h"

#include "clock.h"
#include "filenames.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const std::string &file, const std::string &what, int err) {
  throw std::runtime_error(file + ": " + what + ": " + std::strerror(err));
}

// Flushes a file, or (for ".") the directory, to the disk.
void syncPath(const std::string &path, bool directory) {
  const int fd = ::open(path.c_str(), directory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
  if (fd < 0)
    fail(path, "cannot open to flush", errno);
  const int r = ::fsync(fd);
  const int e = errno;
  ::close(fd);
  if (r != 0 && !directory)
    fail(path, "cannot flush", e);
}

int64_t fileSize(const std::string &name) {
  struct stat st {};
  return ::stat(calixo::resolveFileName(name).c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

uint32_t recordCountOf(const std::string &name) {
  dbf::TDbfDataSet t("TimeHistory");
  t.SetTableName(calixo::resolveFileName(name));
  t.Open();
  checkTimeTableFields(t);
  const int n = t.RecordCount();
  t.Close();
  return static_cast<uint32_t>(n);
}

void createArchive() {
  dbf::TDbfDataSet t("TimeHistory");
  const auto &schema = timeTableSchema();
  if (!t.CreateTable(kHistoryFile, 'F', [&schema](int index, dbf::FieldDef &def) {
        def = index >= 1 && index <= static_cast<int>(schema.size()) ? schema[static_cast<size_t>(index - 1)]
                                                                     : dbf::FieldDef{};
        return true;
      }))
    throw std::runtime_error(std::string(kHistoryFile) + ": cannot be created");
}

}  // namespace

void checkTimeTableFields(dbf::TDbfDataSet &table) {
  const auto &fields = table.Fields();
  const auto &schema = timeTableSchema();
  bool same = fields.size() == schema.size();
  for (size_t i = 0; same && i < schema.size(); ++i)
    same = fields[i].name == schema[i].name && fields[i].type == schema[i].type &&
           fields[i].width == schema[i].width && fields[i].decimals == schema[i].decimals;
  if (!same) {
    const std::string path = table.FilePath();
    table.Close();
    throw std::runtime_error(path + " is not a valid time table: its fields are not DATE, TIME, "
                             "SET, AUTODEL, RUN and DO");
  }
}

TTimeHistory::TTimeHistory() = default;
TTimeHistory::~TTimeHistory() { closeReading(); }

void TTimeHistory::closeReading() {
  if (m_read && m_read->Active())
    m_read->Close();
  m_read.reset();
  m_index.clear();
  m_indexedSize = -1;
}

void TTimeHistory::writeJournal(int64_t first, int64_t next, uint32_t before) {
  const std::string tmp = std::string(kHistoryJournal) + "~";
  FILE *f = std::fopen(tmp.c_str(), "wb");
  if (!f)
    fail(tmp, "cannot be written", errno);
  const bool ok = std::fprintf(f, "%lld %lld %u\n", static_cast<long long>(first),
                               static_cast<long long>(next), before) > 0 &&
                  std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
  const int e = errno;
  std::fclose(f);
  if (!ok)
    fail(tmp, "cannot be written", e);
  if (const int r = calixo::renameFile(tmp, kHistoryJournal))
    fail(kHistoryJournal, "cannot be put in place", r);
  syncPath(".", true);
}

void TTimeHistory::ArchiveAndPurge(dbf::TDbfDataSet &live, int64_t first, int64_t next,
                                   const std::vector<int> &purged) {
  closeReading();
  if (!calixo::fileExists(kHistoryFile))
    createArchive();
  const uint32_t before = recordCountOf(kHistoryFile);
  writeJournal(first, next, before);
  // The archive with the month appended, complete and flushed before it
  // replaces the archive.
  const std::string archive = calixo::resolveFileName(kHistoryFile);
  const std::string copy = calixo::resolveFileName(kHistoryCopy);
  {
    FILE *in = std::fopen(archive.c_str(), "rb");
    FILE *out = in ? std::fopen(copy.c_str(), "wb") : nullptr;
    if (!in || !out) {
      const int e = errno;
      if (in)
        std::fclose(in);
      fail(in ? copy : archive, "cannot be copied", e);
    }
    char buf[1 << 16];
    size_t n;
    bool ok = true;
    while (ok && (n = std::fread(buf, 1, sizeof buf, in)) > 0)
      ok = std::fwrite(buf, 1, n, out) == n;
    ok = ok && !std::ferror(in);
    std::fclose(in);
    ok = std::fclose(out) == 0 && ok;
    if (!ok)
      fail(copy, "cannot be written", errno);
  }
  {
    dbf::TDbfDataSet t("TimeHistory");
    t.SetTableName(copy);
    t.Open();
    for (const int n : purged) {
      live.GotoPhysical(n);
      t.AppendRecordBytes(live.CurrentRecordBytes());
    }
    t.Close();
  }
  syncPath(copy, false);
  if (const int r = calixo::renameFile(copy, archive))
    fail(archive, "cannot be replaced", r);
  syncPath(".", true);
  calixo::removeLeftScratchTables();
  live.ReplaceByPackedCopy(calixo::scratchTableName(), purged);
  calixo::removeFile(kHistoryJournal);
  syncPath(".", true);
}

bool TTimeHistory::Recover(dbf::TDbfDataSet &live) {
  if (!calixo::fileExists(kHistoryJournal))
    return false;
  long long first = 0, next = 0;
  unsigned before = 0;
  {
    FILE *f = std::fopen(calixo::resolveFileName(kHistoryJournal).c_str(), "rb");
    const bool ok = f && std::fscanf(f, "%lld %lld %u", &first, &next, &before) == 3 && first < next;
    if (f)
      std::fclose(f);
    if (!ok)
      throw std::runtime_error(std::string(kHistoryJournal) +
                               ": the note of an unfinished move of past plans cannot be read");
  }
  closeReading();
  if (calixo::fileExists(kHistoryCopy))
    calixo::removeFile(kHistoryCopy);
  const uint32_t now = calixo::fileExists(kHistoryFile) ? recordCountOf(kHistoryFile) : 0;
  const std::vector<int> purged = live.Active() ? recordsOfDays(live, first, next) : std::vector<int>{};
  if (now > before) {
    // The archive holds the month: only the time table is still to be replaced.
    if (!purged.empty()) {
      calixo::removeLeftScratchTables();
      live.ReplaceByPackedCopy(calixo::scratchTableName(), purged);
    }
    calixo::removeFile(kHistoryJournal);
    syncPath(".", true);
  } else if (!purged.empty()) {
    ArchiveAndPurge(live, first, next, purged);
  } else {
    calixo::removeFile(kHistoryJournal);
    syncPath(".", true);
  }
  return true;
}

bool TTimeHistory::refresh() {
  const int64_t size = fileSize(kHistoryFile);
  if (size < 0) {
    closeReading();
    return false;
  }
  if (m_read && m_read->Active() && size == m_indexedSize)
    return true;
  closeReading();
  auto t = std::make_unique<dbf::TDbfDataSet>("TimeHistory");
  t->SetTableName(calixo::resolveFileName(kHistoryFile));
  t->Open();
  checkTimeTableFields(*t);
  const dbf::FieldDef &date = t->Fields()[0];
  std::vector<std::pair<int64_t, int>> index;
  t->ScanRecords([&](int n, const char *rec) {
    double v = 0;
    if (!dbf::RecordDeleted(rec) && dbf::NumberAt(rec, date, v) && v == std::floor(v) && std::fabs(v) < 1e9)
      index.emplace_back(static_cast<int64_t>(v), n);
    return true;
  });
  std::stable_sort(index.begin(), index.end(),
                   [](const auto &a, const auto &b) { return a.first < b.first; });
  m_read = std::move(t);
  m_index = std::move(index);
  m_indexedSize = size;
  return true;
}

dbf::TDbfDataSet *TTimeHistory::Table() {
  try {
    return refresh() ? m_read.get() : nullptr;
  } catch (const std::exception &) {
    closeReading();
    return nullptr;
  }
}

std::vector<int32_t> TTimeHistory::DayMarks(int year, int month, int days) {
  std::vector<int32_t> marks(static_cast<size_t>(days > 0 ? days : 0), 0);
  if (!Table())
    return marks;
  const int64_t first = calixo::dayNumber(year, month, 1);
  auto it = std::lower_bound(m_index.begin(), m_index.end(), std::make_pair(first, 0));
  for (; it != m_index.end() && it->first < first + days; ++it)
    marks[static_cast<size_t>(it->first - first)] = 1;
  return marks;
}

TTimeList TTimeHistory::DayEntries(int year, int month, int day) {
  TTimeList list;
  if (!Table())
    return list;
  const int64_t dn = calixo::dayNumber(year, month, day);
  auto it = std::lower_bound(m_index.begin(), m_index.end(), std::make_pair(dn, 0));
  try {
    for (; it != m_index.end() && it->first == dn; ++it) {
      m_read->GotoPhysical(it->second);
      auto e = std::make_shared<STIMELISTDATA>();
      e->History = 1;
      e->Text = m_read->StringGet("DO");
      e->SetFlag = m_read->IntegerGet("SET");
      e->RunFlag = m_read->IntegerGet("RUN");
      splitTimeFraction(m_read->FloatGet("TIME"), e->Hour, e->Minute, e->Second);
      list.push_back(e);
    }
  } catch (const std::exception &) {
    // What was read so far is shown.
  }
  return list;
}
