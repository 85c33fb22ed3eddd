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

TEST_F(ShellOpenTest, NothingToOpenFailsQuietly) {
  calixo::setDesktopOpener((m_dir / "no-such-opener").string());
  EXPECT_EQ(calixo::shellOpen(""), ShellOpenResult::Failed);
  EXPECT_EQ(calixo::shellOpen("/no/such/file"), ShellOpenResult::Failed);
}

}  // namespace
