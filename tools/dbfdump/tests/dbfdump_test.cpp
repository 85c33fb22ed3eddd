// dbfdump on files written by our engine, by shapelib (another dBase
// program) and by hand, and its refusal of a file the engine rejects.
#include "dbfdump.h"

#include "dbf.h"
#include "gbk.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class DbfDumpTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_old = fs::current_path();
    m_dir = fs::temp_directory_path() /
            ("dbfdump_test_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
    fs::current_path(m_dir);
  }
  void TearDown() override {
    fs::current_path(m_old);
    fs::remove_all(m_dir);
  }
  static std::vector<std::string> dumpLines(const std::string &path) {
    std::ostringstream out;
    calixo::dumpTable(path, out);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }
  fs::path m_old, m_dir;
};

bool timeListField(int index, dbf::FieldDef &def) {
  static const dbf::FieldDef fields[] = {
      {"DATE", 'N', 10, 2}, {"TIME", 'N', 22, 20}, {"SET", 'N', 1, 0},
      {"AUTODEL", 'N', 1, 0}, {"RUN", 'N', 1, 0}, {"DO", 'C', 249, 0}};
  // Six fields, then an empty name that ends the list (and says go on).
  def = index >= 1 && index <= 6 ? fields[index - 1] : dbf::FieldDef{};
  return true;
}

std::string gbk(const char *utf8) {
  std::string out;
  EXPECT_TRUE(calixo::utf8ToGbk(utf8, out));
  return out;
}

TEST_F(DbfDumpTest, EngineTableWithGbkTextAndDeletedRecord) {
  dbf::TDbfDataSet t("Table");
  ASSERT_TRUE(t.CreateTable("TIMELIST", 'F', timeListField));
  t.SetTableName("TIMELIST");
  t.Open();
  const char *texts[] = {"起床 7:00", "开会"};
  for (const char *text : texts) {
    t.Insert();
    t.FloatPut("DATE", 46364);
    t.FloatPut("TIME", 0.5);
    t.IntegerPut("SET", 1);
    t.StringPut("DO", gbk(text));
    t.Post();
  }
  t.GotoPosition(2);
  dbf::TDbfNavigator nav(t);
  nav.ConfirmDelete = false;
  nav.BtnClick(dbf::TDbfNavigator::nbDelete);
  t.Close();

  const auto lines = dumpLines("TIMELIST.DBF");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("\"version\":3,"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("\"records\":2,"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("\"header_length\":225,\"record_length\":285"), std::string::npos);
  EXPECT_NE(lines[0].find("{\"name\":\"TIME\",\"type\":\"N\",\"width\":22,\"decimals\":20}"),
            std::string::npos);
  EXPECT_NE(lines[0].find("{\"name\":\"DO\",\"type\":\"C\",\"width\":249,\"decimals\":0}"),
            std::string::npos);
  EXPECT_EQ(lines[1].rfind("{\"record\":1,\"deleted\":false,", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find("\"DATE\":{\"text\":\"  46364.00\",\"value\":46364}"), std::string::npos)
      << lines[1];
  EXPECT_NE(lines[1].find("\"TIME\":{\"text\":\"0.50000000000000000000\",\"value\":0.5}"),
            std::string::npos);
  EXPECT_NE(lines[1].find("\"DO\":\"起床 7:00\""), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2].rfind("{\"record\":2,\"deleted\":true,", 0), 0u) << lines[2];
  EXPECT_NE(lines[2].find("\"DO\":\"开会\""), std::string::npos);
}

// shapelib is another dBase writer: its files must read field for field.
TEST_F(DbfDumpTest, FileWrittenByShapelib) {
  DBFHandle h = DBFCreate("other.dbf");
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(DBFAddField(h, "NAME", FTString, 12, 0), 0);
  ASSERT_EQ(DBFAddField(h, "AMOUNT", FTDouble, 12, 3), 1);
  ASSERT_EQ(DBFAddField(h, "COUNT", FTInteger, 5, 0), 2);
  const std::string name = gbk("备忘");
  ASSERT_TRUE(DBFWriteStringAttribute(h, 0, 0, name.c_str()));
  ASSERT_TRUE(DBFWriteDoubleAttribute(h, 0, 1, -12.5));
  ASSERT_TRUE(DBFWriteIntegerAttribute(h, 0, 2, 42));
  ASSERT_TRUE(DBFWriteStringAttribute(h, 1, 0, "second"));
  ASSERT_TRUE(DBFWriteDoubleAttribute(h, 1, 1, 1e6));
  ASSERT_TRUE(DBFWriteIntegerAttribute(h, 1, 2, 0));
  DBFClose(h);

  const auto lines = dumpLines("other.dbf");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("\"records\":2,"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("{\"name\":\"AMOUNT\",\"type\":\"N\",\"width\":12,\"decimals\":3}"),
            std::string::npos)
      << lines[0];
  EXPECT_NE(lines[1].find("\"NAME\":\"备忘\""), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("\"value\":-12.5}"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("\"COUNT\":{\"text\":\"   42\",\"value\":42}"), std::string::npos)
      << lines[1];
  EXPECT_NE(lines[2].find("\"value\":1000000}"), std::string::npos) << lines[2];
}

// Mapping tools write a table without fields for shapes without attributes:
// a 33-byte header and records of the deletion flag alone. shapelib writes
// one when no field is added; its records are appended as raw tuples.
TEST_F(DbfDumpTest, TableWithoutFieldsWrittenByShapelib) {
  DBFHandle h = DBFCreate("shapes.dbf");
  ASSERT_NE(h, nullptr);
  DBFClose(h);
  h = DBFOpen("shapes.dbf", "rb+");
  ASSERT_NE(h, nullptr);
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(DBFWriteTuple(h, i, const_cast<char *>(" ")));
  ASSERT_TRUE(DBFMarkRecordDeleted(h, 1, 1));
  DBFClose(h);

  const auto lines = dumpLines("shapes.dbf");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find("\"records\":3,\"stored_count\":3,\"header_length\":33,\"record_length\":1,"
                          "\"fields\":[]}"),
            std::string::npos)
      << lines[0];
  EXPECT_EQ(lines[1], "{\"record\":1,\"deleted\":false,\"fields\":{}}");
  EXPECT_EQ(lines[2], "{\"record\":2,\"deleted\":true,\"fields\":{}}");
  EXPECT_EQ(lines[3], "{\"record\":3,\"deleted\":false,\"fields\":{}}");
}

// Fields are read by position: two fields of one name (shapelib allows it)
// each print their own value, in file order.
TEST_F(DbfDumpTest, TwoFieldsOfOneNameBothPrint) {
  DBFHandle h = DBFCreate("twice.dbf");
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(DBFAddField(h, "NAME", FTString, 8, 0), 0);
  ASSERT_EQ(DBFAddField(h, "QTY", FTInteger, 3, 0), 1);
  ASSERT_EQ(DBFAddField(h, "NAME", FTString, 8, 0), 2);
  ASSERT_EQ(DBFAddField(h, "QTY", FTInteger, 3, 0), 3);
  ASSERT_TRUE(DBFWriteStringAttribute(h, 0, 0, "first"));
  ASSERT_TRUE(DBFWriteIntegerAttribute(h, 0, 1, 1));
  ASSERT_TRUE(DBFWriteStringAttribute(h, 0, 2, "second"));
  ASSERT_TRUE(DBFWriteIntegerAttribute(h, 0, 3, 2));
  DBFClose(h);

  const auto lines = dumpLines("twice.dbf");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "{\"record\":1,\"deleted\":false,\"fields\":{\"NAME\":\"first\","
                      "\"QTY\":{\"text\":\"  1\",\"value\":1},\"NAME\":\"second\","
                      "\"QTY\":{\"text\":\"  2\",\"value\":2}}}");
}

void writeBytes(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A one-field dBase III file as another program may leave it: a stored count
// that lies, nonzero descriptor bytes 12-15, letters in the numeric field.
std::string handMadeTable() {
  std::string h(32, '\0');
  h[0] = 0x03;
  h[1] = 99; h[2] = 12; h[3] = 31;
  h[4] = 7;                   // stored count: wrong on purpose
  h[8] = 65; h[10] = 6;       // header 32 + 32 + 1, record 1 + 5
  std::string d(32, '\0');
  d.replace(0, 3, "QTY");
  d[11] = 'N';
  d[12] = 'x'; d[13] = 'y'; d[14] = 'z'; d[15] = 'w';
  d[16] = 5;
  return h + d + "\x0d" + "    12" + "*  abc" + "\x1a";
}

TEST_F(DbfDumpTest, ForeignHeaderAndBadNumber) {
  writeBytes("HAND.DBF", handMadeTable());
  const auto lines = dumpLines("HAND.DBF");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("\"records\":2,\"stored_count\":7,"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("\"QTY\":{\"text\":\"   12\",\"value\":12}"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("\"deleted\":true"), std::string::npos);
  EXPECT_NE(lines[2].find("\"value\":null,\"error\":"), std::string::npos) << lines[2];
  EXPECT_NE(lines[2].find("Invalid number in field HAND->QTY ("), std::string::npos) << lines[2];
}

std::string run(const std::string &command, int &status) {
  std::string out;
  FILE *p = ::popen(command.c_str(), "r");
  char buf[512];
  while (size_t n = std::fread(buf, 1, sizeof buf, p))
    out.append(buf, n);
  status = ::pclose(p);
  return out;
}

TEST_F(DbfDumpTest, RefusedFileGivesTheEnginesMessageAndExitOne) {
  std::string bytes = handMadeTable();
  bytes[0] = 0x04;
  writeBytes("bad.dbf", bytes);
  int status = 0;
  const std::string err = run(std::string(DBFDUMP_EXE) + " bad.dbf 2>&1 >/dev/null", status);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(err.find("dBase DBF file header invalid"), std::string::npos) << err;

  const std::string out = run(std::string(DBFDUMP_EXE) + " missing.dbf 2>&1", status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_FALSE(out.empty());
}

// The command prints a table without fields like any other.
TEST_F(DbfDumpTest, CommandPrintsATableWithoutFields) {
  std::string h(32, '\0');
  h[0] = 0x03;
  h[8] = 33;
  h[10] = 1;
  writeBytes("bare.dbf", h + "\x0d" + " *" + "\x1a");
  int status = 0;
  const std::string out = run(std::string(DBFDUMP_EXE) + " bare.dbf 2>&1", status);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << out;
  EXPECT_NE(out.find("\"records\":2,"), std::string::npos) << out;
  EXPECT_NE(out.find("{\"record\":2,\"deleted\":true,\"fields\":{}}"), std::string::npos) << out;
}

}  // namespace
