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

// A bare name is a program found in PATH, started like a path to one; a
// name PATH does not hold as an executable file, or a text with more than a
// name, still goes to the desktop's opener.
TEST_F(ShellOpenTest, ABareProgramNameIsLookedUpInPath) {
  const fs::path bin = m_dir / "bin";
  fs::create_directories(bin);
  const std::string program = recorder("calixo-run-probe");
  fs::rename(program, bin / "calixo-run-probe");
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
      {"calixo-run-probe", ShellOpenResult::StartedProgram, "calixo-run-probe\n"},
      {"calixo-not-executable", ShellOpenResult::HandedToOpener, "opener calixo-not-executable\n"},
      {"calixo-no-such-program", ShellOpenResult::HandedToOpener, "opener calixo-no-such-program\n"},
      {"calixo-run-probe --help", ShellOpenResult::HandedToOpener, "opener calixo-run-probe --help\n"},
  };
  for (const auto &row : rows) {
    fs::remove(m_log);
    EXPECT_EQ(calixo::shellOpen(row.text), row.result) << row.text;
    EXPECT_EQ(waitForLog(), row.log) << row.text;
  }
  ::setenv("PATH", keptPath.c_str(), 1);
}

TEST_F(ShellOpenTest, NothingToOpenFailsQuietly) {
  calixo::setDesktopOpener((m_dir / "no-such-opener").string());
  EXPECT_EQ(calixo::shellOpen(""), ShellOpenResult::Failed);
  EXPECT_EQ(calixo::shellOpen("/no/such/file"), ShellOpenResult::Failed);
}

}  // namespace
