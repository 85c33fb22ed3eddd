// Posting and moving: the bytes on disk after each change, record numbers
// over records marked deleted, and the errors of each state.
#include "testtables.h"

#include <cerrno>

namespace {

using namespace dbftest;

std::string record(const std::string &date, const std::string &time, char set, char run, const std::string &text,
                   char flag = ' ') {
  std::string r(1, flag);
  r += date + time + set + '0' + run + text;
  r.resize(285, ' ');
  return r;
}

using Posting = MemoryTable;

TEST_F(Posting, AppendWritesRecordEndMarkerAndHeaderAtOnce) {
  add(36526, "hello", 0.5, 1);
  const std::string b = bytes();
  ASSERT_EQ(b.size(), 225u + 285 + 1);
  EXPECT_EQ(b.substr(225, 285), record("  36526.00", "0.50000000000000000000", '1', '0', "hello"));
  EXPECT_EQ(b.back(), '\x1a');
  EXPECT_EQ(le32(b, 4), 1u);
  EXPECT_EQ(b.substr(1, 3), std::string("\x1a\x0c\x08", 3));
  EXPECT_EQ(le32(b, 16), kStamp);
  EXPECT_EQ(m_ds.RecNo(), 1);
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Browse);
}

TEST_F(Posting, SixthRecordOfFive) {
  for (int i = 0; i < 5; ++i)
    add(36526 + i, "r");
  const size_t before = bytes().size();
  m_ds.Last();
  m_ds.Insert();
  m_ds.Post();
  EXPECT_EQ(m_ds.RecNo(), 6);
  EXPECT_EQ(m_ds.RecordCount(), 6);
  const std::string b = bytes();
  EXPECT_EQ(b.size(), before + 285);
  EXPECT_EQ(le32(b, 4), 6u);
  EXPECT_EQ(b.back(), '\x1a');
  // A record posted untouched holds the new-record texts.
  EXPECT_EQ(b.substr(225 + 5 * 285, 285), record("      0.00", "0.00000000000000000000", '0', '0', ""));
}

TEST_F(Posting, RewriteKeepsSizeAndForeignHeaderBytes) {
  add(36526, "first");
  add(36527, "second");
  // Another writer's bytes in the header: user id, reserved bytes and flags.
  std::string b = bytes();
  b.replace(20, 12, "\x11\x22\x33\x44\x55\x66\x77\x88\xff\x99\xaa\xbb", 12);
  m_ds.Close();
  m_fs.setContents("TIMELIST.DBF", b);
  m_clock.set({2027, 1, 2, 3, 4, 5, 6});
  m_ds.Open();
  m_ds.GotoPosition(2);
  m_ds.Edit();
  m_ds.StringPut("DO", "changed");
  m_ds.Post();
  const std::string a = bytes();
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(a.substr(225 + 285, 285), record("  36527.00", "0.50000000000000000000", '0', '0', "changed"));
  EXPECT_EQ(a.substr(1, 3), std::string("\x1b\x01\x02", 3));
  EXPECT_EQ(le32(a, 16), ((3u * 64 + 4) * 64 + 5) * 1024 + 6);
  EXPECT_EQ(le32(a, 20), 0u) << "the user identifier is 0";
  EXPECT_EQ(a.substr(24, 4), b.substr(24, 4));
  EXPECT_EQ(static_cast<uint8_t>(a[28]), 0x07) << "only the remembered flag bits";
  EXPECT_EQ(a.substr(29, 3), b.substr(29, 3));
  EXPECT_EQ(a.substr(225, 285), b.substr(225, 285)) << "other records untouched";
}

TEST_F(Posting, DeleteMarksTheRecordInPlace) {
  add(36526, "a");
  add(36527, "b");
  m_ds.GotoPosition(1);
  m_ds.Delete();
  const std::string b = bytes();
  EXPECT_EQ(b.size(), 225u + 2 * 285 + 1);
  EXPECT_EQ(b[225], '*');
  EXPECT_EQ(b[225 + 285], ' ');
  EXPECT_EQ(le32(b, 4), 2u);
  EXPECT_EQ(m_ds.RecNo(), 2) << "the next live record becomes current";
  m_ds.Delete();
  EXPECT_EQ(m_ds.RecNo(), 0);
  EXPECT_TRUE(m_ds.Eof());
  EXPECT_EQ(m_ds.RecordCount(), 2);
}

TEST_F(Posting, DeletingTheLastShowsTheOneBefore) {
  add(1, "a");
  add(2, "b");
  add(3, "c");
  m_ds.GotoPosition(3);
  m_ds.Delete();
  EXPECT_EQ(m_ds.RecNo(), 2);
}

TEST_F(Posting, RecordsAppendedElsewhereAreCountedBeforeAnAppend) {
  add(1, "mine");
  dbf::TDbfDataSet other("Other", &m_fs);
  other.SetTableName("TimeList.dbf");
  other.Open();
  other.Insert();
  other.StringPut("DO", "theirs");
  other.Post();
  EXPECT_EQ(m_ds.RecordCount(), 1) << "not re-read yet";
  add(3, "mine again");
  EXPECT_EQ(m_ds.RecNo(), 3);
  EXPECT_EQ(bytes().substr(225 + 285 + 36, 6), "theirs");
  other.Refresh();
  EXPECT_EQ(other.RecordCount(), 3);
}

TEST_F(Posting, CancelDropsTheChangeAndReturns) {
  add(1, "a");
  add(2, "b");
  m_ds.GotoPosition(1);
  const std::string before = bytes();
  m_ds.Insert();
  m_ds.StringPut("DO", "never");
  m_ds.Cancel();
  EXPECT_EQ(m_ds.RecNo(), 1);
  EXPECT_EQ(m_ds.StringGet("DO"), "a");
  m_ds.Edit();
  m_ds.StringPut("DO", "never");
  m_ds.Next();  // moving ends the edit like Cancel
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Browse);
  m_ds.Prior();
  EXPECT_EQ(m_ds.StringGet("DO"), "a");
  EXPECT_EQ(bytes(), before);
}

// ---- Moving over records marked deleted ----

class Moving : public MemoryTable {
protected:
  void SetUp() override {
    MemoryTable::SetUp();
    for (int i = 1; i <= 5; ++i)
      add(i, "r" + std::to_string(i));
  }
  std::vector<int> walk() {
    std::vector<int> seen;
    for (m_ds.First(); !m_ds.Eof(); m_ds.Next())
      seen.push_back(m_ds.RecNo());
    return seen;
  }
};

TEST_F(Moving, RelativeMovesSkipDeletedRecords) {
  markDeleted(2);
  markDeleted(5);
  EXPECT_EQ(m_ds.RecordCount(), 5);
  EXPECT_EQ(walk(), (std::vector<int>{1, 3, 4}));
  m_ds.Last();
  EXPECT_EQ(m_ds.RecNo(), 4);
  m_ds.Prior();
  EXPECT_EQ(m_ds.RecNo(), 3);
  m_ds.Prior();
  EXPECT_EQ(m_ds.RecNo(), 1);
  EXPECT_FALSE(m_ds.Bof());
  m_ds.Prior();
  EXPECT_TRUE(m_ds.Bof());
  EXPECT_EQ(m_ds.RecNo(), 1) << "the last record reached stays current";
}

TEST_F(Moving, NextPastTheEndKeepsTheLastRecord) {
  markDeleted(2);
  m_ds.GotoPosition(4);
  EXPECT_EQ(m_ds.RecNo(), 5);
  m_ds.Next();
  EXPECT_TRUE(m_ds.Eof());
  EXPECT_EQ(m_ds.RecNo(), 5);
  EXPECT_EQ(m_ds.StringGet("DO"), "r5");
}

TEST_F(Moving, GotoPositionCountsLiveRecords) {
  markDeleted(1);
  const struct {
    int position, recNo;
  } rows[] = {{1, 2}, {2, 3}, {4, 5}, {5, 5}, {99, 5}, {0, 2}, {-3, 2}};
  for (const auto &r : rows) {
    m_ds.GotoPosition(r.position);
    EXPECT_EQ(m_ds.RecNo(), r.recNo) << r.position;
  }
}

TEST_F(Moving, PhysicalAccessForTools) {
  markDeleted(3);
  m_ds.GotoPhysical(3);
  EXPECT_TRUE(m_ds.CurrentDeleted());
  EXPECT_EQ(m_ds.StringGet("DO"), "r3");
  m_ds.GotoPhysical(6);
  EXPECT_TRUE(m_ds.Eof());
  try {
    m_ds.GotoPhysical(7);
    FAIL();
  } catch (const dbf::EDbfError &e) {
    EXPECT_EQ(e.code(), 1002);
    EXPECT_STREQ(e.what(), "dBase record request beyond EOF - TIMELIST.DBF");
  }
}

TEST_F(Moving, AllDeletedShowsNoRecord) {
  for (int i = 1; i <= 5; ++i)
    markDeleted(i);
  m_ds.First();
  EXPECT_TRUE(m_ds.Bof());
  EXPECT_TRUE(m_ds.Eof());
  EXPECT_EQ(m_ds.RecNo(), 0);
  EXPECT_EQ(m_ds.StringGet("DO"), "");
  m_ds.Edit();
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Insert) << "Edit without a live record inserts";
}

// ---- Errors, by state ----

template <class E>
std::string errorOf(const std::function<void()> &f) {
  try {
    f();
  } catch (const E &e) {
    return e.what();
  }
  return "(nothing raised)";
}

TEST(States, ClosedComponent) {
  dbf::MemoryFileSystem fs;
  dbf::TDbfDataSet ds("DbfDataSetMEMOLIST", &fs);
  const std::string prefixed = "DbfDataSetMEMOLIST: Cannot perform this operation on a closed dataset";
  const std::string plain = "Cannot perform this operation on a closed dataset";
  const std::pair<const char *, std::function<void()>> rows[] = {
      {"FloatGet", [&] { ds.FloatGet("X"); }},     {"FloatPut", [&] { ds.FloatPut("X", 1); }},
      {"StringGet", [&] { ds.StringGet("X"); }},   {"StringPut", [&] { ds.StringPut("X", "1"); }},
      {"IntegerGet", [&] { ds.IntegerGet("X"); }}, {"Post", [&] { ds.Post(); }},
      {"First", [&] { ds.First(); }},              {"Locate", [&] { ds.Locate("X", 1.0); }},
      {"Insert", [&] { ds.Insert(); }},            {"Delete", [&] { ds.Delete(); }},
      {"PackTo", [&] { ds.PackTo("pp"); }}};
  for (const auto &[name, call] : rows)
    EXPECT_EQ(errorOf<dbf::EDatabaseError>(call), prefixed) << name;
  EXPECT_EQ(errorOf<dbf::EDatabaseError>([&] { ds.RecordCount(); }), plain);
  EXPECT_EQ(errorOf<dbf::EDatabaseError>([&] { ds.RecNo(); }), plain);
  EXPECT_NO_THROW(ds.Cancel());
  EXPECT_NO_THROW(ds.Close());
}

TEST(States, OpeningFailures) {
  dbf::MemoryFileSystem fs;
  dbf::TDbfDataSet ds("DbfDataSetTIMELIST", &fs);
  EXPECT_EQ(errorOf<dbf::EDatabaseError>([&] { ds.Open(); }), "Table name missing");
  ds.SetTableName("TIMELIST");
  EXPECT_EQ(errorOf<dbf::EDatabaseError>([&] { ds.Open(); }), "Cannot find file TIMELIST.DBF");
  ASSERT_TRUE(ds.CreateTable("TIMELIST", 'F', fieldsOf(timeListSchema())));
  fs.failHook = [](dbf::MemoryFileSystem::Op op, const std::string &) {
    return op == dbf::MemoryFileSystem::Op::Open ? EACCES : 0;
  };
  try {
    ds.Open();
    FAIL();
  } catch (const dbf::EDbfError &e) {
    EXPECT_EQ(e.code(), 5);
    EXPECT_STREQ(e.what(), "File access denied - TIMELIST.DBF");
  }
  EXPECT_FALSE(ds.Active());
  fs.failHook = nullptr;
  ds.Open();
  EXPECT_TRUE(ds.Active());
  EXPECT_EQ(errorOf<dbf::EDatabaseError>([&] { ds.SetTableName("other"); }),
            "DbfDataSetTIMELIST: Cannot perform this operation on an open dataset");
  EXPECT_EQ(ds.TableName(), "TIMELIST");
}

TEST_F(Posting, BrowseStateErrors) {
  add(36526, "kept");
  const std::string before = bytes();
  EXPECT_EQ(errorOf<dbf::EDatabaseError>([&] { m_ds.Post(); }),
            "DbfDataSetTIMELIST: Dataset not in edit or insert mode");
  EXPECT_EQ(errorOf<dbf::EDatabaseError>([&] { m_ds.StringPut("DO", "x"); }), "Dataset not in edit or insert mode");
  EXPECT_EQ(m_ds.StringGet("DO"), "kept");
  EXPECT_EQ(bytes(), before);
}

TEST_F(Posting, DeleteOnAnEmptyTable) {
  EXPECT_EQ(errorOf<dbf::EDatabaseError>([&] { m_ds.Delete(); }),
            "DbfDataSetTIMELIST: Cannot perform this operation on an empty dataset");
  m_ds.Insert();
  EXPECT_NO_THROW(m_ds.Delete()) << "Delete while inserting cancels";
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Browse);
  EXPECT_EQ(bytes().size(), 226u);
}

// ---- Field errors ----

TEST_F(Posting, FieldErrorsAndTheirDetails) {
  add(36526, "text");
  m_ds.Edit();
  const struct {
    const char *what;
    std::function<void()> call;
    int code;
    const char *text;
  } rows[] = {
      {"unknown field", [&] { m_ds.FloatGet("NOPE"); }, 1003, "dBase field name is invalid - TIMELIST.DBF->NOPE"},
      {"FloatGet on text", [&] { m_ds.FloatGet("do"); }, 1004, "dBase field is of incorrect type - DO"},
      {"FloatPut on text", [&] { m_ds.FloatPut("DO", 1); }, 1004, "dBase field is of incorrect type - DO"},
      {"not a number", [&] { m_ds.StringPut("SET", "abc"); }, 1004, "dBase field is of incorrect type - "},
      {"too wide", [&] { m_ds.FloatPut("SET", 123456); }, 1011, "Number too large to fit in field - SET - 123456"},
      {"too wide text", [&] { m_ds.StringPut("DATE", "1e9"); }, 1011,
       "Number too large to fit in field - DATE - 1000000000.00"},
      {"too wide integer", [&] { m_ds.IntegerPut("RUN", 10); }, 1011, "Number too large to fit in field - RUN - 10"},
  };
  for (const auto &r : rows) {
    try {
      r.call();
      ADD_FAILURE() << r.what << ": nothing raised";
    } catch (const dbf::EDbfError &e) {
      EXPECT_EQ(e.code(), r.code) << r.what;
      EXPECT_STREQ(e.what(), r.text) << r.what;
    }
    EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Edit) << r.what;
  }
  EXPECT_EQ(m_ds.StringGet("SET"), "0") << "the old text stays";
  EXPECT_EQ(m_ds.StringGet("DATE"), "  36526.00");
  EXPECT_EQ(m_ds.FloatGet("Date"), 36526);
}

TEST_F(Posting, ANumericFieldHoldingLetters) {
  add(36526, "x");
  std::string b = bytes();
  b.replace(225 + 1, 10, "  abc     ");
  m_fs.setContents("TIMELIST.DBF", b);
  m_ds.Refresh();
  try {
    m_ds.FloatGet("DATE");
    FAIL();
  } catch (const dbf::EDbfError &e) {
    EXPECT_EQ(e.code(), 1004);
    EXPECT_EQ(e.detail(), "Invalid number in field TIMELIST->DATE (  abc)");
  }
  EXPECT_THROW(m_ds.IntegerGet("DATE"), dbf::EDbfError);
  EXPECT_EQ(m_ds.StringGet("DATE"), "  abc");
}

TEST_F(Posting, ValueForms) {
  m_ds.Insert();
  EXPECT_EQ(m_ds.StringGet("DATE"), "      0.00");
  m_ds.StringPut("DATE", "  36526.5  ");
  EXPECT_EQ(m_ds.StringGet("DATE"), "  36526.50");
  m_ds.StringPut("DATE", "");
  EXPECT_EQ(m_ds.StringGet("DATE"), "0.00") << "an all-blank number reads as its zero text";
  EXPECT_EQ(m_ds.FloatGet("DATE"), 0);
  m_ds.FloatPut("DATE", 1.99);
  EXPECT_EQ(m_ds.IntegerGet("DATE"), 1) << "truncated toward zero";
  m_ds.FloatPut("DATE", -1.99);
  EXPECT_EQ(m_ds.IntegerGet("DATE"), -1);
  m_ds.StringPut("DO", std::string(300, 'x'));
  EXPECT_EQ(m_ds.StringGet("DO"), std::string(249, 'x')) << "cut to the width";
  m_ds.StringPut("DO", "  lead and trail   ");
  EXPECT_EQ(m_ds.StringGet("DO"), "  lead and trail");
}

TEST(Values, IntegerOutsideThe32BitRange) {
  dbf::MemoryFileSystem fs;
  dbf::TDbfDataSet ds("T", &fs);
  ASSERT_TRUE(ds.CreateTable("big", 'F', fieldsOf({{"N", 'N', 12, 0}})));
  ds.SetTableName("big");
  ds.Open();
  ds.Insert();
  ds.FloatPut("N", 2147483647);
  EXPECT_EQ(ds.IntegerGet("N"), 2147483647);
  ds.FloatPut("N", -2147483648.0);
  EXPECT_EQ(ds.IntegerGet("N"), INT32_MIN);
  ds.FloatPut("N", 3e9);
  EXPECT_THROW(ds.IntegerGet("N"), std::range_error);
  ds.FloatPut("N", -2147483649.0);
  EXPECT_THROW(ds.IntegerGet("N"), std::range_error);
}

TEST(Errors, CodesOutsideTheTable) {
  EXPECT_EQ(dbf::EDbfError::textFor(7, 3), "Dbf Error 7, SubCode 3");
  const dbf::EDbfError e(9999, "d");
  EXPECT_STREQ(e.what(), "Dbf Error 9999, SubCode 0 - d");
}

}  // namespace
