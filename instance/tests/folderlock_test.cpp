// The folder lock decides which copy runs: a second lock on the same folder
// fails while the first is held (also within one process, as for two
// copies), a lock on another folder does not, and a released lock can be
// taken again.
#include "folderlock.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

namespace {

namespace fs = std::filesystem;
using State = calixo::FolderLock::State;

class FolderLockTest : public TempDirTest {};

TEST_F(FolderLockTest, OneHolderPerFolder) {
  fs::create_directory("a");
  fs::create_directory("b");
  struct Row {
    const char *what;
    const char *first, *second;
    bool releaseFirst;
    State expected;
  } rows[] = {
      {"the same folder", "a", "a", false, State::HeldElsewhere},
      {"the same folder by another path", "a", "./b/../a", false, State::HeldElsewhere},
      {"another folder", "a", "b", false, State::Held},
      {"the same folder after the first copy ended", "a", "a", true, State::Held},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.what);
    auto first = std::make_unique<calixo::FolderLock>(r.first);
    ASSERT_EQ(first->state(), State::Held);
    if (r.releaseFirst)
      first.reset();
    const calixo::FolderLock second(r.second);
    EXPECT_EQ(second.state(), r.expected);
  }
}

TEST_F(FolderLockTest, ServerNameFollowsTheFolderNotItsSpelling) {
  fs::create_directory("a");
  fs::create_directory("b");
  const std::string a = calixo::FolderLock::serverName("a");
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(calixo::FolderLock::serverName((dir() / "b/../a").string()), a);
  EXPECT_NE(calixo::FolderLock::serverName("b"), a);
  // A socket address holds 107 bytes of name.
  EXPECT_LT(a.size(), 64u);
  EXPECT_EQ(calixo::FolderLock::serverName("missing"), "");
}

}  // namespace
