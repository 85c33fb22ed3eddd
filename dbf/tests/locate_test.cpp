// Locate and LocateNext: the key forms, the matching rules of numeric and
// character fields, and where the component ends up.
#include "testtables.h"

namespace {

using namespace dbftest;

class Locating : public MemoryTable {};

TEST_F(Locating, EmptyTableReadsNothing) {
  int reads = 0;
  m_fs.failHook = [&](dbf::MemoryFileSystem::Op op, const std::string &) {
    reads += op == dbf::MemoryFileSystem::Op::Read;
    return 0;
  };
  EXPECT_FALSE(m_ds.Locate("DATE", 36526.0));
  EXPECT_FALSE(m_ds.LocateNext("DATE", 36526.0, 0));
  EXPECT_EQ(reads, 0);
}

struct KeyRow {
  const char *what;
  std::string field;
  dbf::LocateKey key;
  int options;
  int found;  // record number, 0 for none
};

class LocateRules : public MemoryTable, public ::testing::WithParamInterface<KeyRow> {
protected:
  void SetUp() override {
    MemoryTable::SetUp();
    add(36525, "Hello", 0.25);             // 1
    add(36526, "Hello world", 0.5);         // 2
    add(36526.5, "hello ", 0.75);          // 3
    add(36527, "36526", 0.3125);           // 4
    add(0, "\x81\x61\xd6\xd0", 0);         // 5: GBK, second byte 'a'
    add(-4, "MiXeD", 420.0 / 1440);       // 6
  }
};

TEST_P(LocateRules, FindsTheFirstMatch) {
  const KeyRow &r = GetParam();
  m_ds.GotoPosition(3);
  const bool found = m_ds.Locate(r.field, r.key, r.options);
  EXPECT_EQ(found, r.found != 0) << r.what;
  EXPECT_EQ(m_ds.RecNo(), r.found ? r.found : 3) << r.what << ": a miss returns to the record it was on";
}

const int kCi = dbf::loCaseInsensitive;

INSTANTIATE_TEST_SUITE_P(Rows, LocateRules, ::testing::Values(
    // Numeric fields compare values.
    KeyRow{"date serial", "DATE", 36526.0, kCi, 2},
    KeyRow{"field name in any case", "date", 36526.0, kCi, 2},
    KeyRow{"fraction", "DATE", 36526.5, kCi, 3},
    KeyRow{"negative", "DATE", -4.0, kCi, 6},
    KeyRow{"zero", "DATE", 0.0, kCi, 5},
    KeyRow{"no such value", "DATE", 36528.0, kCi, 0},
    KeyRow{"text that reads as the number", "DATE", std::string("36526"), kCi, 2},
    KeyRow{"other spelling of the number", "DATE", std::string("3.6526e4"), kCi, 2},
    KeyRow{"text that is not a number", "DATE", std::string("abc"), kCi, 0},
    KeyRow{"number with trailing text", "DATE", std::string("36526x"), kCi, 0},
    KeyRow{"time of day, twenty decimals", "TIME", 420.0 / 1440, kCi, 6},
    KeyRow{"not quite the time", "TIME", 420.0 / 1440 + 1e-15, kCi, 0},
    // Character fields compare text without trailing blanks.
    KeyRow{"whole text", "DO", std::string("Hello"), 0, 1},
    KeyRow{"case-insensitive", "DO", std::string("HELLO"), kCi, 1},
    KeyRow{"case-sensitive misses", "DO", std::string("HELLO"), 0, 0},
    KeyRow{"trailing blank in the field", "DO", std::string("hello"), 0, 3},
    KeyRow{"trailing blank in the key", "DO", std::string("hello "), 0, 3},
    KeyRow{"prefix is not whole", "DO", std::string("Hello wor"), kCi, 0},
    KeyRow{"partial key", "DO", std::string("Hello wor"), kCi | dbf::loPartialKey, 2},
    KeyRow{"key wider than the field", "DO", std::string(250, 'a'), kCi, 0},
    KeyRow{"mixed case", "DO", std::string("mixed"), kCi, 6},
    KeyRow{"GBK bytes", "DO", std::string("\x81\x61\xd6\xd0"), kCi, 5},
    KeyRow{"GBK second byte is not a letter to fold", "DO", std::string("\x81\x41\xd6\xd0"), kCi, 0},
    KeyRow{"number key on a text field", "DO", 36526.0, kCi, 4},
    // No field of that name: every field is tried.
    KeyRow{"any field, number", "NOSUCH", 36527.0, kCi, 4},
    KeyRow{"any field, text", "NOSUCH", std::string("hello"), kCi, 1},
    KeyRow{"any field, number as text", "", std::string("0.25"), kCi, 1}));

TEST_F(Locating, NumbersAsOtherProgramsWriteThem) {
  const struct {
    const char *text;  // the ten bytes of DATE
    double key;
    bool matches;
  } rows[] = {
      {"36526     ", 36526, true},   {"3.6526e4  ", 36526, true},  {"  36526.0 ", 36526, true},
      {"+36526    ", 36526, true},   {"     -0.00", 0, true},       {"    -36526", 36526, false},
      {"     36526", -36526, false}, {"      0.99", 0.99, true},    {"      0.99", 1, false},
      {"      1.00", 0.99, false},   {"  36525.99", 36526, false},  {"  ab36526 ", 36526, false},
      {"          ", 0, true},       {"0.99999999", 0.99999999, true}};
  add(1, "x");
  for (const auto &r : rows) {
    std::string b = bytes();
    b.replace(225 + 1, 10, r.text);
    m_fs.setContents("TIMELIST.DBF", b);
    EXPECT_EQ(m_ds.Locate("DATE", r.key), r.matches) << '"' << r.text << "\" " << r.key;
  }
  // Twenty nines after the point read as 1.
  std::string b = bytes();
  b.replace(225 + 11, 22, "0.99999999999999999999");
  m_fs.setContents("TIMELIST.DBF", b);
  EXPECT_TRUE(m_ds.Locate("TIME", 1.0));
}

TEST_F(Locating, LocateNextStartsAfterTheGivenRecord) {
  add(36526, "a");
  add(36527, "b");
  add(36526, "c");
  add(36526, "d");
  std::vector<int> found;
  for (bool more = m_ds.Locate("DATE", 36526.0); more; more = m_ds.LocateNext("DATE", 36526.0, m_ds.RecNo()))
    found.push_back(m_ds.RecNo());
  EXPECT_EQ(found, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(m_ds.RecNo(), 4);
  EXPECT_FALSE(m_ds.LocateNext("DATE", 36526.0, 99));
}

TEST_F(Locating, DeletedRecordsStillMatch) {
  add(1, "a");
  add(36526, "b");
  add(2, "c");
  add(36526, "d");
  markDeleted(2);
  // The purge's walk: the search goes on after the record just deleted.
  EXPECT_TRUE(m_ds.Locate("DATE", 36526.0));
  EXPECT_EQ(m_ds.RecNo(), 3) << "a deleted match shows the next live record";
  EXPECT_TRUE(m_ds.LocateNext("DATE", 36526.0, 2));
  EXPECT_EQ(m_ds.RecNo(), 4);
  markDeleted(4);
  m_ds.GotoPosition(1);
  try {
    m_ds.LocateNext("DATE", 36526.0, 3);
    FAIL() << "no live record follows the deleted match";
  } catch (const dbf::EDatabaseError &e) {
    EXPECT_STREQ(e.what(), "DbfDataSetTIMELIST: Record not found");
  }
  EXPECT_EQ(m_ds.RecNo(), 1);
}

TEST_F(Locating, EndsAPendingChange) {
  add(36526, "stored");
  m_ds.Edit();
  m_ds.StringPut("DO", "typed");
  EXPECT_TRUE(m_ds.Locate("DATE", 36526.0));
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Browse);
  EXPECT_EQ(m_ds.StringGet("DO"), "stored");
  m_ds.Insert();
  EXPECT_FALSE(m_ds.Locate("DATE", 1.0));
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Browse);
  EXPECT_EQ(m_ds.RecordCount(), 1);
}

TEST_F(Locating, ScansAcrossReadBlocks) {
  // More records than one read block holds, the match in the last one.
  for (int i = 0; i < 2000; ++i)
    add(40000 + i, "x");
  EXPECT_TRUE(m_ds.Locate("DATE", 41999.0));
  EXPECT_EQ(m_ds.RecNo(), 2000);
  EXPECT_TRUE(m_ds.LocateNext("DATE", 41000.0, 920));
  EXPECT_EQ(m_ds.RecNo(), 1001);
  EXPECT_FALSE(m_ds.Locate("DATE", 42000.0));
}

}  // namespace
