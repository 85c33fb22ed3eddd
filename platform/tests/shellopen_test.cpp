#include "shellopen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using calixo::ShellOpenResult;

namespace {

class ShellOpenTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("calixo-shellopen-" + std::to_string(::getpid()));
    fs::create_directories(m_dir);
    m_log = (m_dir / "args.log").string();
  }
  void TearDown() override {
    calixo::setDesktopOpener("xdg-open");
    fs::remove_all(m_dir);
  }

  // A script that writes each argument it got on a line of the log.
  std::string recorder(const std::string &name) {
    const fs::path p = m_dir / name;
    std::ofstream(p) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << m_log << ".tmp'\nmv '"
                     << m_log << ".tmp' '" << m_log << "'\n";
    fs::permissions(p, fs::perms::owner_all);
    return p.string();
  }

  // The recorded arguments, once the detached program has written them.
  std::string waitForLog() {
    for (int i = 0; i < 200 && !fs::exists(m_log); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::ifstream in(m_log);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path m_dir;
  std::string m_log;
};

TEST_F(ShellOpenTest, ProgramGetsItsOwnPathAsTheOneArgumentUnsplit) {
  const std::string program = recorder("my prog; echo 'x'.sh");
  EXPECT_EQ(calixo::shellOpen(program), ShellOpenResult::StartedProgram);
  EXPECT_EQ(waitForLog(), program + "\n");
}

TEST_F(ShellOpenTest, DocumentsAndUrlsGoToTheDesktopOpener) {
  calixo::setDesktopOpener(recorder("opener"));
  const std::string doc = (m_dir / "plan $HOME.txt").string();
  std::ofstream(doc) << "not a program";
  EXPECT_EQ(calixo::shellOpen(doc), ShellOpenResult::HandedToOpener);
  EXPECT_EQ(waitForLog(), doc + "\n");

  fs::remove(m_log);
  EXPECT_EQ(calixo::shellOpen("https://example.org/a b"), ShellOpenResult::HandedToOpener);
  EXPECT_EQ(waitForLog(), "https://example.org/a b\n");
}

// A bare name is a program found in PATH, started with no argument in the
// home folder; it is never taken from the current folder, and a name that
// names nothing fails with a reason. The opener never gets a text that
// starts with "-".
TEST_F(ShellOpenTest, ABareProgramNameIsLookedUpInPath) {
  const fs::path bin = m_dir / "bin";
  fs::create_directories(bin);
  std::ofstream(bin / "calixo-run-probe") << "#!/bin/sh\nprintf '%s|%s\\n' \"$PWD\" \"$*\" > '" << m_log
                                          << ".tmp'\nmv '" << m_log << ".tmp' '" << m_log << "'\n";
  fs::permissions(bin / "calixo-run-probe", fs::perms::owner_all);
  const fs::path home = m_dir / "home";
  fs::create_directories(home);
  const char *oldHome = std::getenv("HOME");
  const std::string keptHome = oldHome ? oldHome : "";
  ::setenv("HOME", home.c_str(), 1);
  // Files of the current folder that share a name with a program or an option.
  const fs::path data = m_dir / "data";
  fs::create_directories(data);
  const fs::path keptCwd = fs::current_path();
  fs::current_path(data);
  recorder("data/calixo-run-probe");
  std::ofstream(data / "-rf") << "a document";
  std::ofstream(bin / "calixo-not-executable") << "#!/bin/sh\n";
  const char *oldPath = std::getenv("PATH");
  const std::string keptPath = oldPath ? oldPath : "";
  ::setenv("PATH", ("/nonexistent::" + bin.string() + ":" + keptPath).c_str(), 1);
  const std::string openerLog = m_log + ".opener";
  const fs::path opener = m_dir / "opener";
  std::ofstream(opener) << "#!/bin/sh\nprintf 'opener %s\\n' \"$@\" > '" << m_log << ".tmp'\nmv '" << m_log
                        << ".tmp' '" << m_log << "'\n";
  fs::permissions(opener, fs::perms::owner_all);
  calixo::setDesktopOpener(opener.string());

  const struct {
    const char *text;
    ShellOpenResult result;
    const char *log;
  } rows[] = {
      {"calixo-run-probe", ShellOpenResult::StartedProgram, nullptr},
      {"calixo-not-executable", ShellOpenResult::Failed, ""},
      {"calixo-no-such-program", ShellOpenResult::Failed, ""},
      {"calixo-run-probe --help", ShellOpenResult::Failed, ""},
      {"-rf", ShellOpenResult::HandedToOpener, "opener"},
  };
  for (const auto &row : rows) {
    fs::remove(m_log);
    const calixo::ShellOpenOutcome got = calixo::shellOpen(row.text);
    EXPECT_EQ(got.Result, row.result) << row.text;
    EXPECT_EQ(got.Reason.empty(), row.result != ShellOpenResult::Failed) << row.text;
    if (row.result == ShellOpenResult::Failed)
      continue;
    const std::string expected = row.log ? "opener " + data.string() + "/-rf\n" : home.string() + "|\n";
    EXPECT_EQ(waitForLog(), expected) << row.text;
  }
  fs::current_path(keptCwd);
  ::setenv("HOME", keptHome.c_str(), 1);
  ::setenv("PATH", keptPath.c_str(), 1);
}

TEST_F(ShellOpenTest, NothingToOpenFailsWithAReason) {
  calixo::setDesktopOpener((m_dir / "no-such-opener").string());
  const std::string doc = (m_dir / "plan.txt").string();
  std::ofstream(doc) << "text";
  for (const std::string &text : {std::string(), std::string("/no/such/file"), doc}) {
    const calixo::ShellOpenOutcome got = calixo::shellOpen(text);
    EXPECT_EQ(got.Result, ShellOpenResult::Failed) << text;
    EXPECT_FALSE(got.Reason.empty()) << text;
  }
}

}  // namespace
