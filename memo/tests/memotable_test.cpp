// The memo table without a display: the notes are stand-ins that keep the
// note library's contract (a close sets Show 0 and reports WM_MEMO_SHOW).
#include "memotable.h"

#include "clock.h"
#include "dbffile.h"
#include "fileio.h"
#include "filenames.h"
#include "scratchtable.h"
#include "gbk.h"
#include "tempdir.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

const calixo::LocalDateTime kStart{2005, 3, 7, 9, 5, 30, 0};

class MemoTableTest : public TempDirTest {
protected:
  void SetUp() override {
    TempDirTest::SetUp();
    calixo::setClock(&m_clock);
  }
  void TearDown() override {
    m_table.reset();
    calixo::setClock(nullptr);
    TempDirTest::TearDown();
  }

  TMemoTable &start() {
    m_table.reset();
    m_opened.clear();
    m_table = std::make_unique<TMemoTable>(
        [this](SMEMOLISTDATA *m) { m_opened.push_back(m->DateTime); },
        [this](SMEMOLISTDATA *m) {
          m_closedWhileRecords = readDbfFile(TMemoTable::kFileName).records.size();
          m->Show = 0;
          m_live->HandleMessage(WM_MEMO_SHOW, m, 0);
          m_closed.push_back(m->DateTime);
        });
    m_live = m_table.get();
    m_table->Open();
    return *m_table;
  }
  // Adds a memo one minute after the previous one, with text (GBK).
  SMEMOLISTDATA *add(const std::string &text = {}) {
    SMEMOLISTDATA *m = m_table->Add();
    if (!text.empty())
      m_table->HandleMessage(WM_MEMO_TEXT, m, reinterpret_cast<intptr_t>(text.c_str()));
    m_clock.advanceMs(60'000);
    return m;
  }
  DbfFile file() const { return readDbfFile(TMemoTable::kFileName); }
  std::vector<std::string> fileTexts() const {
    DbfFile d = file();
    std::vector<std::string> v;
    for (size_t i = 0; i < d.records.size(); ++i)
      v.push_back(d.value(i, "TEXT"));
    return v;
  }

  calixo::ManualClock m_clock{kStart};
  std::unique_ptr<TMemoTable> m_table;
  TMemoTable *m_live = nullptr;  // still valid while m_table's old table is being destroyed
  std::vector<double> m_opened, m_closed;
  size_t m_closedWhileRecords = 0;
};

TEST_F(MemoTableTest, FirstStartCreatesTheTableWithItsSchemaAndOpensNoNote) {
  ASSERT_FALSE(calixo::fileExists("TextList.dbf"));
  TMemoTable &t = start();
  EXPECT_EQ(t.Count(), 0);
  EXPECT_TRUE(m_opened.empty());
  // One table file, whatever the letter case creation gave it, and the one
  // the existence test finds next time.
  ASSERT_TRUE(calixo::fileExists("TextList.dbf"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1);
  DbfFile d = file();
  ASSERT_TRUE(d.ok);
  const std::vector<std::tuple<std::string, char, int, int>> expected = {
      {"DATETIME", 'N', 30, 20}, {"LOCK", 'N', 1, 0}, {"SHOW", 'N', 1, 0},
      {"X", 'N', 8, 0},          {"Y", 'N', 8, 0},    {"TEXT", 'C', 249, 0}};
  ASSERT_EQ(d.fields.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(d.fields[i].name, std::get<0>(expected[i]));
    EXPECT_EQ(d.fields[i].type, std::get<1>(expected[i]));
    EXPECT_EQ(d.fields[i].width, std::get<2>(expected[i]));
    EXPECT_EQ(d.fields[i].decimals, std::get<3>(expected[i]));
  }
  EXPECT_EQ(d.headerCount, 0u);
  EXPECT_TRUE(d.records.empty());
}

TEST_F(MemoTableTest, AddWritesAShownEmptyRecordAndOpensItsNote) {
  TMemoTable &t = start();
  SMEMOLISTDATA *m = t.Add();
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m->Show, 1);
  EXPECT_EQ(m->RecNo, 1);
  EXPECT_EQ(m->Index, 0);
  EXPECT_EQ(m->Text, nullptr);
  EXPECT_EQ(m->Extra, nullptr);
  EXPECT_STREQ(m->Caption, "     2005-03-07 09:05");
  EXPECT_EQ(TMemoTable::FormatDateTime(m->DateTime), "2005-03-07 09:05");
  const double expected = calixo::dayNumber(2005, 3, 7) + (9 * 3600 + 5 * 60 + 30) / 86400.0;
  EXPECT_NEAR(m->DateTime, expected, 1e-9);

  DbfFile d = file();
  ASSERT_EQ(d.records.size(), 1u);
  EXPECT_EQ(d.headerCount, 1u);
  EXPECT_FALSE(d.records[0].deleted);
  EXPECT_EQ(d.value(0, "SHOW"), "1");
  EXPECT_EQ(d.value(0, "LOCK"), "0");
  EXPECT_EQ(d.value(0, "X"), "0");
  EXPECT_EQ(d.value(0, "Y"), "0");
  EXPECT_EQ(d.rawText(0), std::string(249, ' '));
  EXPECT_NEAR(std::stod(d.value(0, "DATETIME")), expected, 1e-9);

  SMEMOLISTDATA *second = add();
  EXPECT_EQ(second->RecNo, 2);
  EXPECT_EQ(second->Index, 1);
  EXPECT_EQ(t.Memo(1), second);
}

TEST_F(MemoTableTest, RestartReopensExactlyTheShownMemosAndReadsEverythingBack) {
  start();
  add("a");
  SMEMOLISTDATA *b = add("b");
  add("c");
  // The user closes b's note; the program then ends with a and c pinned.
  m_table->HandleMessage(WM_MEMO_LOCK, m_table->Memo(2), 0);
  b->Show = 0;
  m_table->HandleMessage(WM_MEMO_SHOW, b, 0);
  const double da = m_table->Memo(0)->DateTime, dc = m_table->Memo(2)->DateTime;
  m_table->Memo(2)->Lock = 1;
  m_table->HandleMessage(WM_MEMO_LOCK, m_table->Memo(2), 0);

  TMemoTable &t = start();
  ASSERT_EQ(t.Count(), 3);
  ASSERT_EQ(m_opened.size(), 2u);
  EXPECT_NEAR(m_opened[0], da, 1e-9);
  EXPECT_NEAR(m_opened[1], dc, 1e-9);
  EXPECT_EQ(t.Text(0), "a");
  EXPECT_EQ(t.Text(1), "b");
  EXPECT_STREQ(t.Memo(2)->Text, "c");
  EXPECT_EQ(t.Memo(1)->Show, 0);
  EXPECT_EQ(t.Memo(2)->Lock, 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(t.Memo(i)->RecNo, i + 1);
    EXPECT_EQ(t.Memo(i)->Index, i);
  }
}

TEST_F(MemoTableTest, EndingTheProgramKeepsPinnedNotesPinned) {
  start();
  add("a");
  add("b");
  m_table.reset();  // closes both notes as the program ends
  EXPECT_EQ(m_closed.size(), 2u);
  DbfFile d = file();
  EXPECT_EQ(d.value(0, "SHOW"), "1");
  EXPECT_EQ(d.value(1, "SHOW"), "1");
}

TEST_F(MemoTableTest, DeleteCompactsTheFileKeepsOrderAndRenumbers) {
  start();
  for (const char *text : {"a", "b", "c", "d"})
    add(text);
  const size_t recordBytes = file().fileSize;

  ASSERT_TRUE(m_table->Delete(1));
  EXPECT_EQ(fileTexts(), (std::vector<std::string>{"b", "c", "d"}));
  DbfFile d = file();
  EXPECT_EQ(d.headerCount, 3u);
  for (const auto &r : d.records)
    EXPECT_FALSE(r.deleted);
  EXPECT_LT(d.fileSize, recordBytes);
  EXPECT_FALSE(calixo::fileExists(calixo::scratchTableName() + ".dbf"));

  ASSERT_TRUE(m_table->Delete(2));  // "c", from the middle
  EXPECT_EQ(fileTexts(), (std::vector<std::string>{"b", "d"}));
  ASSERT_EQ(m_table->Count(), 2);
  EXPECT_EQ(m_table->Text(1), "d");
  EXPECT_EQ(m_table->Memo(1)->RecNo, 2);
  EXPECT_EQ(m_table->Memo(1)->Index, 1);

  // Writes after a compaction land on the right record.
  m_table->HandleMessage(WM_MEMO_TEXT, m_table->Memo(1), reinterpret_cast<intptr_t>("dd"));
  EXPECT_EQ(fileTexts(), (std::vector<std::string>{"b", "dd"}));
}

TEST_F(MemoTableTest, DeletingAMemoWithAnOpenNoteClosesTheNoteFirst) {
  start();
  add("a");
  SMEMOLISTDATA *b = add("b");
  b->Show = 0;
  m_table->HandleMessage(WM_MEMO_SHOW, b, 0);  // b's note was closed by the user
  m_closed.clear();

  ASSERT_TRUE(m_table->Delete(2));
  EXPECT_TRUE(m_closed.empty()) << "a hidden memo has no note to close";
  ASSERT_TRUE(m_table->Delete(1));
  ASSERT_EQ(m_closed.size(), 1u);
  EXPECT_EQ(m_closedWhileRecords, 1u) << "the note closed before the record left the file";
  EXPECT_TRUE(file().records.empty());
  EXPECT_EQ(m_table->Count(), 0);
}

TEST_F(MemoTableTest, DeleteOnARowWithoutMemoDoesNothing) {
  start();
  add("a");
  const DbfFile before = file();
  for (int row : {0, 2, 55, -1})
    EXPECT_FALSE(m_table->Delete(row)) << row;
  EXPECT_EQ(file().fileSize, before.fileSize);
  EXPECT_EQ(m_table->Count(), 1);
}

TEST_F(MemoTableTest, EachReportWritesOnlyItsField) {
  start();
  add("a");
  SMEMOLISTDATA *m = add("b");
  struct Row {
    const char *name;
    unsigned message;
    int lock;
    const char *text;
    std::vector<std::string> lockShowText;  // the second record afterwards
    int redrawRow;
  };
  const Row rows[] = {
      {"lock", WM_MEMO_LOCK, 1, nullptr, {"1", "1", "b"}, 0},
      {"text", WM_MEMO_TEXT, 0, "new", {"1", "1", "new"}, 0},
      {"empty text", WM_MEMO_TEXT, 0, "", {"1", "1", ""}, 0},
      {"redraw", WM_MEMO_REDRAW, 0, nullptr, {"1", "1", ""}, 2},
      {"spare", WM_MEMO_SPARE, 0, nullptr, {"1", "1", ""}, 0},
      {"unlock", WM_MEMO_LOCK, 0, nullptr, {"0", "1", ""}, 0},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    m->Lock = row.lock;
    std::string buffer = row.text ? row.text : "";
    const int redraw = m_table->HandleMessage(row.message, m, row.text ? reinterpret_cast<intptr_t>(buffer.c_str()) : 0);
    EXPECT_EQ(redraw, row.redrawRow);
    DbfFile d = file();
    ASSERT_EQ(d.records.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{d.value(1, "LOCK"), d.value(1, "SHOW"), d.value(1, "TEXT")}),
              row.lockShowText);
    EXPECT_EQ(d.value(0, "TEXT"), "a");
    EXPECT_EQ(d.value(0, "LOCK"), "0");
  }
}

TEST_F(MemoTableTest, TextReportIsCopiedBeforeTheHandlerReturns) {
  start();
  SMEMOLISTDATA *m = add();
  std::string buffer = "first";
  m_table->HandleMessage(WM_MEMO_TEXT, m, reinterpret_cast<intptr_t>(buffer.c_str()));
  buffer.assign("XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX");  // the note reuses its buffer
  buffer.clear();
  buffer.shrink_to_fit();
  EXPECT_STREQ(m->Text, "first");
  EXPECT_EQ(m_table->Text(0), "first");
  m_table->HandleMessage(WM_MEMO_TEXT, m, 0);
  EXPECT_EQ(m->Text, nullptr) << "an empty text is a null pointer";
}

TEST_F(MemoTableTest, ReportsForUnknownRecordsAreIgnored) {
  start();
  add("a");
  SMEMOLISTDATA stranger{};
  stranger.RecNo = 1;
  stranger.Lock = 1;
  const size_t size = file().fileSize;
  for (unsigned msg : {WM_MEMO_LOCK, WM_MEMO_TEXT, WM_MEMO_REDRAW, WM_MEMO_SHOW})
    EXPECT_EQ(m_table->HandleMessage(msg, &stranger, reinterpret_cast<intptr_t>("zz")), 0);
  EXPECT_EQ(file().value(0, "LOCK"), "0");
  EXPECT_EQ(file().value(0, "TEXT"), "a");
  EXPECT_EQ(file().fileSize, size);
}

TEST_F(MemoTableTest, LongTextIsCutOnACharacterBoundary) {
  const std::string ji = "\xBC\xC7";  // GBK "记"
  auto repeat = [](const std::string &s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i)
      r += s;
    return r;
  };
  struct Row {
    const char *name;
    std::string text, stored;
  };
  const Row rows[] = {
      {"fits exactly", "a" + repeat(ji, 124), "a" + repeat(ji, 124)},
      {"two bytes over, cut between characters", "a" + repeat(ji, 125), "a" + repeat(ji, 124)},
      {"cut would split a character", "ab" + repeat(ji, 124), "ab" + repeat(ji, 123)},
      {"plain ASCII", std::string(300, 'x'), std::string(249, 'x')},
  };
  start();
  for (const Row &row : rows)
    add(row.text);
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(m_table->Text(static_cast<int>(i)), rows[i].text) << "memory keeps the whole text";
    EXPECT_EQ(file().value(i, "TEXT"), rows[i].stored);
  }
  start();
  for (size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(m_table->Text(static_cast<int>(i)), rows[i].stored) << rows[i].name;
}

TEST_F(MemoTableTest, OnlyFiftyFourMemosHaveARow) {
  start();
  for (int i = 0; i < 56; ++i)
    add(std::to_string(i));
  EXPECT_EQ(m_opened.size(), 56u);
  for (int i = 0; i < 56; ++i) {
    SMEMOLISTDATA *m = m_table->Memo(i);
    m->Show = 0;
    m_table->HandleMessage(WM_MEMO_SHOW, m, 0);
  }
  m_opened.clear();
  EXPECT_TRUE(m_table->ShowAgain(54));
  EXPECT_FALSE(m_table->ShowAgain(55));
  EXPECT_FALSE(m_table->Delete(55));
  EXPECT_EQ(m_table->HandleMessage(WM_MEMO_REDRAW, m_table->Memo(53), 0), 54);
  EXPECT_EQ(m_table->HandleMessage(WM_MEMO_REDRAW, m_table->Memo(54), 0), 0);
  EXPECT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(file().records.size(), 56u);
}

TEST_F(MemoTableTest, ShowAgainOnlyForAHiddenMemo) {
  start();
  SMEMOLISTDATA *m = add("a");
  EXPECT_FALSE(m_table->ShowAgain(1)) << "its note is shown";
  m->Show = 0;
  m_table->HandleMessage(WM_MEMO_SHOW, m, 0);
  EXPECT_EQ(file().value(0, "SHOW"), "0");
  m_opened.clear();
  EXPECT_TRUE(m_table->ShowAgain(1));
  EXPECT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m->Show, 1);
  EXPECT_EQ(file().value(0, "SHOW"), "1");
  EXPECT_FALSE(m_table->ShowAgain(2));
  EXPECT_FALSE(m_table->ShowAgain(0));
}

TEST(MemoDateTimeFormat, DateColumnText) {
  struct Row {
    int y, mo, d, h, mi, s;
    const char *text;
  } rows[] = {
      {2005, 3, 7, 9, 5, 0, "2005-03-07 09:05"},
      {2011, 12, 31, 23, 59, 59, "2011-12-31 23:59"},
      {1999, 1, 1, 0, 0, 0, "1999-01-01 00:00"},
      {2026, 10, 10, 12, 30, 0, "2026-10-10 12:30"},
  };
  for (const Row &r : rows) {
    const double dt = calixo::dayNumber(r.y, r.mo, r.d) + (r.h * 3600 + r.mi * 60 + r.s) / 86400.0;
    EXPECT_EQ(TMemoTable::FormatDateTime(dt), r.text);
  }
  // A time a hair below a whole minute (as read back from the table's text)
  // still shows its minute.
  const double nine = calixo::dayNumber(2005, 3, 7) + 9.0 / 24 - 1e-12;
  EXPECT_EQ(TMemoTable::FormatDateTime(nine), "2005-03-07 09:00");
}

}  // namespace

namespace {

std::string fileBytes() {
  std::ifstream in(calixo::resolveFileName(TMemoTable::kFileName), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Files the memo list refuses: it opens no note, lists nothing and never
// writes to them, even when the user adds a memo.
TEST_F(MemoTableTest, RefusedTablesAreNeitherListedNorWritten) {
  struct Case {
    const char *name;
    void (*damage)(std::string &bytes);
  };
  const Case cases[] = {
      // the first field renamed: another table's field list
      {"OtherFields", [](std::string &b) { b.replace(32, 8, "WHENWHEN"); }},
      // the second memo's DATETIME holds letters; the first is pinned and
      // must not get a note from a load that fails
      {"LettersInTheSecondRecord",
       [](std::string &b) {
         const size_t second = 32 * 7 + 1 + 298 + 1;
         b.replace(second, 30, std::string(22, ' ') + "tomorrow");
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(calixo::resolveFileName(TMemoTable::kFileName));
    start();
    add("first");
    add("second");
    m_table.reset();
    std::string bytes = fileBytes();
    ASSERT_EQ(bytes.size(), 32u * 7 + 1 + 2 * 298 + 1);
    c.damage(bytes);
    std::ofstream(calixo::resolveFileName(TMemoTable::kFileName), std::ios::binary | std::ios::trunc) << bytes;

    EXPECT_ANY_THROW(start());
    EXPECT_FALSE(m_table->IsOpen());
    EXPECT_EQ(m_table->Count(), 0);
    EXPECT_TRUE(m_opened.empty()) << "a note opened for a refused table";
    // Adding stores nothing and lists nothing; the user is told.
    EXPECT_EQ(m_table->Add(), nullptr);
    EXPECT_EQ(m_table->Count(), 0);
    EXPECT_EQ(fileBytes(), bytes);
  }
}

// ---- Faults: the memo table on files in memory ----

class MemoTableFaults : public ::testing::Test {
protected:
  void SetUp() override {
    calixo::setClock(&m_clock);
    start();
    for (const char *text : {"first", "second"}) {
      SMEMOLISTDATA *m = m_table->Add();
      ASSERT_NE(m, nullptr);
      m_table->HandleMessage(WM_MEMO_TEXT, m, reinterpret_cast<intptr_t>(text));
      // The user closed the note: a delete then writes nothing before the compaction.
      m->Show = 0;
      m_table->HandleMessage(WM_MEMO_SHOW, m, 0);
    }
  }
  void start() {
    m_table.reset();
    m_table = std::make_unique<TMemoTable>([](SMEMOLISTDATA *) {},
                                           [](SMEMOLISTDATA *m) { m->Show = 0; },
                                           &m_fs);
    m_table->SetReport([this](const std::string &m) { m_reports.push_back(m); });
    m_table->Open();
  }
  void TearDown() override {
    m_table.reset();
    calixo::setClock(nullptr);
  }
  std::string bytes() { return m_fs.contents("TEXTLIST.DBF"); }

  calixo::ManualClock m_clock{kStart};
  dbf::MemoryFileSystem m_fs;
  std::unique_ptr<TMemoTable> m_table;
  std::vector<std::string> m_reports;
};

// A store that fails says so with the file and the reason, once; the memo
// list stays as the user made it and the file as it was.
TEST_F(MemoTableFaults, FailedStoresAreReportedAndWriteNothing) {
  struct Row {
    const char *what;
    int64_t room;        // room left on the disk
    bool writesFail;     // every write fails with EIO
    std::function<void()> store;
    int count;           // memos listed afterwards
    std::string file;    // the file the message names
    const char *reason;
  };
  const char *typed = "typed on a full disk";
  const Row rows[] = {
      {"adding on a full disk", 0, false, [&] { EXPECT_EQ(m_table->Add(), nullptr); }, 2,
       "TEXTLIST.DBF", "No space left on device"},
      {"a note's new text when writing fails", -1, true,
       [&] { m_table->HandleMessage(WM_MEMO_TEXT, m_table->Memo(0), reinterpret_cast<intptr_t>(typed)); }, 2,
       "TEXTLIST.DBF", "Input/output error"},
      {"deleting when the compacted copy does not fit", 100, false, [&] { EXPECT_FALSE(m_table->Delete(1)); }, 2,
       "PP" + std::to_string(::getpid()) + ".DBF", "No space left on device"},  // the compacted copy did not fit
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.what);
    m_reports.clear();
    const std::string before = bytes();
    m_fs.freeBytes = r.room;
    if (r.writesFail)
      m_fs.failHook = [](auto op, auto &) { return op == dbf::MemoryFileSystem::Op::Write ? EIO : 0; };
    r.store();
    r.store();  // the same failure again is not said twice
    m_fs.freeBytes = -1;
    m_fs.failHook = nullptr;
    ASSERT_EQ(m_reports.size(), 1u);
    EXPECT_EQ(m_reports[0].rfind("记事没有保存。\n", 0), 0u) << m_reports[0];
    EXPECT_NE(m_reports[0].find(r.file + ": "), std::string::npos) << m_reports[0];
    EXPECT_NE(m_reports[0].find(r.reason), std::string::npos) << m_reports[0];
    EXPECT_EQ(m_table->Count(), r.count);
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(m_fs.names(), std::vector<std::string>{"TEXTLIST.DBF"}) << "no scratch copy left behind";
  }
  EXPECT_EQ(m_table->Text(0), typed) << "the note's text stays in the list";
}

TEST_F(MemoTableFaults, ReadOnlyTableIsListedAndSaidOnce) {
  m_table.reset();
  m_fs.setReadOnly("TEXTLIST.DBF");
  const std::string before = bytes();
  start();
  EXPECT_EQ(m_table->Count(), 2);
  EXPECT_EQ(m_table->Add(), nullptr);
  EXPECT_EQ(m_table->Text(1), "second");
  EXPECT_FALSE(m_table->Delete(1));
  EXPECT_EQ(m_reports, std::vector<std::string>{
                           "TEXTLIST.DBF 只能读取：表中的内容照常显示，修改无法保存。"});
  EXPECT_EQ(bytes(), before);
}

}  // namespace
