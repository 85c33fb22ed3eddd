// REPEATS.DBF on real files in a fresh folder: the schema as created, changes
// surviving a reopen, record numbers after a delete, and damaged files refused
// whole and left untouched.
#include "repeattable.h"

#include "filenames.h"
#include "gbk.h"
#include "repeat_rows.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using repeats::SREPEATDATA;
using repeats::TRepeatTable;

std::string readFile(const std::string &name) {
  std::ifstream in(calixo::resolveFileName(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using RepeatTable = TempDirTest;

TEST_F(RepeatTable, CreatedWithTheNineFields) {
  TRepeatTable t;
  ASSERT_TRUE(t.CreateIfMissing());
  EXPECT_FALSE(t.CreateIfMissing());
  const std::string bytes = readFile("REPEATS.DBF");
  // Header, 9 field descriptors, terminator, end-of-file mark; the same
  // first byte as the time table.
  ASSERT_EQ(bytes.size(), 32u + 9 * 32 + 1 + 1);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x03);
  const unsigned recordLength = static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8;
  EXPECT_EQ(recordLength, 1u + 1 + 3 + 2 + 22 + 3 + 1 + 10 + 4 + 249);
  t.Open();
  EXPECT_TRUE(t.Items().empty());
}

TEST_F(RepeatTable, ChangesSurviveAReopenAndDeletesKeepPositions) {
  {
    TRepeatTable t;
    t.CreateIfMissing();
    t.Open();
    SREPEATDATA a = rep('L', 8, 15, "妈妈生日"), b = rep('L', -4, 0, "婚礼"), c = rep('G', 2, 29, "闰日");
    a.Hour = 8;
    a.Minute = 30;
    a.Ahead = 3;
    a.SetFlag = 1;
    a.Year = 1950;
    t.Append(a);
    t.Append(b);
    t.Append(c);
    EXPECT_EQ(c.RecNo, 3);
    b.Day = 30;
    t.Update(b);
    t.SetFired(1, 46290);
    t.Delete(2);
    EXPECT_EQ(t.Items().size(), 2u);
    EXPECT_EQ(t.Items()[1].RecNo, 2);
    SREPEATDATA bad = rep('G', 2, 30, "x");
    EXPECT_THROW(t.Append(bad), std::invalid_argument);
  }
  // The scratch copy of the compaction is gone.
  EXPECT_FALSE(calixo::fileExists("rp.dbf"));
  // Found whatever the letter case of its name.
  std::filesystem::rename("REPEATS.DBF", "repeats.dbf");
  TRepeatTable t;
  EXPECT_FALSE(t.CreateIfMissing());
  t.Open();
  ASSERT_EQ(t.Items().size(), 2u);
  const SREPEATDATA &a = t.Items()[0];
  EXPECT_EQ(a.Kind, 'L');
  EXPECT_EQ(a.Month, 8);
  EXPECT_EQ(a.Day, 15);
  EXPECT_EQ(a.Hour * 60 + a.Minute, 8 * 60 + 30);
  EXPECT_EQ(a.Ahead, 3);
  EXPECT_EQ(a.SetFlag, 1);
  EXPECT_EQ(a.Fired, 46290);
  EXPECT_EQ(a.Year, 1950);
  EXPECT_EQ(calixo::gbkToUtf8(a.Text), "妈妈生日");
  EXPECT_EQ(t.Items()[1].Kind, 'G');
  EXPECT_EQ(t.Items()[1].Month, 2);
  EXPECT_EQ(t.Items()[1].Day, 29);
  // GBK bytes as stored, blank-padded.
  const std::string bytes = readFile("repeats.dbf");
  std::string gbk;
  calixo::utf8ToGbk("妈妈生日", gbk);
  EXPECT_NE(bytes.find(gbk), std::string::npos);
}

TEST_F(RepeatTable, DamagedFilesAreRefusedWholeAndLeftAsTheyWere) {
  // A record whose month is 13, written through the engine itself.
  {
    TRepeatTable t;
    t.CreateIfMissing();
    t.Open();
    SREPEATDATA a = rep('L', 1, 1, "a");
    t.Append(a);
  }
  std::string bytes = readFile("REPEATS.DBF");
  const size_t headerLength = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
  bytes.replace(headerLength + 2, 3, " 13");  // MONTH of record 1
  {
    std::ofstream out("REPEATS.DBF", std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  TRepeatTable t;
  try {
    t.Open();
    FAIL() << "opened";
  } catch (const std::runtime_error &e) {
    EXPECT_NE(std::string(e.what()).find("REPEATS.DBF"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("record 1"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(t.Active());
  EXPECT_TRUE(t.Items().empty());
  SREPEATDATA b = rep('L', 1, 1, "b");
  EXPECT_THROW(t.Append(b), std::runtime_error);
  EXPECT_EQ(readFile("REPEATS.DBF"), bytes);

  // Another table under this name.
  std::filesystem::remove("REPEATS.DBF");
  dbf::TDbfDataSet other;
  other.CreateTable("REPEATS.DBF", 'F', [](int i, dbf::FieldDef &d) {
    d = i == 1 ? dbf::FieldDef{"KIND", 'C', 1, 0} : dbf::FieldDef{};
    return true;
  });
  const std::string foreign = readFile("REPEATS.DBF");
  EXPECT_THROW(t.Open(), std::runtime_error);
  EXPECT_EQ(readFile("REPEATS.DBF"), foreign);
}

}  // namespace
