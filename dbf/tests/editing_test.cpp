// Locks between components, compaction, the navigator, failing files, GBK
// texts and file names on disk.
#include "openfiles.h"
#include "testtables.h"

#include "gbk.h"

#include <cerrno>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace dbftest;
using Op = dbf::MemoryFileSystem::Op;

std::string errorText(const std::function<void()> &f) {
  try {
    f();
  } catch (const std::exception &e) {
    return e.what();
  }
  return "(nothing raised)";
}

// ---- Record locks ----

class Locks : public MemoryTable {
protected:
  void SetUp() override {
    MemoryTable::SetUp();
    add(1, "one");
    add(2, "two");
    m_other.SetTableName("TimeList");
    m_other.Open();
  }
  dbf::TDbfDataSet m_other{"Other", &m_fs};
};

TEST_F(Locks, AnEditedRecordIsLockedForOthers) {
  m_ds.GotoPosition(1);
  m_ds.Edit();
  m_other.GotoPosition(1);
  EXPECT_EQ(errorText([&] { m_other.Edit(); }), "Record is locked by another user");
  EXPECT_EQ(m_other.state(), dbf::TDbfDataSet::State::Browse);
  m_other.GotoPosition(2);
  EXPECT_NO_THROW(m_other.Edit()) << "another record is free";
  m_other.Cancel();
  m_ds.StringPut("DO", "uno");
  m_ds.Post();
  m_other.GotoPosition(1);
  ASSERT_NO_THROW(m_other.Edit()) << "Post released the lock";
  EXPECT_EQ(m_other.StringGet("DO"), "uno") << "Edit reads the record again";
  EXPECT_EQ(errorText([&] { m_ds.Delete(); }), "Cannot delete the record");
  EXPECT_EQ(m_ds.RecordCount(), 2);
  m_other.Close();
  EXPECT_NO_THROW(m_ds.Delete()) << "Close released the lock";
}

TEST_F(Locks, TheWholeFileLockIsReleasedAfterTheCopy) {
  m_ds.PackTo("pp");
  m_other.GotoPosition(1);
  EXPECT_NO_THROW(m_other.Edit()) << "the whole-file lock is released after the copy";
}

TEST(TableLock, NestsOneRegionAndRefusesAnother) {
  dbf::MemoryFileSystem fs;
  fs.setContents("F.DBF", "x");
  int err = 0;
  auto file = dbf::openShared(fs, "F.DBF", err);
  ASSERT_TRUE(file);
  EXPECT_EQ(dbf::openShared(fs, fs.resolve("f.dbf"), err), file) << "one handle per path";
  int a = 0, b = 0;
  dbf::TableLock la(&a), lb(&b);
  la.attach(file, true);
  lb.attach(file, true);
  EXPECT_EQ(la.acquire(100, 1, err), dbf::TableLock::Locked);
  EXPECT_EQ(la.acquire(100, 1, err), dbf::TableLock::Locked);
  EXPECT_EQ(la.depth(), 2);
  EXPECT_EQ(la.acquire(200, 1, err), dbf::TableLock::OtherRegionHeld);
  EXPECT_EQ(err, 33);
  EXPECT_EQ(lb.acquire(0, 0x7FFFFFFF, err), dbf::TableLock::Busy);
  la.release();
  EXPECT_EQ(lb.acquire(100, 1, err), dbf::TableLock::Busy) << "still held one level";
  la.release();
  EXPECT_EQ(lb.acquire(100, 1, err), dbf::TableLock::Locked);
  dbf::TableLock unshared(&err);
  unshared.attach(file, false);
  EXPECT_EQ(unshared.acquire(100, 1, err), dbf::TableLock::Locked) << "unshared: no file lock";
}

TEST_F(Locks, CreatingAnOpenTableIsRefused) {
  try {
    m_ds.CreateTable("timelist", 'F', fieldsOf(timeListSchema()));
    FAIL();
  } catch (const dbf::EDbfError &e) {
    EXPECT_EQ(e.code(), 12);
  }
  EXPECT_EQ(m_ds.RecordCount(), 2);
}

// ---- Compaction ----

class Packing : public MemoryTable {
protected:
  void SetUp() override {
    MemoryTable::SetUp();
    add(36526, "one");
    add(36527, "two");
    add(36528, "three");
    markDeleted(2);
  }
};

TEST_F(Packing, CopiesTheLiveRecords) {
  const std::string source = bytes();
  m_ds.GotoPosition(2);
  m_ds.PackTo("pp");
  EXPECT_EQ(bytes(), source) << "the source is not changed";
  EXPECT_EQ(m_ds.RecNo(), 1) << "then the first live record";
  const std::string pp = m_fs.contents("PP.DBF");
  ASSERT_EQ(pp.size(), 225u + 2 * 285 + 1);
  EXPECT_EQ(pp.substr(32, 193), source.substr(32, 193)) << "same descriptors";
  EXPECT_EQ(le16(pp, 8), 225);
  EXPECT_EQ(le16(pp, 10), 285);
  EXPECT_EQ(le32(pp, 4), 2u);
  EXPECT_EQ(pp.substr(225, 285), source.substr(225, 285));
  EXPECT_EQ(pp.substr(225 + 285, 285), source.substr(225 + 2 * 285, 285));
  EXPECT_EQ(pp.back(), '\x1a');
}

TEST_F(Packing, AnEmptyCopyIsAFreshTable) {
  markDeleted(1);
  markDeleted(3);
  m_ds.PackTo("pp");
  EXPECT_EQ(m_fs.contents("PP.DBF").size(), 226u);
  EXPECT_TRUE(m_ds.Eof());
}

TEST_F(Packing, FieldsAreBusyWhileCopying) {
  std::string seen;
  m_fs.failHook = [&](Op op, const std::string &name) {
    if (op == Op::Create && name == "PP.DBF")
      seen = errorText([&] { m_ds.StringGet("DO"); });
    return 0;
  };
  m_ds.PackTo("pp");
  m_fs.failHook = nullptr;
  EXPECT_EQ(seen, "Table is busy copying");
  EXPECT_EQ(m_ds.StringGet("DO"), "one");
}

TEST_F(Packing, ReplaceByPackedCopy) {
  m_ds.ReplaceByPackedCopy();
  EXPECT_EQ(m_fs.names(), std::vector<std::string>{"TIMELIST.DBF"}) << "the copy took the table's place";
  EXPECT_TRUE(m_ds.Active());
  EXPECT_EQ(m_ds.RecordCount(), 2);
  EXPECT_EQ(m_ds.RecNo(), 1);
  m_ds.Next();
  EXPECT_EQ(m_ds.StringGet("DO"), "three");
}

TEST_F(Packing, RecordsLeftOutOfTheCopyAreNeverMarkedInTheTable) {
  add(36529, "four");
  const std::string before = bytes();
  std::string seenBeforeRename;
  m_fs.failHook = [&](Op op, const std::string &) {
    if (op == Op::Rename)
      seenBeforeRename = bytes();
    return 0;
  };
  m_ds.ReplaceByPackedCopy("pp", {4, 1});
  m_fs.failHook = nullptr;
  EXPECT_EQ(seenBeforeRename, before) << "the table changed before the copy replaced it";
  ASSERT_EQ(m_ds.RecordCount(), 1) << "one deleted, two left out";
  EXPECT_EQ(m_ds.StringGet("DO"), "three");
  EXPECT_FALSE(m_ds.CurrentDeleted());
}

TEST_F(Packing, AFailedRenameKeepsTheOldTableOpen) {
  m_fs.failHook = [](Op op, const std::string &) { return op == Op::Rename ? EIO : 0; };
  EXPECT_THROW(m_ds.ReplaceByPackedCopy(), dbf::EDbfError);
  m_fs.failHook = nullptr;
  EXPECT_TRUE(m_ds.Active());
  EXPECT_EQ(m_ds.RecordCount(), 3);
}

TEST_F(Packing, AFailedCopyLeavesTheTableAsItWas) {
  const std::string before = bytes();
  m_fs.failHook = [](Op op, const std::string &name) { return op == Op::Write && name == "PP.DBF" ? ENOSPC : 0; };
  EXPECT_EQ(errorText([&] { m_ds.ReplaceByPackedCopy(); }), "Disk write error - PP.DBF");
  m_fs.failHook = nullptr;
  EXPECT_EQ(bytes(), before);
  EXPECT_TRUE(m_ds.Active());
  EXPECT_NO_THROW(m_ds.StringGet("DO")) << "no longer busy";
}

// ---- Failing writes ----

TEST_F(Packing, AFailedPostKeepsTheInsertAndTheFile) {
  const std::string before = bytes();
  m_ds.Insert();
  m_ds.StringPut("DO", "four");
  m_fs.failHook = [](Op op, const std::string &) { return op == Op::Write ? EIO : 0; };
  try {
    m_ds.Post();
    FAIL();
  } catch (const dbf::EDbfError &e) {
    EXPECT_EQ(e.code(), 101);
    EXPECT_EQ(e.detail(), "TIMELIST.DBF");
  }
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Insert);
  EXPECT_EQ(bytes(), before);
  m_fs.failHook = nullptr;
  m_ds.Post();
  EXPECT_EQ(m_ds.RecNo(), 4);
  EXPECT_EQ(m_ds.StringGet("DO"), "four");
}

// A clock that cannot be read fails the post before anything is written, so
// the table does not hold a record its caller was told was not stored.
TEST_F(Packing, APostWhoseStampCannotBeMadeWritesNothing) {
  struct Unreadable final : calixo::Clock {
    calixo::LocalDateTime now() const override { throw std::runtime_error("no clock"); }
  } unreadable;
  const std::string before = bytes();
  m_ds.Insert();
  m_ds.StringPut("DO", "four");
  calixo::setClock(&unreadable);
  EXPECT_EQ(errorText([&] { m_ds.Post(); }), "no clock");
  calixo::setClock(&m_clock);
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(m_ds.RecordCount(), 3);
  m_ds.Cancel();
  m_ds.Last();
  m_ds.Insert();
  m_ds.StringPut("DO", "four");
  m_ds.Post();
  EXPECT_EQ(m_ds.RecNo(), 4);
  EXPECT_EQ(m_ds.RecordCount(), 4);
}

TEST_F(Packing, AFailedDelete) {
  m_ds.GotoPosition(1);
  m_fs.failHook = [](Op op, const std::string &) { return op == Op::Write ? EIO : 0; };
  EXPECT_EQ(errorText([&] { m_ds.Delete(); }), "Cannot delete the record");
  m_fs.failHook = nullptr;
  EXPECT_EQ(bytes()[225], ' ');
  EXPECT_EQ(m_ds.RecNo(), 1);
}

TEST_F(Packing, AFailedReadWhileMoving) {
  m_fs.failHook = [](Op op, const std::string &) { return op == Op::Read ? EIO : 0; };
  EXPECT_EQ(errorText([&] { m_ds.Last(); }), "Disk read error - TIMELIST.DBF");
  m_fs.failHook = nullptr;
}

// ---- Navigator ----

TEST_F(Packing, NavigatorButtons) {
  dbf::TDbfNavigator nav(m_ds);
  std::vector<std::string> asked;
  bool answer = false;
  nav.Confirm = [&](const std::string &q) {
    asked.push_back(q);
    return answer;
  };
  nav.BtnClick(dbf::TDbfNavigator::nbBttm);
  EXPECT_EQ(m_ds.RecNo(), 3);
  nav.BtnClick(dbf::TDbfNavigator::nbPrev);
  EXPECT_EQ(m_ds.RecNo(), 1);
  nav.BtnClick(dbf::TDbfNavigator::nbNext);
  EXPECT_EQ(m_ds.RecNo(), 3);
  nav.BtnClick(dbf::TDbfNavigator::nbTop);
  EXPECT_EQ(m_ds.RecNo(), 1);

  nav.BtnClick(dbf::TDbfNavigator::nbDelete);
  EXPECT_EQ(asked, std::vector<std::string>{"Delete record?"});
  EXPECT_EQ(bytes()[225], ' ') << "Cancel deletes nothing";
  answer = true;
  nav.BtnClick(dbf::TDbfNavigator::nbDelete);
  EXPECT_EQ(bytes()[225], '*');
  nav.ConfirmDelete = false;
  nav.BtnClick(dbf::TDbfNavigator::nbDelete);
  EXPECT_EQ(asked.size(), 2u) << "no question without ConfirmDelete";
  EXPECT_EQ(bytes()[225 + 2 * 285], '*');

  nav.BtnClick(dbf::TDbfNavigator::nbInsert);
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Insert);
  m_ds.StringPut("DO", "four");
  nav.BtnClick(dbf::TDbfNavigator::nbPost);
  EXPECT_EQ(m_ds.RecNo(), 4);
  nav.BtnClick(dbf::TDbfNavigator::nbEdit);
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Edit);
  nav.BtnClick(dbf::TDbfNavigator::nbCancel);
  EXPECT_EQ(m_ds.state(), dbf::TDbfDataSet::State::Browse);
  for (int unassigned : {int(dbf::TDbfNavigator::nbCopy), int(dbf::TDbfNavigator::nbFind), 12, -1})
    EXPECT_NO_THROW(nav.BtnClick(unassigned));
  EXPECT_EQ(m_ds.RecNo(), 4);
}

TEST_F(Packing, NavigatorRefreshReadsTheFileAgain) {
  dbf::TDbfNavigator nav(m_ds);
  m_ds.GotoPosition(1);
  std::string b = bytes();
  b.replace(225 + 36, 3, "ONE");
  m_fs.setContents("TIMELIST.DBF", b);
  EXPECT_EQ(m_ds.StringGet("DO"), "one") << "the buffer until asked";
  nav.BtnClick(dbf::TDbfNavigator::nbRefresh);
  EXPECT_EQ(m_ds.StringGet("DO"), "ONE");
}

TEST(Navigator, DoesNothingOnAClosedTable) {
  dbf::MemoryFileSystem fs;
  dbf::TDbfDataSet ds("T", &fs);
  dbf::TDbfNavigator nav(ds);
  bool asked = false;
  nav.Confirm = [&](const std::string &) { return asked = true; };
  for (int i = 0; i < 12; ++i)
    EXPECT_NO_THROW(nav.BtnClick(i)) << i;
  EXPECT_FALSE(asked);
}

// ---- GBK texts ----

TEST_F(Packing, GbkBytesGoToTheFileUnchanged) {
  std::string gbk;
  ASSERT_TRUE(calixo::utf8ToGbk("设置闹钟：明天 7:00 开会", gbk));
  m_ds.GotoPosition(1);
  m_ds.Edit();
  m_ds.StringPut("DO", gbk);
  m_ds.Post();
  EXPECT_EQ(bytes().substr(225 + 36, gbk.size()), gbk);
  m_ds.Close();
  m_ds.Open();
  EXPECT_EQ(m_ds.StringGet("DO"), gbk);
  EXPECT_EQ(calixo::gbkToUtf8(m_ds.StringGet("DO")), "设置闹钟：明天 7:00 开会");
  EXPECT_TRUE(m_ds.Locate("DO", gbk));
}

// ---- Names on disk ----

class OnDisk : public DiskTest {};

TEST_F(OnDisk, OneFileWhateverTheLetterCase) {
  dbf::TDbfDataSet ds("DbfDataSetTIMELIST");
  ASSERT_TRUE(ds.CreateTable("TIMELIST", 'F', fieldsOf(timeListSchema())));
  EXPECT_TRUE(std::filesystem::exists("TIMELIST.DBF"));
  ds.SetTableName("TimeList.dbf");
  ds.Open();
  EXPECT_EQ(ds.FilePath(), "TIMELIST.DBF");
  ds.Insert();
  ds.FloatPut("DATE", 36526);
  ds.Post();
  ds.Delete();
  ds.Insert();
  ds.FloatPut("DATE", 36527);
  ds.Post();
  ds.ReplaceByPackedCopy("pp");
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(ds.FloatGet("DATE"), 36527);
  std::vector<std::string> names;
  for (const auto &e : std::filesystem::directory_iterator("."))
    names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"TIMELIST.DBF"});
  const std::string expected = "Cannot find file " + (m_dir / "none.DBF").string();  // Open keeps the letter case
  dbf::TDbfDataSet none("N");
  none.SetTableName("none");
  EXPECT_EQ(errorText([&] { none.Open(); }), expected);
}

TEST_F(OnDisk, ClosingAnotherDescriptorKeepsTheLock) {
  dbf::TDbfDataSet ds("A");
  ASSERT_TRUE(ds.CreateTable("t", 'F', fieldsOf({{"N", 'N', 3, 0}})));
  ds.SetTableName("t");
  ds.Open();
  ds.Insert();
  ds.Post();
  ds.Edit();
  { std::ifstream("T.DBF").get(); }  // some other open and close of the same file
  int fd = ::open("T.DBF", O_RDWR);
  ASSERT_GE(fd, 0);
  struct flock fl{};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0x40000000 + 33 + 32;  // the record lock of record 1
  fl.l_len = 1;
  EXPECT_EQ(::fcntl(fd, F_OFD_SETLK, &fl), -1) << "a second open file of this process is refused";
  ::close(fd);
  ds.Post();
}

}  // namespace
