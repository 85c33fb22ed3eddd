// Two processes of the program on one table: record locks exclude each
// other, and a compaction killed at any moment leaves either the old table
// or the packed one.
#include "testtables.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <random>
#include <sstream>

#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace dbftest;
using Clock = std::chrono::steady_clock;

struct Pipe {
  int fd[2] = {-1, -1};
  Pipe() { EXPECT_EQ(::pipe(fd), 0); }
  ~Pipe() {
    for (int f : fd)
      if (f >= 0)
        ::close(f);
  }
  void send(char c) { EXPECT_EQ(::write(fd[1], &c, 1), 1); }
  char receive() {
    char c = 0;
    return ::read(fd[0], &c, 1) == 1 ? c : '\0';
  }
};

std::string readFile(const std::string &name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string &name, const std::string &bytes) {
  std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

int exitCodeOf(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid)
    return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class TwoProcesses : public DiskTest {};

TEST_F(TwoProcesses, RecordLocksExcludeEachOther) {
  {
    dbf::TDbfDataSet ds("T");
    ASSERT_TRUE(ds.CreateTable("TIMELIST", 'F', fieldsOf(timeListSchema())));
    ds.SetTableName("TIMELIST");
    ds.Open();
    for (int i = 0; i < 2; ++i) {
      ds.Insert();
      ds.Post();
    }
  }
  // Nothing of the table is open across the fork: each process opens its own.
  Pipe toChild, toParent;
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    int result = 0;
    try {
      if (toChild.receive() != 'L')
        ::_exit(100);
      dbf::TDbfDataSet ds("Child");
      ds.SetTableName("TimeList.dbf");
      ds.Open();
      ds.GotoPosition(1);
      try {
        ds.Edit();
      } catch (const dbf::EDatabaseError &e) {
        result |= std::string(e.what()) == "Record is locked by another user" ? 1 : 0;
      }
      ds.GotoPosition(2);
      ds.Edit();
      result |= ds.state() == dbf::TDbfDataSet::State::Edit ? 2 : 0;
      ds.Cancel();
      ds.Insert();
      ds.Post();
      result |= ds.RecNo() == 3 ? 4 : 0;
      toParent.send('R');
      if (toChild.receive() != 'U')
        ::_exit(101);
      ds.GotoPosition(1);
      ds.Edit();
      result |= ds.StringGet("DO") == "parent" ? 8 : 0;
      toParent.send('H');  // holding record 1 for a while
      ::usleep(300 * 1000);
      ds.Cancel();
    } catch (...) {
      ::_exit(102);
    }
    ::_exit(result);
  }

  dbf::TDbfDataSet ds("Parent");
  ds.SetTableName("TIMELIST");
  ds.Open();
  ds.GotoPosition(1);
  ds.Edit();
  ds.StringPut("DO", "parent");
  toChild.send('L');
  ASSERT_EQ(toParent.receive(), 'R');
  ds.Post();
  toChild.send('U');
  ASSERT_EQ(toParent.receive(), 'H');
  // The compaction waits for the whole file, so for the other's edit to end.
  const auto t0 = Clock::now();
  ds.PackTo("pp");
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
  EXPECT_EQ(exitCodeOf(pid), 15);
  EXPECT_GE(waited, 150);
  ds.Refresh();
  EXPECT_EQ(ds.RecordCount(), 3) << "the record the other process appended";
}

TEST_F(TwoProcesses, CompactionKilledAnywhereLeavesOldOrPacked) {
  {
    dbf::TDbfDataSet ds("T");
    ASSERT_TRUE(ds.CreateTable("TIMELIST", 'F', fieldsOf(timeListSchema())));
    ds.SetTableName("TIMELIST");
    ds.Open();
    for (int i = 0; i < 300; ++i) {
      ds.Insert();
      ds.FloatPut("DATE", 36526 + i);
      ds.StringPut("DO", "entry " + std::to_string(i));
      ds.Post();
    }
    for (int n = 3; n <= 300; n += 3) {
      ds.GotoPhysical(n);
      ds.Delete();
    }
  }
  const std::string old = readFile("TIMELIST.DBF");
  std::string packed;
  {
    dbf::TDbfDataSet ds("T");
    ds.SetTableName("TimeList.dbf");
    ds.Open();
    ds.ReplaceByPackedCopy("pp");
    EXPECT_EQ(ds.RecordCount(), 200);
    ds.Close();
    packed = readFile("TIMELIST.DBF");
  }
  ASSERT_NE(old, packed);

  auto startChild = [] {
    const pid_t pid = ::fork();
    if (pid == 0) {
      try {
        dbf::TDbfDataSet ds("Child");
        ds.SetTableName("TimeList.dbf");
        ds.Open();
        ds.ReplaceByPackedCopy("pp");
      } catch (...) {
        ::_exit(1);
      }
      ::_exit(0);
    }
    return pid;
  };

  // How long a whole replacement takes here, so the kills spread over it.
  int64_t full = 0;
  for (int i = 0; i < 5; ++i) {
    writeFile("TIMELIST.DBF", old);
    const auto t0 = Clock::now();
    const pid_t pid = startChild();
    ASSERT_GE(pid, 0);
    ASSERT_EQ(exitCodeOf(pid), 0);
    full = std::max<int64_t>(full, std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count());
    ASSERT_EQ(readFile("TIMELIST.DBF"), packed);
  }

  std::mt19937 random(20261208);
  std::uniform_int_distribution<int64_t> delay(0, full + full / 4);
  int sawOld = 0, sawPacked = 0;
  const int trials = 300;
  for (int t = 0; t < trials; ++t) {
    writeFile("TIMELIST.DBF", old);
    const pid_t pid = startChild();
    ASSERT_GE(pid, 0);
    ::usleep(static_cast<useconds_t>(delay(random)));
    ::kill(pid, SIGKILL);
    exitCodeOf(pid);
    int tables = 0;
    for (const auto &e : std::filesystem::directory_iterator("."))
      tables += ::strcasecmp(e.path().filename().c_str(), "timelist.dbf") == 0;
    ASSERT_EQ(tables, 1) << "trial " << t << ": the table is missing";
    const std::string now = readFile("TIMELIST.DBF");
    if (now == old)
      ++sawOld;
    else if (now == packed)
      ++sawPacked;
    else
      FAIL() << "trial " << t << ": the table is torn (" << now.size() << " bytes)";
  }
  EXPECT_EQ(sawOld + sawPacked, trials);
  RecordProperty("old", sawOld);
  RecordProperty("packed", sawPacked);
  std::printf("kills: %d left the old table, %d the packed one (a whole replacement took %lld us)\n", sawOld,
              sawPacked, static_cast<long long>(full));
  dbf::TDbfDataSet ds("T");
  ds.SetTableName("TIMELIST");
  ds.Open();
  EXPECT_TRUE(ds.RecordCount() == 300 || ds.RecordCount() == 200);
}

}  // namespace
