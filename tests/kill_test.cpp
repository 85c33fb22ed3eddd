// Killing with SIGKILL at random moments, while entries and memos are added,
// edited and deleted and while the start-of-month purge runs: afterwards
// both tables open, every change that was complete before the kill is in
// them, and the one in progress is either wholly there or not at all. The
// purge leaves either the whole old table or exactly the compacted one.
//
// CALIXO_KILL_TRIALS raises the number of trials of each kind for a longer run.
#include "robust_support.h"

#include "dbf.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <poll.h>
#include <sys/stat.h>
#include <random>

namespace {

using namespace robust;

int trials(int fallback) {
  const char *env = std::getenv("CALIXO_KILL_TRIALS");
  return env && std::atoi(env) > 0 ? std::atoi(env) : fallback;
}

// What a table should hold: each record's text and flag, in file order.
struct Row {
  std::string text;
  int flag;
  bool operator==(const Row &) const = default;
};
using Rows = std::vector<Row>;

// Reads every physical record; a deleted one fails the test, since the
// program never leaves one behind.
Rows readTable(const std::string &table, const char *textField, const char *flagField) {
  Rows rows;
  dbf::TDbfDataSet t("Check");
  t.SetTableName(table);
  t.Open();
  for (int n = 1; n <= t.RecordCount(); ++n) {
    t.GotoPhysical(n);
    EXPECT_FALSE(t.CurrentDeleted()) << table << " record " << n << " is marked deleted";
    rows.push_back({t.StringGet(textField), t.IntegerGet(flagField)});
  }
  t.Close();
  return rows;
}

std::string describe(const Rows &rows) {
  std::string s;
  for (const Row &r : rows)
    s += "[" + r.text + "|" + std::to_string(r.flag) + "] ";
  return s;
}

// The program's scratch table in dir ("pp" and its process id), empty when
// there is none.
fs::path findScratch(const fs::path &dir) {
  for (const auto &f : fs::directory_iterator(dir)) {
    const std::string name = f.path().filename().string();
    if (name.size() > 6 && (name[0] == 'p' || name[0] == 'P') && (name[1] == 'p' || name[1] == 'P') &&
        std::isdigit(static_cast<unsigned char>(name[2])))
      return f.path();
  }
  return {};
}

// dbfdump reads the file without complaint.
bool dumps(const fs::path &file) {
  return std::system(("'" CALIXO_DBFDUMP "' '" + file.string() + "' >/dev/null 2>&1").c_str()) == 0;
}

// A child whose standard output the test reads line by line.
class Driver {
public:
  explicit Driver(const std::vector<std::string> &args) {
    int fds[2];
    if (::pipe(fds) != 0)
      return;
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(fds[1], 1);
      ::close(fds[0]);
      std::vector<char *> argv;
      for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    m_out = fds[0];
  }
  ~Driver() {
    kill();
    if (m_out >= 0)
      ::close(m_out);
  }
  // The next line, or "" when the child ended or the time ran out.
  std::string line(std::chrono::milliseconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      if (const auto nl = m_buf.find('\n'); nl != std::string::npos) {
        std::string l = m_buf.substr(0, nl);
        m_buf.erase(0, nl + 1);
        return l;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0)
        return {};
      pollfd p{m_out, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
        return {};
      char buf[4096];
      const ssize_t n = ::read(m_out, buf, sizeof buf);
      if (n <= 0)
        return {};
      m_buf.append(buf, static_cast<size_t>(n));
    }
  }
  // Kills the child and returns every line it wrote that was not read yet.
  std::vector<std::string> killAndDrain() {
    kill();
    char buf[4096];
    for (ssize_t n; (n = ::read(m_out, buf, sizeof buf)) > 0;)
      m_buf.append(buf, static_cast<size_t>(n));
    std::vector<std::string> lines;
    for (size_t nl; (nl = m_buf.find('\n')) != std::string::npos; m_buf.erase(0, nl + 1))
      lines.push_back(m_buf.substr(0, nl));
    return lines;
  }
  // False when the child had ended before it was killed.
  bool killedBySignal() const { return m_killed; }

private:
  void kill() {
    if (m_pid <= 0)
      return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    m_pid = -1;
  }
  pid_t m_pid = -1;
  int m_out = -1;
  std::string m_buf;
  bool m_killed = false;
};

// The two tables as the test expects them, changed by the driver's reports.
struct Model {
  Rows times, memos;

  // Applies "will ..." as the driver describes its change.
  void apply(const std::string &will) {
    std::istringstream in(will.substr(5));
    std::string op;
    in >> op;
    auto rest = [&in] {
      std::string r;
      std::getline(in, r);
      return r.empty() ? r : r.substr(1);
    };
    if (op == "TA") {
      int set;
      in >> set;
      times.push_back({rest(), set});
    } else if (op == "TE") {
      int recNo, set;
      in >> recNo >> set;
      times.at(static_cast<size_t>(recNo - 1)) = {rest(), set};
    } else if (op == "MA") {
      memos.push_back({"", 1});
    } else if (op == "MT") {
      int index;
      in >> index;
      memos.at(static_cast<size_t>(index)).text = rest();
    } else if (op == "MD") {
      int row;
      in >> row;
      memos.erase(memos.begin() + (row - 1));
    }
  }
};

class KillTest : public TempDirTest {};

TEST_F(KillTest, AddingAndEditingKeepsEveryCompletedChange) {
  const int n = trials(300);
  std::mt19937 rng(20261208);
  Model model;
  int inFlightKept = 0, inFlightLost = 0, changes = 0;
  const auto started = std::chrono::steady_clock::now();
  for (int trial = 0; trial < n; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    Driver driver({CALIXO_KILL_DRIVER, "edit", std::to_string(trial + 1)});
    ASSERT_EQ(driver.line(), "ready");
    // Some changes complete, then the kill lands at a random moment.
    const int dones = std::uniform_int_distribution<int>(0, 12)(rng);
    std::vector<std::string> lines;
    for (int d = 0; d < dones;) {
      std::string l = driver.line();
      ASSERT_FALSE(l.empty()) << "the driver stopped";
      if (l == "done")
        ++d;
      lines.push_back(std::move(l));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 3000)(rng)));
    for (std::string &l : driver.killAndDrain())
      lines.push_back(std::move(l));
    ASSERT_TRUE(driver.killedBySignal()) << "the driver ended by itself";

    std::string pending;
    for (const std::string &l : lines) {
      if (l.rfind("will ", 0) == 0) {
        pending = l;
      } else if (l == "done") {
        model.apply(pending);
        pending.clear();
        ++changes;
      }
    }
    const Rows times = readTable("TIMELIST", "DO", "SET");
    const Rows memos = readTable("TextList", "TEXT", "SHOW");
    Model withPending = model;
    if (!pending.empty())
      withPending.apply(pending);
    if (times == model.times && memos == model.memos) {
      if (!pending.empty())
        ++inFlightLost;
    } else if (times == withPending.times && memos == withPending.memos) {
      model = withPending;
      ++inFlightKept;
    } else {
      ADD_FAILURE() << "in progress: " << pending << "\ntime table " << describe(times)
                    << "\nexpected   " << describe(model.times) << "\nmemo table " << describe(memos)
                    << "\nexpected   " << describe(model.memos);
      return;
    }
    // dbfdump as well, now and then: it starts a process of its own.
    if (trial % 10 == 0 || trial == n - 1) {
      ASSERT_TRUE(dumps(findFile(dir(), "TimeList.dbf")));
      ASSERT_TRUE(dumps(findFile(dir(), "TextList.dbf")));
    }
  }
  const auto secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%d kills after %d completed changes; the change in progress was kept %d times and "
              "lost %d times; %zu entries and %zu memos at the end; %.1f s\n",
              n, changes, inFlightKept, inFlightLost, model.times.size(), model.memos.size(), secs);
}

// A time table of earlier months and this one, interleaved: October and
// November 2026 before the purge of 1 December 2026 compacts November away.
struct PurgeTable {
  Rows all, kept;
};

PurgeTable writePurgeTable(int records) {
  PurgeTable p;
  static const dbf::FieldDef fields[] = {{"DATE", 'N', 10, 2}, {"TIME", 'N', 22, 20},
                                         {"SET", 'N', 1, 0},   {"AUTODEL", 'N', 1, 0},
                                         {"RUN", 'N', 1, 0},   {"DO", 'C', 249, 0}};
  dbf::TDbfDataSet t("Setup");
  t.CreateTable("TIMELIST", 'F', [](int i, dbf::FieldDef &def) {
    def = i >= 1 && i <= 6 ? fields[i - 1] : dbf::FieldDef{};
    return true;
  });
  t.SetTableName("TIMELIST");
  t.Open();
  const int64_t oct1 = 46296, nov1 = 46327, dec1 = 46357;  // day numbers of the 1sts of 2026
  for (int i = 0; i < records; ++i) {
    // Three in five of November, one each of October and December.
    const int kind = i % 5;
    const int64_t day = kind == 0 ? oct1 + i % 31 : kind == 4 ? dec1 + i % 31 : nov1 + i % 30;
    const std::string text = "entry " + std::to_string(i);
    t.Insert();
    t.FloatPut("DATE", static_cast<double>(day));
    t.FloatPut("TIME", (i % 48) * 30.0 / 1440.0);
    t.IntegerPut("SET", i % 2);
    t.StringPut("DO", text);
    t.Post();
    p.all.push_back({text, i % 2});
    if (kind == 0 || kind == 4)
      p.kept.push_back({text, i % 2});
  }
  t.Close();
  return p;
}

// The purge in the program's own table code, killed anywhere between its
// start and its end.
TEST_F(KillTest, PurgeLeavesTheOldTableOrExactlyTheCompactedOne) {
  const int n = trials(100);
  const PurgeTable table = writePurgeTable(400);
  const fs::path file = findFile(dir(), "TimeList.dbf");
  const std::string original = readFile(file);
  // How long a purge takes when nothing stops it.
  auto runOnce = [&](std::chrono::microseconds killAfter) {
    writeFile(file, original);
    Driver driver({CALIXO_KILL_DRIVER, "purge", "2026", "12"});
    EXPECT_EQ(driver.line(), "will purge");
    const auto begun = std::chrono::steady_clock::now();
    if (killAfter.count() < 0) {
      EXPECT_EQ(driver.line(), "done");
      return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begun);
    }
    std::this_thread::sleep_for(killAfter);
    driver.killAndDrain();
    return killAfter;
  };
  const auto full = runOnce(std::chrono::microseconds(-1));
  EXPECT_EQ(readTable("TIMELIST", "DO", "SET"), table.kept);
  std::mt19937 rng(1);
  int old = 0, packed = 0;
  for (int trial = 0; trial < n; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    const auto at = std::chrono::microseconds(
        std::uniform_int_distribution<int64_t>(0, full.count() * 6 / 5)(rng));
    runOnce(at);
    if (trial % 10 == 0) {
      ASSERT_TRUE(dumps(file));
    }
    const Rows rows = readTable("TIMELIST", "DO", "SET");
    if (rows == table.all)
      ++old;
    else if (rows == table.kept)
      ++packed;
    else
      FAIL() << "killed after " << at.count() << " us: " << rows.size() << " records, neither the "
             << table.all.size() << " of the old table nor the " << table.kept.size() << " kept";
  }
  std::printf("purge of %zu records took %lld us; %d kills: old table %d, compacted %d\n",
              table.all.size(), static_cast<long long>(full.count()), n, old, packed);
  EXPECT_GT(old, 0);
  EXPECT_GT(packed, 0);
}

// The purge that moves the month into the archive, killed anywhere, and
// the next start's completion of it killed too in every other trial: once a
// start completes it, the table holds exactly the kept records and the
// archive its earlier records followed by each purged one exactly once.
TEST_F(KillTest, PurgeIntoTheArchiveNeitherLosesNorRepeatsARecord) {
  const int n = trials(60);
  const PurgeTable table = writePurgeTable(400);
  const fs::path file = findFile(dir(), "TimeList.dbf");
  const std::string original = readFile(file);
  {
    // An archive with two plans of an earlier year.
    dbf::TDbfDataSet a("Setup");
    static const dbf::FieldDef fields[] = {{"DATE", 'N', 10, 2}, {"TIME", 'N', 22, 20},
                                           {"SET", 'N', 1, 0},   {"AUTODEL", 'N', 1, 0},
                                           {"RUN", 'N', 1, 0},   {"DO", 'C', 249, 0}};
    a.CreateTable("TIMEHIST", 'F', [](int i, dbf::FieldDef &def) {
      def = i >= 1 && i <= 6 ? fields[i - 1] : dbf::FieldDef{};
      return true;
    });
    a.SetTableName("TIMEHIST");
    a.Open();
    for (int i = 0; i < 2; ++i) {
      a.Insert();
      a.FloatPut("DATE", 45000.0 + i);
      a.StringPut("DO", "old " + std::to_string(i));
      a.Post();
    }
    a.Close();
  }
  const fs::path archive = findFile(dir(), "TIMEHIST.DBF");
  const std::string archived = readFile(archive);
  auto reset = [&] {
    writeFile(file, original);
    writeFile(archive, archived);
    for (const char *name : {"TIMEHIST.PND", "TIMEHIST.NEW"})
      if (const fs::path p = findFile(dir(), name); !p.empty())
        fs::remove(p);
    if (const fs::path pp = findScratch(dir()); !pp.empty())
      fs::remove(pp);
  };
  auto run = [&](std::vector<std::string> args, std::chrono::microseconds killAfter) {
    Driver driver(args);
    EXPECT_EQ(driver.line(), "will purge");
    const auto begun = std::chrono::steady_clock::now();
    if (killAfter.count() < 0) {
      EXPECT_EQ(driver.line(), "done");
      return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begun);
    }
    std::this_thread::sleep_for(killAfter);
    driver.killAndDrain();
    return killAfter;
  };
  const std::vector<std::string> purge = {CALIXO_KILL_DRIVER, "archive", "2026", "12"};
  const std::vector<std::string> recover = {CALIXO_KILL_DRIVER, "recover"};
  reset();
  const auto full = run(purge, std::chrono::microseconds(-1));
  EXPECT_EQ(readTable("TIMELIST", "DO", "SET"), table.kept);
  const Rows wantArchive = readTable("TIMEHIST", "DO", "SET");
  {
    // The old plans, then every purged record once.
    Rows moved(wantArchive.begin() + 2, wantArchive.end()), purged;
    for (const Row &r : table.all)
      if (std::find(table.kept.begin(), table.kept.end(), r) == table.kept.end())
        purged.push_back(r);
    auto byText = [](const Row &a, const Row &b) { return a.text < b.text; };
    std::sort(moved.begin(), moved.end(), byText);
    std::sort(purged.begin(), purged.end(), byText);
    EXPECT_EQ(moved, purged);
    EXPECT_EQ(wantArchive[0].text, "old 0");
  }
  std::mt19937 rng(3);
  int old = 0, packed = 0, pending = 0;
  for (int trial = 0; trial < n; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    reset();
    const auto at = std::chrono::microseconds(
        std::uniform_int_distribution<int64_t>(0, full.count() * 6 / 5)(rng));
    run(purge, at);
    const Rows rows = readTable("TIMELIST", "DO", "SET");
    if (rows == table.all)
      ++old;
    else if (rows == table.kept)
      ++packed;
    else
      FAIL() << "killed after " << at.count() << " us: " << rows.size() << " records in the table";
    pending += !findFile(dir(), "TIMEHIST.PND").empty();
    if (trial % 2 == 1)
      run(recover, std::chrono::microseconds(
                       std::uniform_int_distribution<int64_t>(0, full.count())(rng)));
    run(recover, std::chrono::microseconds(-1));
    EXPECT_TRUE(findFile(dir(), "TIMEHIST.PND").empty());
    const Rows rest = readTable("TIMELIST", "DO", "SET");
    const Rows kept = readTable("TIMEHIST", "DO", "SET");
    // Unless the kill came before the move began (the table and archive
    // as they were), the month is in the archive once and out of the table.
    const bool untouched = rest == table.all && kept == Rows(wantArchive.begin(), wantArchive.begin() + 2);
    if (!untouched) {
      ASSERT_EQ(rest, table.kept) << "killed after " << at.count() << " us";
      ASSERT_EQ(kept, wantArchive) << "killed after " << at.count() << " us";
    }
  }
  std::printf("archiving purge of %zu records took %lld us; %d kills: old table %d, compacted %d, "
              "move left to complete %d\n",
              table.all.size(), static_cast<long long>(full.count()), n, old, packed, pending);
  EXPECT_GT(old, 0);
  EXPECT_GT(packed, 0);
  EXPECT_GT(pending, 0);
}

// The real program started on the 1st under libfaketime, killed while its
// start-up purges the month before.
TEST_F(KillTest, ProgramKilledDuringItsStartUpPurge) {
  const int n = trials(10);
  copyShippedFiles(dir());
  // The set entries of November would be shown and cleared at start as
  // missed alarms; this test looks at the purge alone.
  writeFile(dir() / "Calixo.ini", "[Reminders]\r\nCatchUp=0\r\n");
  const PurgeTable table = writePurgeTable(3000);
  const fs::path file = findFile(dir(), "TimeList.dbf");
  const std::string original = readFile(file);
  ProgramOptions opt;
  opt.fakeStart = "2026-12-01 09:00:00";
  // The time from start until the compacted table is in place.
  auto inode = [&file] {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_ino : 0;
  };
  auto scratchGone = [this] {
    const fs::path pp = findScratch(dir());
    if (!pp.empty())
      fs::remove(pp);
    for (const char *name : {"TIMEHIST.DBF", "TIMEHIST.PND", "TIMEHIST.NEW"})
      if (const fs::path p = findFile(dir(), name); !p.empty())
        fs::remove(p);
  };
  writeFile(file, original);
  scratchGone();
  const auto before = inode();
  std::chrono::microseconds full{0}, copying{0};
  {
    const auto begun = std::chrono::steady_clock::now();
    Program calixo(dir(), opt);
    while (inode() == before && calixo.running() &&
           std::chrono::steady_clock::now() - begun < 60s) {
      if (copying.count() == 0 && !findScratch(dir()).empty())
        copying = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begun);
      std::this_thread::sleep_for(1ms);
    }
    full = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begun);
    ASSERT_NE(inode(), before) << "the program did not purge: " << calixo.errors();
  }
  EXPECT_EQ(readTable("TIMELIST", "DO", "SET"), table.kept);
  std::mt19937 rng(2);
  int old = 0, packed = 0;
  for (int trial = 0; trial < n; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    writeFile(file, original);
    scratchGone();
    // Every other kill lands at any moment of start-up and purge; the others
    // while the compacted copy is written, flushed and renamed.
    const bool whileCopying = trial % 2 == 1;
    const auto at = std::chrono::microseconds(
        whileCopying
            ? std::uniform_int_distribution<int64_t>(0, std::max<int64_t>(2 * (full - copying).count(), 1000))(rng)
            : std::uniform_int_distribution<int64_t>(full.count() * 2 / 5, full.count() * 11 / 10)(rng));
    {
      Program calixo(dir(), opt);
      if (whileCopying) {
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (findScratch(dir()).empty() && calixo.running() && std::chrono::steady_clock::now() < end)
          std::this_thread::sleep_for(500us);
      }
      std::this_thread::sleep_for(at);
    }
    ASSERT_TRUE(dumps(file));
    const Rows rows = readTable("TIMELIST", "DO", "SET");
    if (rows == table.all)
      ++old;
    else if (rows == table.kept)
      ++packed;
    else
      FAIL() << "killed after " << at.count() << " us: " << rows.size() << " records";
  }
  std::printf("start-up to compacted table %lld us, copying from %lld us; %d kills: old table %d, "
              "compacted %d\n",
              static_cast<long long>(full.count()), static_cast<long long>(copying.count()), n, old, packed);
  EXPECT_GT(old + packed, 0);
}

}  // namespace
