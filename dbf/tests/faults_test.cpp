// The engine under faults and odd files: a full disk, a table that may only
// be read, a device or FIFO under a table's name, and the replacement of a
// table that is a link or has permissions of its own.
#include "testtables.h"

#include <cerrno>
#include <fstream>
#include <functional>
#include <iterator>

#include <sys/stat.h>

namespace {

using namespace dbftest;

// ---- A full disk ----

// An append that does not fit leaves the file exactly as it was: no partial
// record, the end marker in place. Rows: the room left on the disk.
TEST_F(MemoryTable, ShortAppendLeavesNoPartialRecord) {
  add(36526, "first");
  add(36527, "second");
  const std::string before = bytes();
  struct Row {
    int64_t room;
    bool fits;
  };
  // A record is 285 bytes and an append writes it and the end marker over
  // the old marker: it needs 285 more bytes.
  for (const Row r : {Row{0, false}, Row{1, false}, Row{100, false}, Row{284, false}, Row{285, true}}) {
    SCOPED_TRACE(r.room);
    m_fs.setContents("TIMELIST.DBF", before);
    m_ds.Close();
    m_ds.Open();
    m_fs.freeBytes = r.room;
    m_ds.Insert();
    m_ds.FloatPut("DATE", 36528);
    m_ds.StringPut("DO", "third");
    if (r.fits) {
      m_ds.Post();
      EXPECT_EQ(bytes().size(), before.size() + 285);
      EXPECT_EQ(m_ds.RecordCount(), 3);
    } else {
      try {
        m_ds.Post();
        ADD_FAILURE() << "posted";
      } catch (const dbf::EDbfError &e) {
        EXPECT_EQ(e.code(), 101);
        EXPECT_EQ(e.systemError(), ENOSPC);
        EXPECT_EQ(dbf::describeStoreFailure(e), "TIMELIST.DBF: No space left on device");
      }
      EXPECT_EQ(bytes(), before);
      EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Insert) << "the typed record is kept";
      m_ds.Cancel();
      EXPECT_EQ(m_ds.RecordCount(), 2);
    }
    m_fs.freeBytes = -1;
  }
}

// ---- A table that may only be read ----

TEST_F(MemoryTable, ReadOnlyTableIsShownAndRefusesEveryChange) {
  add(36526, "first");
  add(36527, "second");
  m_ds.Close();
  m_fs.setReadOnly("TIMELIST.DBF");
  const std::string before = bytes();
  m_ds.Open();
  EXPECT_TRUE(m_ds.ReadOnly());
  EXPECT_EQ(m_ds.RecordCount(), 2);
  EXPECT_EQ(m_ds.StringGet("DO"), "first");
  const std::pair<const char *, std::function<void()>> changes[] = {
      {"edit", [&] { m_ds.GotoPosition(1); m_ds.Edit(); }},
      {"append", [&] { m_ds.Insert(); m_ds.StringPut("DO", "x"); m_ds.Post(); }},
      {"delete", [&] { m_ds.GotoPosition(2); m_ds.Delete(); }},
      {"compaction", [&] { m_ds.ReplaceByPackedCopy("pp", {1}); }},
  };
  for (const auto &[what, change] : changes) {
    SCOPED_TRACE(what);
    try {
      change();
      ADD_FAILURE() << "changed";
    } catch (const std::exception &e) {
      EXPECT_NE(std::string(e.what()).find("TIMELIST.DBF"), std::string::npos) << e.what();
    }
    m_ds.Cancel();
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(m_fs.names(), std::vector<std::string>{"TIMELIST.DBF"});
  }
  m_ds.Close();
  m_fs.setReadOnly("TIMELIST.DBF", false);
  m_ds.Open();
  EXPECT_FALSE(m_ds.ReadOnly());
}

// ---- Odd files under a table's name, on disk ----

class OddFiles : public DiskTest {
protected:
  std::string tableBytes() {
    dbf::TDbfDataSet ds("T");
    EXPECT_TRUE(ds.CreateTable("MADE", 'F', fieldsOf(timeListSchema())));
    ds.SetTableName("MADE");
    ds.Open();
    for (int i = 0; i < 3; ++i) {
      ds.Insert();
      ds.FloatPut("DATE", 36526 + i);
      ds.Post();
    }
    ds.Close();
    std::ifstream in("MADE.DBF", std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove("MADE.DBF");
    return b;
  }
  static std::string fileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
};

// Neither opening nor creating ever blocks on a FIFO or writes into a device,
// and the message says what stands there, not that the file is missing.
TEST_F(OddFiles, DeviceOrFifoUnderTheTableNameIsRefusedWithoutBlocking) {
  const std::pair<const char *, std::function<void()>> kinds[] = {
      {"FIFO", [] { ASSERT_EQ(::mkfifo("TIMELIST.DBF", 0644), 0); }},
      {"device", [] { std::filesystem::create_symlink("/dev/null", "TIMELIST.DBF"); }},
      {"folder", [] { std::filesystem::create_directory("TIMELIST.DBF"); }},
  };
  for (const auto &[what, make] : kinds) {
    SCOPED_TRACE(what);
    make();
    dbf::TDbfDataSet ds("T");
    ds.SetTableName("TIMELIST");
    for (auto step : {std::function<void()>([&] { ds.Open(); }),
                      std::function<void()>([&] { ds.CreateTable("TIMELIST", 'F', fieldsOf(timeListSchema())); })}) {
      try {
        step();
        ADD_FAILURE() << "accepted";
      } catch (const std::exception &e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("device or FIFO, not a table file"), std::string::npos) << text;
        EXPECT_NE(text.find("/TIMELIST.DBF"), std::string::npos) << text;
      }
    }
    EXPECT_FALSE(ds.Active());
    std::filesystem::remove("TIMELIST.DBF");
  }
}

// A new table is never created through a link to nowhere: it would land
// outside the data folder.
TEST_F(OddFiles, DanglingLinkIsNeitherCreatedThroughNorOpened) {
  std::filesystem::create_directory("elsewhere");
  std::filesystem::create_symlink("elsewhere/gone.dbf", "TEXTLIST.DBF");
  dbf::TDbfDataSet ds("T");
  try {
    ds.CreateTable("TextList", 'F', fieldsOf(memoListSchema()));
    ADD_FAILURE() << "created";
  } catch (const std::exception &e) {
    EXPECT_NE(std::string(e.what()).find("link to a file that does not exist"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists("elsewhere/gone.dbf"));
  ds.SetTableName("TextList");
  try {
    ds.Open();
    ADD_FAILURE() << "opened";
  } catch (const dbf::EDatabaseError &e) {
    EXPECT_NE(std::string(e.what()).find("link to a file that does not exist"), std::string::npos) << e.what();
  }
}

// Replacing a table by its packed copy keeps the permission bits and, for a
// table reached through a link, rewrites the link's target and keeps the link.
TEST_F(OddFiles, ReplacementKeepsModeAndLink) {
  struct Row {
    const char *what;
    bool link;
    std::filesystem::perms mode;
  };
  using P = std::filesystem::perms;
  const Row rows[] = {
      {"private file", false, P::owner_read | P::owner_write},
      {"link to a file the group may read", true, P::owner_read | P::owner_write | P::group_read},
  };
  const std::string original = tableBytes();
  for (const Row &r : rows) {
    SCOPED_TRACE(r.what);
    const std::string real = r.link ? "synced/real.dbf" : "TIMELIST.DBF";
    if (r.link) {
      std::filesystem::create_directory("synced");
      std::filesystem::create_symlink("synced/real.dbf", "TIMELIST.DBF");
    }
    std::ofstream(real, std::ios::binary) << original;
    std::filesystem::permissions(real, r.mode);
    dbf::TDbfDataSet ds("T");
    ds.SetTableName("TIMELIST");
    ds.Open();
    ds.ReplaceByPackedCopy("pp", {2});
    EXPECT_EQ(ds.RecordCount(), 2);
    ds.Close();
    EXPECT_EQ(std::filesystem::is_symlink("TIMELIST.DBF"), r.link);
    EXPECT_EQ(std::filesystem::status(real).permissions(), r.mode);
    EXPECT_EQ(fileBytes(real).size(), 225u + 2 * 285 + 1);
    EXPECT_FALSE(std::filesystem::exists("PP.DBF"));
    EXPECT_FALSE(std::filesystem::exists("synced/PP.DBF"));
    std::filesystem::remove("TIMELIST.DBF");
    std::filesystem::remove_all("synced");
  }
}

}  // namespace
