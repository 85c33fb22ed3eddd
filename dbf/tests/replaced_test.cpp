// Another program replaces the table file under its name (a copy renamed
// over it) while the table is open: every later read and write follows the
// name to the new file, and nothing is written into the old one.
#include "testtables.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace dbftest;

// The DO texts of the live records in a time-list file's bytes.
std::vector<std::string> liveTexts(const std::string &bytes) {
  constexpr size_t headerLength = 225, recordLength = 285, doOffset = 36;
  std::vector<std::string> out;
  for (size_t at = headerLength; at + recordLength <= bytes.size(); at += recordLength)
    if (bytes[at] == ' ') {
      std::string text = bytes.substr(at + doOffset, 249);
      text.erase(text.find_last_not_of(' ') + 1);
      out.push_back(text);
    }
  return out;
}

using Texts = std::vector<std::string>;

class ReplacedFile : public MemoryTable {
protected:
  void SetUp() override {
    MemoryTable::SetUp();
    add(1, "one");
    add(2, "two");
  }
  // What a sync tool or another copy does: writes a new file and renames it
  // over the table; the new one holds a record more.
  void replace() {
    dbf::TDbfDataSet other("Other", &m_fs);
    ASSERT_TRUE(other.CreateTable("NEWCOPY", 'F', fieldsOf(timeListSchema())));
    other.SetTableName("NEWCOPY");
    other.Open();
    for (const char *t : {"one", "two", "three"}) {
      other.Insert();
      other.StringPut("DO", t);
      other.Post();
    }
    other.Close();
    ASSERT_EQ(m_fs.rename("NEWCOPY.DBF", "TIMELIST.DBF"), 0);
  }
};

TEST_F(ReplacedFile, EveryOperationFollowsTheName) {
  struct Row {
    const char *what;
    std::function<void()> run;
    Texts expected;
  } rows[] = {
      {"an append", [this] { replace(); add(3, "four"); }, {"one", "two", "three", "four"}},
      {"an edit begun after the replacement",
       [this] {
         replace();
         m_ds.GotoPosition(1);
         m_ds.Edit();
         m_ds.StringPut("DO", "uno");
         m_ds.Post();
       },
       {"uno", "two", "three"}},
      {"an edit begun before the replacement",
       [this] {
         m_ds.GotoPosition(1);
         m_ds.Edit();
         replace();
         m_ds.StringPut("DO", "uno");
         m_ds.Post();
       },
       {"uno", "two", "three"}},
      {"a delete",
       [this] {
         replace();
         m_ds.GotoPhysical(3);
         m_ds.Delete();
       },
       {"one", "two"}},
      {"a compaction", [this] { replace(); m_ds.ReplaceByPackedCopy("pp", {1}); }, {"two", "three"}},
      {"a read",
       [this] {
         replace();
         EXPECT_TRUE(m_ds.Locate("DO", std::string("three")));
         EXPECT_EQ(m_ds.RecordCount(), 3);
         add(3, m_ds.StringGet("DO") + " again");
       },
       {"one", "two", "three", "three again"}},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.what);
    m_ds.Close();
    m_fs.remove("TIMELIST.DBF");
    SetUp();
    r.run();
    EXPECT_EQ(liveTexts(m_fs.contents("TIMELIST.DBF")), r.expected);
  }
}

TEST_F(ReplacedFile, AWriteWhileTheNameStandsForNothingFails) {
  ASSERT_EQ(m_fs.remove("TIMELIST.DBF"), 0);
  m_ds.Last();
  m_ds.Insert();
  m_ds.StringPut("DO", "lost");
  try {
    m_ds.Post();
    ADD_FAILURE() << "the record went into a file without a name";
  } catch (const dbf::EDatabaseError &e) {
    EXPECT_STREQ(e.what(), "Cannot find file TIMELIST.DBF");
  }
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Insert) << "what was typed is kept for another try";
}

// The same on disk: stat of the name against fstat of the open file.
class ReplacedOnDisk : public DiskTest {};

TEST_F(ReplacedOnDisk, AnAppendGoesIntoTheFileTheNameStandsFor) {
  dbf::TDbfDataSet ds("T");
  ASSERT_TRUE(ds.CreateTable("TIMELIST", 'F', fieldsOf(timeListSchema())));
  ASSERT_TRUE(ds.CreateTable("NEWCOPY", 'F', fieldsOf(timeListSchema())));
  ds.SetTableName("TIMELIST");
  ds.Open();
  std::filesystem::rename("NEWCOPY.DBF", "TIMELIST.DBF");
  ds.Insert();
  ds.StringPut("DO", "kept");
  ds.Post();
  std::ifstream in("TIMELIST.DBF", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_EQ(liveTexts(bytes.str()), Texts{"kept"});
}

}  // namespace
