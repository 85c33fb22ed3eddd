// The bytes CreateTable writes, and which headers Open accepts.
#include "testtables.h"

#include <functional>

namespace {

using namespace dbftest;

class Creation : public ::testing::Test {
protected:
  void SetUp() override { calixo::setClock(&m_clock); }
  void TearDown() override { calixo::setClock(nullptr); }
  calixo::ManualClock m_clock{kNow};
  dbf::MemoryFileSystem m_fs;
  dbf::TDbfDataSet m_ds{"DbfDataSetMEMOLIST", &m_fs};
};

TEST_F(Creation, EmptyMemoListTableIsHeaderTerminatorAndEndMarker) {
  ASSERT_TRUE(m_ds.CreateTable("TextList", 'F', fieldsOf(memoListSchema())));
  EXPECT_FALSE(m_ds.Active()) << "creation does not open the component";
  const std::string b = m_fs.contents("TEXTLIST.DBF");
  EXPECT_EQ(m_fs.names(), std::vector<std::string>{"TEXTLIST.DBF"});
  ASSERT_EQ(b.size(), 226u);
  EXPECT_EQ(static_cast<uint8_t>(b[0]), 0x03);
  EXPECT_EQ(b.substr(1, 3), std::string("\x1a\x0c\x08", 3)) << "2026-12-08";
  EXPECT_EQ(le32(b, 4), 0u);
  EXPECT_EQ(le16(b, 8), 225);
  EXPECT_EQ(le16(b, 10), 298);
  EXPECT_EQ(b.substr(12, 20), std::string(20, '\0')) << "stamp, user and flags are 0 on creation";
  struct Desc {
    const char *name;
    char type;
    int b16, b17;
  } expected[] = {{"DATETIME", 'N', 30, 20}, {"LOCK", 'N', 1, 0}, {"SHOW", 'N', 1, 0},
                  {"X", 'N', 8, 0},          {"Y", 'N', 8, 0},    {"TEXT", 'C', 249, 0}};
  for (size_t i = 0; i < 6; ++i) {
    const std::string d = b.substr(32 * (i + 1), 32);
    std::string name(expected[i].name);
    name.resize(11, '\0');
    EXPECT_EQ(d.substr(0, 11), name);
    EXPECT_EQ(d[11], expected[i].type);
    EXPECT_EQ(d.substr(12, 4), std::string(4, '\0'));
    EXPECT_EQ(static_cast<uint8_t>(d[16]), expected[i].b16);
    EXPECT_EQ(static_cast<uint8_t>(d[17]), expected[i].b17);
    EXPECT_EQ(d.substr(18), std::string(14, '\0'));
  }
  EXPECT_EQ(b[224], '\x0d');
  EXPECT_EQ(b[225], '\x1a');
}

TEST_F(Creation, TimeListTableLengths) {
  ASSERT_TRUE(m_ds.CreateTable("TIMELIST", 'F', fieldsOf(timeListSchema())));
  const std::string b = m_fs.contents("TIMELIST.DBF");
  EXPECT_EQ(b.size(), 226u);
  EXPECT_EQ(le16(b, 8), 225);
  EXPECT_EQ(le16(b, 10), 285);
  m_ds.SetTableName("TimeList.dbf");
  m_ds.Open();
  ASSERT_EQ(m_ds.Fields().size(), 6u);
  const int offsets[] = {1, 11, 33, 34, 35, 36};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(m_ds.Fields()[i].offset, offsets[i]);
    EXPECT_EQ(m_ds.Fields()[i].width, timeListSchema()[i].width);
    EXPECT_EQ(m_ds.Fields()[i].decimals, timeListSchema()[i].decimals);
  }
  EXPECT_EQ(m_ds.RecordCount(), 0);
  EXPECT_TRUE(m_ds.Eof());
}

TEST_F(Creation, FlavourLetters) {
  const struct {
    char flavour;
    bool written;
  } rows[] = {{'F', true}, {'C', true}, {'3', true}, {'4', true}, {'5', true},
              {'f', false}, {'X', false}, {'D', false}, {'\0', false}};
  for (const auto &r : rows) {
    dbf::MemoryFileSystem fs;
    dbf::TDbfDataSet ds("T", &fs);
    EXPECT_EQ(ds.CreateTable("t", r.flavour, fieldsOf(timeListSchema())), r.written) << r.flavour;
    EXPECT_EQ(fs.exists("T.DBF"), r.written) << r.flavour;
    if (r.written) {
      EXPECT_EQ(static_cast<uint8_t>(fs.contents("T.DBF")[0]), 0x03) << "no memo field: plain dBase III";
    }
  }
}

TEST_F(Creation, MemoFieldMakesAMemoTable) {
  ASSERT_TRUE(m_ds.CreateTable("notes", 'F', fieldsOf({{"ID", 'N', 4, 0}, {"BODY", 'M', 0, 0}})));
  const std::string b = m_fs.contents("NOTES.DBF");
  EXPECT_EQ(static_cast<uint8_t>(b[0]), 0xF5);
  EXPECT_EQ(static_cast<uint8_t>(b[32 * 2 + 16]), 10) << "memo width";
  const std::string fpt = m_fs.contents("NOTES.FPT");
  ASSERT_EQ(fpt.size(), 512u);
  EXPECT_EQ(fpt.substr(0, 8), std::string("\0\0\0\x08\0\0\0\x40", 8));
  EXPECT_EQ(fpt.find_first_not_of('\0', 8), std::string::npos);

  ASSERT_TRUE(m_ds.CreateTable("old", '3', fieldsOf({{"BODY", 'M', 0, 0}})));
  EXPECT_EQ(static_cast<uint8_t>(m_fs.contents("OLD.DBF")[0]), 0x83);
  EXPECT_TRUE(m_fs.exists("OLD.DBT"));
}

TEST_F(Creation, DescriptorsByType) {
  ASSERT_TRUE(m_ds.CreateTable("kinds", 'F',
                               fieldsOf({{"averylongname", 'n', 5, 1}, {"D", 'D', 3, 3}, {"L", 'L', 9, 9},
                                         {"WIDE", 'C', 300, 7}})));
  const std::string b = m_fs.contents("KINDS.DBF");
  EXPECT_EQ(b.substr(32, 12), std::string("AVERYLONGNA", 10) + std::string("\0N", 2)) << "cut to 10, upper-cased";
  EXPECT_EQ(static_cast<uint8_t>(b[64 + 16]), 8);
  EXPECT_EQ(static_cast<uint8_t>(b[64 + 17]), 0);
  EXPECT_EQ(static_cast<uint8_t>(b[96 + 16]), 1);
  EXPECT_EQ(static_cast<uint8_t>(b[128 + 16]), 300 % 256);
  EXPECT_EQ(static_cast<uint8_t>(b[128 + 17]), 300 / 256);
  EXPECT_EQ(le16(b, 10), 1 + 5 + 8 + 1 + 300);
  m_ds.SetTableName("kinds");
  m_ds.Open();
  EXPECT_EQ(m_ds.Fields()[3].width, 300);
  EXPECT_EQ(m_ds.Fields()[0].name, "AVERYLONGN");
}

TEST_F(Creation, WrittenOnlyWhenTheListEndsWell) {
  auto stopAtTwo = [](int index, dbf::FieldDef &def) {
    def = {"F" + std::to_string(index), 'N', 3, 0};
    return index < 2;
  };
  EXPECT_FALSE(m_ds.CreateTable("stop", 'F', stopAtTwo));
  EXPECT_FALSE(m_fs.exists("STOP.DBF"));
  EXPECT_FALSE(m_ds.CreateTable("none", 'F', fieldsOf({})));
  EXPECT_FALSE(m_fs.exists("NONE.DBF"));
  EXPECT_FALSE(m_ds.CreateTable("badtype", 'F', fieldsOf({{"A", 'Q', 3, 0}})));
  EXPECT_FALSE(m_ds.CreateTable("badwidth", 'F', fieldsOf({{"A", 'N', 256, 0}})));
  EXPECT_FALSE(m_fs.exists("BADTYPE.DBF"));
}

TEST_F(Creation, AnExistingFileIsTruncatedWhateverItsLetterCase) {
  m_fs.setContents("TimeList.dbf", std::string(5000, 'x'));
  ASSERT_TRUE(m_ds.CreateTable("TIMELIST", 'F', fieldsOf(timeListSchema())));
  EXPECT_EQ(m_fs.names(), std::vector<std::string>{"TimeList.dbf"});
  EXPECT_EQ(m_fs.contents("TimeList.dbf").size(), 226u);
}

// ---- Reading foreign and damaged headers ----

std::string twoRecordTable() {
  calixo::ManualClock clock(kNow);
  calixo::setClock(&clock);
  dbf::MemoryFileSystem fs;
  dbf::TDbfDataSet ds("T", &fs);
  EXPECT_TRUE(ds.CreateTable("TIMELIST", 'F', fieldsOf(timeListSchema())));
  ds.SetTableName("TIMELIST");
  ds.Open();
  for (double date : {36526.0, 36527.0}) {
    ds.Insert();
    ds.FloatPut("DATE", date);
    ds.StringPut("DO", "entry");
    ds.Post();
  }
  ds.Close();
  calixo::setClock(nullptr);
  return fs.contents("TIMELIST.DBF");
}

struct HeaderRow {
  const char *what;
  std::function<void(std::string &)> change;
  int records;  // -1: "dBase DBF file header invalid"
};

void put16(std::string &b, size_t off, int v) {
  b[off] = static_cast<char>(v & 0xFF);
  b[off + 1] = static_cast<char>((v >> 8) & 0xFF);
}

class HeaderReading : public ::testing::TestWithParam<HeaderRow> {};

TEST_P(HeaderReading, AcceptsOrRefuses) {
  const HeaderRow &r = GetParam();
  std::string bytes = twoRecordTable();
  r.change(bytes);
  dbf::MemoryFileSystem fs;
  fs.setContents("TIMELIST.DBF", bytes);
  dbf::TDbfDataSet ds("T", &fs);
  ds.SetTableName("TIMELIST");
  if (r.records < 0) {
    try {
      ds.Open();
      FAIL() << r.what << ": opened";
    } catch (const dbf::EDbfError &e) {
      EXPECT_EQ(e.code(), 1001) << r.what;
      EXPECT_STREQ(e.what(), "dBase DBF file header invalid - TIMELIST.DBF");
    }
    EXPECT_FALSE(ds.Active()) << r.what;
    return;
  }
  ds.Open();
  EXPECT_EQ(ds.RecordCount(), r.records) << r.what;
  if (r.records > 0) {
    EXPECT_EQ(ds.FloatGet("DATE"), 36526) << r.what;
    EXPECT_EQ(ds.StringGet("SET"), "0") << r.what;
  }
  // Walking every record never reads outside the file.
  for (ds.First(); !ds.Eof(); ds.Next())
    (void)ds.StringGet("DATE");
}

INSTANTIATE_TEST_SUITE_P(Rows, HeaderReading, ::testing::Values(
    HeaderRow{"as written", [](std::string &) {}, 2},
    HeaderRow{"version 0x83", [](std::string &b) { b[0] = '\x83'; }, 2},
    HeaderRow{"version 0x8B", [](std::string &b) { b[0] = '\x8b'; }, 2},
    HeaderRow{"version 0xF5", [](std::string &b) { b[0] = '\xf5'; }, 2},
    HeaderRow{"version 0x04", [](std::string &b) { b[0] = '\x04'; }, -1},
    HeaderRow{"version 0x00", [](std::string &b) { b[0] = '\0'; }, -1},
    HeaderRow{"version 0x30 with a dBase III header length", [](std::string &b) { b[0] = '\x30'; }, -1},
    HeaderRow{"stored count too high", [](std::string &b) { b[4] = 99; }, 2},
    HeaderRow{"stored count 0", [](std::string &b) { b[4] = 0; }, 2},
    HeaderRow{"descriptor offsets are ignored",
              [](std::string &b) { for (size_t d = 1; d <= 6; ++d) b.replace(32 * d + 12, 4, "\xff\x7f\x01\x02"); }, 2},
    HeaderRow{"no end-of-file byte", [](std::string &b) { b.pop_back(); }, 2},
    HeaderRow{"last record cut short", [](std::string &b) { b.resize(b.size() - 11); }, 1},
    HeaderRow{"only the header", [](std::string &b) { b.resize(225); }, 0},
    // A record length other than the flag plus the fields puts every record,
    // and every append, in the wrong place: the header lies.
    HeaderRow{"spare room behind the terminator",
              [](std::string &b) { b[32 * 6] = '\x0d'; }, -1},  // five fields, record longer than them
    HeaderRow{"record longer than its fields", [](std::string &b) { put16(b, 10, 300); }, -1},
    HeaderRow{"record length beyond the data", [](std::string &b) { put16(b, 10, 60000); }, -1},
    HeaderRow{"record one byte longer than its fields", [](std::string &b) { put16(b, 10, 286); }, -1},
    HeaderRow{"a field of no width", [](std::string &b) { b[32 * 3 + 16] = 0; put16(b, 10, 284); }, -1},
    HeaderRow{"record length below its fields", [](std::string &b) { put16(b, 10, 284); }, -1},
    HeaderRow{"record length 0", [](std::string &b) { put16(b, 10, 0); }, -1},
    HeaderRow{"character width past the record", [](std::string &b) { b[32 * 6 + 17] = 1; }, -1},
    HeaderRow{"numeric width past the record", [](std::string &b) { b[32 * 1 + 16] = '\xff'; }, -1},
    HeaderRow{"header length past the file", [](std::string &b) { put16(b, 8, 60000); }, -1},
    HeaderRow{"header length 32", [](std::string &b) { put16(b, 8, 32); }, -1},
    HeaderRow{"header length 0", [](std::string &b) { put16(b, 8, 0); }, -1},
    HeaderRow{"file cut inside the descriptors", [](std::string &b) { b.resize(100); }, -1},
    HeaderRow{"file cut inside the header", [](std::string &b) { b.resize(20); }, -1},
    HeaderRow{"empty file", [](std::string &b) { b.clear(); }, -1}));

// Tables without fields, as mapping tools write them for shapes without
// attributes: a 33-byte header (or a terminator where the first descriptor
// would be) and records of nothing but the deletion flag.
std::string fieldlessTable(int headerLength, int recordLength, const std::string &records) {
  std::string b(32, '\0');
  b[0] = '\x03';
  b[4] = 9;  // a stored count that is not trusted
  put16(b, 8, headerLength);
  put16(b, 10, recordLength);
  // The terminator comes first; some writers leave room behind it.
  b += '\x0d' + std::string(static_cast<size_t>(headerLength - 33), '\0');
  return b + records + "\x1a";
}

struct FieldlessRow {
  const char *what;
  std::string bytes;
  int records;
  std::vector<int> live;  // the records a walk visits
};

TEST(TableWithoutFields, OpensWithItsRecords) {
  const FieldlessRow rows[] = {
      {"three records, the second deleted", fieldlessTable(33, 1, " * "), 3, {1, 3}},
      {"no records", fieldlessTable(33, 1, ""), 0, {}},
      {"no end mark", fieldlessTable(33, 1, "  ").substr(0, 35), 2, {1, 2}},
      {"room for a descriptor left unused", fieldlessTable(65, 1, "   "), 3, {1, 2, 3}},
  };
  for (const FieldlessRow &r : rows) {
    SCOPED_TRACE(r.what);
    dbf::MemoryFileSystem fs;
    fs.setContents("SHAPES.DBF", r.bytes);
    dbf::TDbfDataSet ds("T", &fs);
    ds.SetTableName("shapes");
    ASSERT_NO_THROW(ds.Open());
    EXPECT_TRUE(ds.Fields().empty());
    EXPECT_EQ(ds.RecordCount(), r.records);
    std::vector<int> walked;
    for (ds.First(); !ds.Eof(); ds.Next())
      walked.push_back(ds.RecNo());
    EXPECT_EQ(walked, r.live);
    // Asking for a field, by name or by position, is the engine's usual error.
    for (auto read : {std::function<void()>([&] { ds.StringGet("NAME"); }),
                      std::function<void()>([&] { ds.StringGetAt(0); })}) {
      try {
        read();
        ADD_FAILURE() << "a field was found";
      } catch (const dbf::EDbfError &e) {
        EXPECT_EQ(e.code(), 1003);
      }
    }
  }
}

// Every other check of an untrusted header still holds without fields.
TEST(TableWithoutFields, BrokenHeadersAreStillRefused) {
  std::string lengthPastFile = fieldlessTable(33, 1, "");
  put16(lengthPastFile, 8, 40);
  std::string versionBad = fieldlessTable(33, 1, " ");
  versionBad[0] = '\x04';
  std::string recordLengthZero = fieldlessTable(33, 1, " ");
  put16(recordLengthZero, 10, 0);
  std::string foxProShort = fieldlessTable(33, 1, " ");
  foxProShort[0] = '\x30';
  std::string headerOf32 = fieldlessTable(33, 1, " ");
  put16(headerOf32, 8, 32);
  // Records of 285 bytes behind a header that ends before its first field.
  std::string terminatorFirst = twoRecordTable();
  terminatorFirst[32] = '\x0d';
  const std::pair<const char *, std::string> rows[] = {
      {"terminator where the first field would be", terminatorFirst},
      {"records longer than the deletion flag", fieldlessTable(33, 4, "    *xyz")},
      {"header length past the file", lengthPastFile},
      {"version 0x04", versionBad},
      {"record length 0", recordLengthZero},
      {"version 0x30 needs its block behind the terminator", foxProShort},
      {"header length 32", headerOf32},
  };
  for (const auto &[what, bytes] : rows) {
    SCOPED_TRACE(what);
    dbf::MemoryFileSystem fs;
    fs.setContents("SHAPES.DBF", bytes);
    dbf::TDbfDataSet ds("T", &fs);
    ds.SetTableName("shapes");
    try {
      ds.Open();
      ADD_FAILURE() << "opened";
    } catch (const dbf::EDbfError &e) {
      EXPECT_EQ(e.code(), 1001);
    }
    EXPECT_FALSE(ds.Active());
  }
}

// Appending, deleting and compacting work on records without fields.
TEST(TableWithoutFields, RecordsAreAppendedAndPacked) {
  calixo::ManualClock clock{kNow};
  calixo::setClock(&clock);
  dbf::MemoryFileSystem fs;
  fs.setContents("SHAPES.DBF", fieldlessTable(33, 1, "  "));
  dbf::TDbfDataSet ds("T", &fs);
  ds.SetTableName("shapes");
  ds.Open();
  ds.Insert();
  ds.Post();
  EXPECT_EQ(ds.RecordCount(), 3);
  std::string bytes = fs.contents("SHAPES.DBF");
  EXPECT_EQ(bytes.size(), 33u + 3 + 1);
  EXPECT_EQ(le32(bytes, 4), 3u);
  EXPECT_EQ(bytes.substr(33), "   \x1a");
  ds.GotoPosition(2);
  ds.Delete();
  ds.PackTo("packed");
  ds.Close();
  calixo::setClock(nullptr);
  const std::string packed = fs.contents("PACKED.DBF");
  ASSERT_EQ(packed.size(), 33u + 2 + 1);
  EXPECT_EQ(le16(packed, 8), 33u);
  EXPECT_EQ(le16(packed, 10), 1u);
  EXPECT_EQ(le32(packed, 4), 2u);
  EXPECT_EQ(packed.substr(32), "\x0d  \x1a");
}

// A table whose last record is cut short shows its whole records and says
// that its end is damaged; the next append writes over the broken bytes.
TEST(DamagedEnd, IsToldApartFromTheEndMarker) {
  struct Row {
    const char *what;
    std::function<void(std::string &)> change;
    int records;
    bool damaged;
  };
  const Row rows[] = {
      {"as written", [](std::string &) {}, 2, false},
      {"no end-of-file byte", [](std::string &b) { b.pop_back(); }, 2, false},
      {"only the header", [](std::string &b) { b.resize(225); }, 0, false},
      {"last record cut short", [](std::string &b) { b.resize(b.size() - 11); }, 1, true},
      {"one stray byte for the end marker", [](std::string &b) { b.back() = 'x'; }, 2, true},
      {"a record's first bytes behind the marker", [](std::string &b) { b += "  3652"; }, 2, true},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.what);
    std::string bytes = twoRecordTable();
    r.change(bytes);
    calixo::ManualClock clock{kNow};
    calixo::setClock(&clock);
    dbf::MemoryFileSystem fs;
    fs.setContents("TIMELIST.DBF", bytes);
    dbf::TDbfDataSet ds("T", &fs);
    ds.SetTableName("TIMELIST");
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), r.records);
    EXPECT_EQ(ds.DamagedEnd(), r.damaged);
    // An append lands right behind the last whole record and ends the file.
    ds.Insert();
    ds.FloatPut("DATE", 40000);
    ds.Post();
    const std::string after = fs.contents("TIMELIST.DBF");
    EXPECT_EQ(after.size(), 225u + 285u * (r.records + 1) + 1);
    EXPECT_EQ(after.back(), '\x1a');
    ds.Close();
    calixo::setClock(nullptr);
  }
}

TEST(ForeignHeader, VisualFoxProKeepsItsBlockBehindTheTerminator) {
  // Version 0x30: one descriptor, terminator, 263 bytes, then the records.
  std::string b(32, '\0');
  b[0] = '\x30';
  const int headerLength = 32 + 32 + 1 + 263;
  put16(b, 8, headerLength);
  put16(b, 10, 1 + 5);
  std::string d(32, '\0');
  d.replace(0, 3, "NUM");
  d[11] = 'N';
  d[16] = 5;
  b += d;
  b += '\x0d';
  b += std::string(263, '\0');
  b += "    42";
  b += "*    7";
  b += "  -1.5";
  b += '\x1a';
  dbf::MemoryFileSystem fs;
  fs.setContents("VFP.DBF", b);
  dbf::TDbfDataSet ds("T", &fs);
  ds.SetTableName("vfp");
  ds.Open();
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_EQ(ds.FloatGet("num"), 42);
  ds.Next();
  EXPECT_EQ(ds.RecNo(), 3) << "record 2 is marked deleted";
  EXPECT_EQ(ds.FloatGet("NUM"), -1.5);
}

}  // namespace
