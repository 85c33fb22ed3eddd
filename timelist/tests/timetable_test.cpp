// The time table on real files in a fresh folder: the schema as written, the
// load order, saving rows, the busy flag and the start-of-month purge.
#include "timetable.h"

#include "timehistory.h"

#include "clock.h"
#include "filenames.h"
#include "scratchtable.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include <cerrno>
#include <functional>

#include "fileio.h"

namespace {

std::string readFile(const std::string &name) {
  std::ifstream in(calixo::resolveFileName(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned le16(const std::string &b, size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

struct Fixture : TempDirTest {
  dbf::TDbfDataSet table{"DbfDataSetTIMELIST"};
  bool busy = false;
  TTimeTable tt{table, busy};
  std::vector<std::tuple<int, int, int>> marked, rearmed;
  std::vector<STIMELISTDATAPtr> appended;
  std::vector<std::string> reports;

  void SetUp() override {
    TempDirTest::SetUp();
    tt.setHooks({[this](int y, int m, int d) { marked.emplace_back(y, m, d); },
                 [this](int y, int m, int d) { rearmed.emplace_back(y, m, d); },
                 [this](const STIMELISTDATAPtr &r) { appended.push_back(r); },
                 [this](const std::string &m) { reports.push_back(m); }});
    ASSERT_TRUE(tt.CreateTimeTableIfMissing());
    tt.OpenTable();
  }
  void TearDown() override {
    if (table.Active())
      table.Close();
    TempDirTest::TearDown();
  }

  STIMELISTDATAPtr row(int h, int m, const std::string &text, int set = 0, int run = 0) {
    auto r = std::make_shared<STIMELISTDATA>();
    r->Hour = h;
    r->Minute = m;
    r->Text = text;
    r->SetFlag = set;
    r->RunFlag = run;
    return r;
  }
  // Appends a record of that date directly, as a save of a new row does.
  int store(int y, int mo, int d, int h, int mi, const std::string &text, int set = 0) {
    auto r = row(h, mi, text, set);
    tt.SaveEntry(y, mo, d, r, 2);
    return r->RecNo;
  }
  TTimeList load(int y, int m, int d) {
    TTimeList list;
    tt.LoadDayEntries(y, m, d, list);
    return list;
  }
  std::vector<std::string> texts(const TTimeList &list) {
    std::vector<std::string> out;
    for (const auto &e : list)
      out.push_back(e->Text);
    return out;
  }
};

using TimeTable = Fixture;

TEST_F(TimeTable, CreatesTheEmptyTableWithTheExactSchema) {
  const std::string b = readFile(kTimeTableFile);
  ASSERT_EQ(b.size(), 226u);  // header of 6 fields + 0x0D, then 0x1A
  EXPECT_EQ(static_cast<unsigned char>(b[0]), 0x03);
  EXPECT_EQ(le16(b, 8), 225u);
  EXPECT_EQ(le16(b, 10), 285u);
  EXPECT_EQ(b[4] | b[5] | b[6] | b[7], 0);
  struct Want {
    const char *name;
    char type;
    int width, decimals;
  };
  const Want want[] = {{"DATE", 'N', 10, 2}, {"TIME", 'N', 22, 20}, {"SET", 'N', 1, 0},
                       {"AUTODEL", 'N', 1, 0}, {"RUN", 'N', 1, 0}, {"DO", 'C', 249, 0}};
  for (size_t i = 0; i < 6; ++i) {
    const size_t at = 32 + 32 * i;
    SCOPED_TRACE(want[i].name);
    EXPECT_EQ(std::string(b.c_str() + at), want[i].name);
    EXPECT_EQ(b[at + 11], want[i].type);
    EXPECT_EQ(static_cast<unsigned char>(b[at + 16]), want[i].width);
    EXPECT_EQ(static_cast<unsigned char>(b[at + 17]), want[i].decimals);
  }
  EXPECT_EQ(static_cast<unsigned char>(b[224]), 0x0D);
  EXPECT_EQ(static_cast<unsigned char>(b[225]), 0x1A);
  EXPECT_EQ(table.RecordCount(), 0);
}

TEST_F(TimeTable, AnExistingFileIsNeverRecreated) {
  store(2024, 5, 1, 7, 0, "keep");
  const std::string before = readFile(kTimeTableFile);
  EXPECT_FALSE(tt.CreateTimeTableIfMissing());
  EXPECT_EQ(readFile(kTimeTableFile), before);
}

TEST_F(TimeTable, LoadsTheEntriesOfOneDateInFileOrder) {
  store(2024, 5, 1, 9, 30, "b");
  store(2024, 5, 2, 8, 0, "other day");
  store(2024, 5, 1, 7, 0, "a");
  store(2024, 5, 1, 23, 30, "c", 1);
  EXPECT_TRUE(load(2024, 5, 3).empty());
  const TTimeList list = load(2024, 5, 1);
  ASSERT_EQ(texts(list), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(list[0]->RecNo, 1);
  EXPECT_EQ(list[1]->RecNo, 3);
  EXPECT_EQ(list[2]->RecNo, 4);
  EXPECT_EQ(list[0]->Hour * 100 + list[0]->Minute, 930);
  EXPECT_EQ(list[1]->Hour * 100 + list[1]->Minute, 700);
  EXPECT_EQ(list[2]->Hour * 100 + list[2]->Minute, 2330);
  EXPECT_EQ(list[2]->SetFlag, 1);
  EXPECT_EQ(list[0]->Second, 0);
  EXPECT_TRUE(list[0]->TimeText.empty());
  EXPECT_EQ(list[0]->AlarmState, -1);
}

TEST_F(TimeTable, LoadsRunMarksOddTimesAndGbkTextsAsStored) {
  const std::string gbk = "\xC4\xD6\xD6\xD3 7:15";  // "闹钟 7:15" in GBK
  auto run = row(7, 15, gbk, 0, 1);
  tt.SaveEntry(2024, 5, 1, run, 2);
  const TTimeList list = load(2024, 5, 1);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->Text, gbk);
  EXPECT_EQ(list[0]->RunFlag, 1);
  EXPECT_EQ(list[0]->SetFlag, 0);
  EXPECT_EQ(list[0]->Hour * 100 + list[0]->Minute, 715);
}

TEST_F(TimeTable, ReplacesTheListOnLoad) {
  store(2024, 5, 1, 7, 0, "a");
  TTimeList list = load(2024, 5, 1);
  tt.LoadDayEntries(2024, 5, 2, list);
  EXPECT_TRUE(list.empty());
}

TEST_F(TimeTable, FirstSaveAppendsLaterSavesRewriteTheSameRecord) {
  auto r = row(7, 30, "");
  for (const char *text : {"t", "te", "tea"}) {
    r->Text = text;
    tt.SaveEntry(2024, 5, 1, r, 2);
  }
  EXPECT_EQ(r->RecNo, 1);
  EXPECT_EQ(table.RecordCount(), 1);
  ASSERT_EQ(appended.size(), 1u);
  EXPECT_EQ(appended[0], r);
  const std::string b = readFile(kTimeTableFile);
  ASSERT_EQ(b.size(), 225u + 285u + 1u);
  const std::string rec = b.substr(225, 285);
  EXPECT_EQ(rec.substr(0, 11), "   45413.00");  // deletion flag, DATE of 1 May 2024
  EXPECT_NEAR(std::stod(rec.substr(11, 22)), 7.5 / 24, 1e-15);
  EXPECT_EQ(rec.substr(33, 3), "000");
  EXPECT_EQ(rec.substr(36, 4), "tea ");
  EXPECT_EQ(static_cast<unsigned char>(b.back()), 0x1A);

  r->SetFlag = 1;
  r->RunFlag = 1;
  tt.SaveEntry(2024, 5, 1, r, 0);
  EXPECT_EQ(table.RecordCount(), 1);
  const TTimeList list = load(2024, 5, 1);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->SetFlag, 1);
  EXPECT_EQ(list[0]->RunFlag, 1);
  EXPECT_EQ(list[0]->Text, "tea");
}

TEST_F(TimeTable, OnlyMarkChangesMarkTheCellAndRearm) {
  auto r = row(8, 0, "x");
  tt.SaveEntry(2024, 5, 6, r, 2);
  EXPECT_TRUE(marked.empty());
  EXPECT_TRUE(rearmed.empty());
  r->SetFlag = 1;
  tt.SaveEntry(2024, 5, 6, r, 0);
  r->SetFlag = 0;  // a cancel marks the day as well
  tt.SaveEntry(2024, 5, 6, r, 0);
  const std::vector<std::tuple<int, int, int>> want(2, {2024, 5, 6});
  EXPECT_EQ(marked, want);
  EXPECT_EQ(rearmed, want);
}

TEST_F(TimeTable, ClearAlarmStoresSetZeroInThatRecordOnly) {
  store(2024, 5, 1, 7, 0, "a", 1);
  store(2024, 5, 1, 8, 0, "b", 1);
  tt.ClearAlarm(2);
  const TTimeList list = load(2024, 5, 1);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->SetFlag, 1);
  EXPECT_EQ(list[1]->SetFlag, 0);
}

TEST_F(TimeTable, NothingHappensWhileTheTableIsBusy) {
  store(2024, 5, 1, 7, 0, "a", 1);
  const std::string before = readFile(kTimeTableFile);
  TTimeList list{row(1, 0, "mine")};
  busy = true;
  auto r = row(9, 0, "new", 1);
  tt.SaveEntry(2024, 5, 1, r, 0);
  tt.ClearAlarm(1);
  tt.LoadDayEntries(2024, 5, 1, list);
  const auto marks = tt.DayMarks(2024, 5, 31);
  EXPECT_TRUE(busy) << "an operation that did not take the flag must not clear it";
  busy = false;
  EXPECT_EQ(readFile(kTimeTableFile), before);
  EXPECT_EQ(r->RecNo, -1);
  EXPECT_TRUE(marked.empty());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->Text, "mine");
  EXPECT_EQ(marks, std::vector<int32_t>(31, 0));
}

TEST_F(TimeTable, TheFlagIsClearAfterEveryOperationEvenOnFailure) {
  tt.ClearAlarm(99);  // no such record
  EXPECT_FALSE(busy);
  table.Close();      // every engine call now fails
  auto r = row(7, 0, "lost");
  tt.SaveEntry(2024, 5, 1, r, 0);
  EXPECT_FALSE(busy);
  EXPECT_EQ(r->RecNo, -1);
  EXPECT_EQ(r->Text, "lost");
  TTimeList list;
  tt.LoadDayEntries(2024, 5, 1, list);
  EXPECT_FALSE(busy);
  EXPECT_TRUE(list.empty());
}

TEST_F(TimeTable, DayMarksCountEveryRecordOfTheDate) {
  store(2024, 5, 3, 7, 0, "cancelled", 0);
  store(2024, 5, 31, 7, 0, "set", 1);
  store(2024, 6, 1, 7, 0, "next month", 1);
  const auto marks = tt.DayMarks(2024, 5, 31);
  std::vector<int32_t> want(31, 0);
  want[2] = want[30] = 1;
  EXPECT_EQ(marks, want);
}

// The one pass over the table against a search of each day on its own, read
// record by record: deleted records (one of them the file's last, after
// which nothing live follows) mark nothing, a date with a fraction matches no
// day, and the noted day loads what a fresh load reads.
TEST_F(TimeTable, OnePassMarksEqualTheDayByDayResultWithDeletedRecords) {
  struct Rec {
    int d;
    bool deleted;
  };
  const std::vector<Rec> recs = {{3, false}, {4, true}, {4, false}, {9, true}, {31, false},
                                 {12, false}, {15, true}, {3, false}, {20, true}};
  for (const Rec &r : recs)
    store(2024, 5, r.d, 7, 0, "d" + std::to_string(r.d));
  store(2024, 6, 1, 7, 0, "june");
  const int odd = store(2024, 5, 1, 7, 0, "fraction");
  table.GotoPhysical(odd);
  table.Edit();
  table.FloatPut("DATE", static_cast<double>(calixo::dayNumber(2024, 5, 2)) + 0.5);
  table.Post();
  for (size_t i = 0; i < recs.size(); ++i)
    if (recs[i].deleted) {
      table.GotoPhysical(static_cast<int>(i) + 1);
      table.Delete();
    }
  std::vector<int32_t> want(31, 0);
  std::vector<std::vector<int>> recordsOf(32);
  for (int n = 1; n <= table.RecordCount(); ++n) {
    table.GotoPhysical(n);
    const double v = table.FloatGet("DATE");
    for (int d = 1; d <= 31; ++d)
      if (!table.CurrentDeleted() && v == static_cast<double>(calixo::dayNumber(2024, 5, d))) {
        want[static_cast<size_t>(d - 1)] = 1;
        recordsOf[static_cast<size_t>(d)].push_back(n);
      }
  }
  auto numbers = [](const TTimeList &list) {
    std::vector<int> out;
    for (const auto &e : list)
      out.push_back(e->RecNo);
    return out;
  };
  for (int shown : {3, 4, 9, 2}) {
    SCOPED_TRACE(shown);
    EXPECT_EQ(tt.DayMarks(2024, 5, 31, shown), want);
    EXPECT_EQ(numbers(load(2024, 5, shown)), recordsOf[static_cast<size_t>(shown)]);
    EXPECT_EQ(numbers(load(2024, 5, shown)), recordsOf[static_cast<size_t>(shown)]);
  }
  EXPECT_EQ(std::count(want.begin(), want.end(), 1), 4);  // the 3rd, 4th, 12th and 31st
}

// The purge on the 1st of a month.
struct Stored {
  int y, m, d;
  std::string text;
};

void expectRemaining(Fixture &f, const std::vector<std::string> &kept) {
  // Every record is read back in file order; the packed file holds no
  // deleted record and only the kept ones.
  std::vector<std::string> seen;
  const int count = f.table.RecordCount();
  for (int n = 1; n <= count; ++n) {
    f.table.GotoPhysical(n);
    EXPECT_FALSE(f.table.CurrentDeleted()) << "record " << n;
    seen.push_back(f.table.StringGet("DO"));
  }
  EXPECT_EQ(seen, kept);
  const std::string b = readFile(kTimeTableFile);
  EXPECT_EQ(b.size(), 225u + 285u * kept.size() + 1u);
  EXPECT_FALSE(calixo::fileExists(calixo::scratchTableName() + ".dbf"));
}

TEST_F(TimeTable, PurgeOnTheFirstOfMarchDeletesFebruaryOnly) {
  const std::vector<Stored> all = {{2024, 2, 5, "feb5a"}, {2024, 3, 1, "between"},
                                   {2024, 2, 5, "feb5b"}, {2024, 1, 31, "jan"},
                                   {2024, 2, 28, "feb28"}, {2023, 2, 10, "last year"},
                                   {2024, 2, 29, "leap day"}};
  for (const auto &s : all)
    store(s.y, s.m, s.d, 7, 0, s.text);
  EXPECT_TRUE(tt.PurgeMonthBefore(2024, 3));
  expectRemaining(*this, {"between", "jan", "last year"});
  EXPECT_TRUE(table.Active());
  // Record numbers are positions again: a new entry takes the next number.
  EXPECT_EQ(store(2024, 3, 1, 9, 0, "after"), 4);
}

// With the archive the purge leaves the same table, and the month's records
// are found again in TIMEHIST.DBF as read-only entries of their days; a
// second purge of a month without records leaves the archive as it was.
TEST_F(TimeTable, PurgeMovesTheMonthIntoTheArchive) {
  TTimeHistory history;
  tt.setHistory(&history);
  const std::vector<Stored> all = {{2024, 2, 5, "feb5a"}, {2024, 3, 1, "between"},
                                   {2024, 2, 5, "feb5b"}, {2024, 2, 29, "leap day"}};
  for (const auto &s : all)
    store(s.y, s.m, s.d, 7, 30, s.text, 1);
  EXPECT_TRUE(tt.PurgeMonthBefore(2024, 3));
  expectRemaining(*this, {"between"});
  EXPECT_FALSE(calixo::fileExists(kHistoryJournal));
  EXPECT_FALSE(calixo::fileExists(kHistoryCopy));
  std::vector<int32_t> want(29, 0);
  want[4] = want[28] = 1;
  EXPECT_EQ(history.DayMarks(2024, 2, 29), want);
  const TTimeList feb5 = history.DayEntries(2024, 2, 5);
  EXPECT_EQ(texts(feb5), (std::vector<std::string>{"feb5a", "feb5b"}));
  for (const auto &e : feb5) {
    EXPECT_EQ(e->History, 1);
    EXPECT_EQ(e->RecNo, -1);
    EXPECT_EQ(e->Hour * 100 + e->Minute, 730);
    EXPECT_EQ(e->SetFlag, 1);
    // Saving an archived entry writes nothing.
    tt.SaveEntry(2024, 3, 1, e, 0);
  }
  EXPECT_EQ(table.RecordCount(), 1);
  const std::string archived = readFile(kHistoryFile);
  EXPECT_TRUE(tt.PurgeMonthBefore(2024, 6));
  EXPECT_EQ(readFile(kHistoryFile), archived);
  expectRemaining(*this, {"between"});
}

TEST_F(TimeTable, PurgeOnTheFirstOfJanuaryDeletesDecemberOfThePreviousYear) {
  const std::vector<Stored> all = {{2023, 12, 1, "dec1"}, {2024, 12, 15, "dec next"},
                                   {2023, 12, 31, "dec31"}, {2024, 1, 1, "today"},
                                   {2023, 11, 30, "nov"}};
  for (const auto &s : all)
    store(s.y, s.m, s.d, 7, 0, s.text);
  EXPECT_TRUE(tt.PurgeMonthBefore(2024, 1));
  expectRemaining(*this, {"dec next", "today", "nov"});
}

TEST_F(TimeTable, PurgeCompactsEvenWhenNothingMatches) {
  store(2024, 5, 1, 7, 0, "may");
  EXPECT_TRUE(tt.PurgeMonthBefore(2024, 3));
  expectRemaining(*this, {"may"});
}

TEST_F(TimeTable, PurgeLeavesAnEmptyTableUntouched) {
  const std::string before = readFile(kTimeTableFile);
  EXPECT_FALSE(tt.PurgeMonthBefore(2024, 3));
  EXPECT_EQ(readFile(kTimeTableFile), before);
  EXPECT_FALSE(calixo::fileExists(calixo::scratchTableName() + ".dbf"));
}

TEST_F(TimeTable, PurgeOfAClosedTableTouchesNothing) {
  store(2024, 2, 5, 7, 0, "feb");
  table.Close();
  const std::string before = readFile(kTimeTableFile);
  EXPECT_FALSE(tt.PurgeMonthBefore(2024, 3));
  EXPECT_EQ(readFile(kTimeTableFile), before);
}

// ---- Faults and odd files: the time table on files in memory ----

struct TimeTableFaults : ::testing::Test {
  dbf::MemoryFileSystem fs;
  dbf::TDbfDataSet table{"DbfDataSetTIMELIST", &fs};
  bool busy = false;
  TTimeTable tt{table, busy};
  std::vector<std::string> reports;

  void SetUp() override {
    tt.setHooks({{}, {}, {}, [this](const std::string &m) { reports.push_back(m); }});
    ASSERT_TRUE(tt.CreateTimeTableIfMissing());
    tt.OpenTable();
    for (int h : {7, 8})
      save(h, "stored");
    table.Close();
  }
  STIMELISTDATAPtr save(int hour, const std::string &text, int32_t recNo = -1) {
    auto r = std::make_shared<STIMELISTDATA>();
    r->Hour = hour;
    r->Text = text;
    r->RecNo = recNo;
    tt.SaveEntry(2024, 5, 1, r, 2);
    return r;
  }
  std::string bytes() { return fs.contents("TIMELIST.DBF"); }
  void put16(std::string &b, size_t at, int v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
  }
};

// A header that lies about its records is refused with the engine's header
// message and the file is never written, not even by the plans typed later.
TEST_F(TimeTableFaults, LyingHeaderIsRefusedAndTheFileLeftByteForByte) {
  const std::string good = bytes();
  const std::pair<const char *, std::function<void(std::string &)>> rows[] = {
      {"record length 60000", [&](std::string &b) { put16(b, 10, 60000); }},
      {"record length one too long", [&](std::string &b) { put16(b, 10, 286); }},
  };
  for (const auto &[what, lie] : rows) {
    SCOPED_TRACE(what);
    std::string b = good;
    lie(b);
    fs.setContents("TIMELIST.DBF", b);
    try {
      tt.OpenTable();
      ADD_FAILURE() << "opened";
    } catch (const dbf::EDbfError &e) {
      EXPECT_STREQ(e.what(), "dBase DBF file header invalid - TIMELIST.DBF");
    }
    auto r = save(9, "typed after the refusal");
    EXPECT_EQ(r->RecNo, -1);
    EXPECT_EQ(bytes(), b);
  }
}

TEST_F(TimeTableFaults, RecordCutShortShowsTheWholeOnesAndSaysSo) {
  std::string b = bytes();
  b.resize(b.size() - 40);  // the second record loses its last 39 bytes and the end marker
  fs.setContents("TIMELIST.DBF", b);
  tt.OpenTable();
  TTimeList list;
  tt.LoadDayEntries(2024, 5, 1, list);
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(reports, std::vector<std::string>{
                         "TIMELIST.DBF 的末尾已损坏：最后一条记录不完整，只显示完整的记录。"});
}

// Every failed store is said, with the file and the reason, once until a
// store succeeds again; the row keeps what the user typed.
TEST_F(TimeTableFaults, FailedStoresAreReportedOnceAndKeepTheRow) {
  struct Row {
    const char *what;
    std::function<void()> fault;
    std::function<STIMELISTDATAPtr()> store;
    std::string message;
    const char *typed;  // what the row keeps; nullptr for the alarm mark
  };
  const std::string full = "计划没有保存。\nTIMELIST.DBF: No space left on device";
  const Row rows[] = {
      {"a new plan on a full disk", [&] { fs.freeBytes = 0; }, [&] { return save(9, "new plan"); }, full, "new plan"},
      {"a changed plan when writing fails",
       [&] { fs.failHook = [](auto op, auto &) { return op == dbf::MemoryFileSystem::Op::Write ? EIO : 0; }; },
       [&] { return save(7, "changed", 1); }, "计划没有保存。\nTIMELIST.DBF: Input/output error", "changed"},
      {"an alarm mark when writing fails",
       [&] { fs.failHook = [](auto op, auto &) { return op == dbf::MemoryFileSystem::Op::Write ? EIO : 0; }; },
       [&] { tt.ClearAlarm(1); return STIMELISTDATAPtr(); },
       "闹钟标记没有保存。\nTIMELIST.DBF: Input/output error", nullptr},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.what);
    tt.OpenTable();
    reports.clear();
    const std::string before = bytes();
    r.fault();
    const STIMELISTDATAPtr first = r.store();
    r.store();  // the next keystroke fails the same way: said once
    EXPECT_EQ(reports, std::vector<std::string>{r.message});
    EXPECT_EQ(bytes(), before);
    if (r.typed) {
      ASSERT_TRUE(first);
      EXPECT_EQ(first->Text, r.typed);
    }
    fs.freeBytes = -1;
    fs.failHook = nullptr;
    save(10, "room again");
    r.fault();
    r.store();
    EXPECT_EQ(reports.size(), 2u) << "a failure after a success is said again";
    fs.freeBytes = -1;
    fs.failHook = nullptr;
    table.Close();
  }
}

// A table that may only be read is shown, the user is told once that changes
// cannot be stored, and nothing (not even the purge) writes to it.
TEST_F(TimeTableFaults, ReadOnlyTableIsShownAndSaidOnce) {
  fs.setReadOnly("TIMELIST.DBF");
  const std::string before = bytes();
  tt.OpenTable();
  TTimeList list;
  tt.LoadDayEntries(2024, 5, 1, list);
  EXPECT_EQ(list.size(), 2u);
  auto r = save(9, "typed");
  tt.ClearAlarm(1);
  EXPECT_FALSE(tt.PurgeMonthBefore(2024, 6));
  EXPECT_EQ(r->RecNo, -1);
  EXPECT_EQ(r->Text, "typed");
  EXPECT_EQ(reports, std::vector<std::string>{"TIMELIST.DBF 只能读取：表中的内容照常显示，修改无法保存。"});
  EXPECT_EQ(bytes(), before);
}

// ---- Odd files under the table's name, on disk ----

// Nothing is created in place of a FIFO, and nothing outside the folder
// through a link to a missing file; opening says what stands there.
using TimeTableOddFiles = TempDirTest;

TEST_F(TimeTableOddFiles, NeitherCreatedThroughNorOpened) {
  std::filesystem::create_directory("elsewhere");
  std::filesystem::create_symlink("elsewhere/TIMELIST.DBF", "TIMELIST.DBF");
  dbf::TDbfDataSet table{"DbfDataSetTIMELIST"};
  bool busy = false;
  TTimeTable tt{table, busy};
  EXPECT_FALSE(tt.CreateTimeTableIfMissing());
  EXPECT_ANY_THROW(tt.OpenTable());
  EXPECT_FALSE(std::filesystem::exists("elsewhere/TIMELIST.DBF"));
  EXPECT_FALSE(table.Active());
}

TEST(TimeFraction, RoundTripsEveryHalfHour) {
  for (int h = 0; h < 24; ++h)
    for (int m : {0, 30}) {
      int32_t hh, mm, ss;
      splitTimeFraction(timeFraction(h, m), hh, mm, ss);
      EXPECT_EQ(hh * 100 + mm, h * 100 + m);
      EXPECT_EQ(ss, 0);
    }
  int32_t hh, mm, ss;
  splitTimeFraction(0.29166666666666666297, hh, mm, ss);  // 7:00 as stored with 20 decimals
  EXPECT_EQ(hh * 100 + mm, 700);
  splitTimeFraction((7 * 3600 + 15 * 60 + 20) / 86400.0, hh, mm, ss);
  EXPECT_EQ(hh * 10000 + mm * 100 + ss, 71520);
}

}  // namespace
