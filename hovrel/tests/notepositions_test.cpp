#include "notepositions.h"

#include "tempdir.h"

#include <filesystem>
#include <fstream>
#include <functional>

#include <sys/stat.h>

namespace {

using hovrel::NotePositions;
using hovrel::positionKey;

class NotePositionsTest : public TempDirTest {};

TEST_F(NotePositionsTest, KeySurvivesTheTablesFixedPointText) {
  // The table keeps 20 decimals; what comes back may differ in the last bits.
  const double created = 38418.37847222222;
  EXPECT_EQ(positionKey(created), positionKey(38418.378472222220001));
  EXPECT_NE(positionKey(created), positionKey(created + 1.0 / 86400.0));
}

TEST_F(NotePositionsTest, StoreFindReplaceAndTolerateJunk) {
  NotePositions p;
  EXPECT_FALSE(p.find(1).has_value()) << "no file yet";
  ASSERT_TRUE(p.store(1, {10, 20}));
  ASSERT_TRUE(p.store(2, {-5, 7}));
  ASSERT_TRUE(p.store(1, {11, 21}));
  {
    std::ofstream junk(p.fileName(), std::ios::app);
    junk << "garbage line\n3 4\n";
  }
  ASSERT_TRUE(p.find(1).has_value());
  EXPECT_EQ(p.find(1)->x, 11);
  EXPECT_EQ(p.find(1)->y, 21);
  EXPECT_EQ(p.find(2)->x, -5);
  EXPECT_FALSE(p.find(3).has_value());
  EXPECT_FALSE(std::filesystem::exists(p.fileName() + ".tmp"));
}

// A position that cannot be stored says why and names the file; a file under
// the name that is not ours to read is neither read (no blocking on a FIFO)
// nor replaced.
TEST_F(NotePositionsTest, OddFilesAndFailedStores) {
  struct Row {
    const char *what;
    std::function<void()> make;
    std::string fileName;
    const char *why;
  };
  const Row rows[] = {
      {"FIFO", [] { ASSERT_EQ(::mkfifo("hovrel.pos", 0644), 0); }, "hovrel.pos",
       "hovrel.pos: not a regular file"},
      {"far too large", [] {
         std::ofstream("hovrel.pos") << 'x';
         std::filesystem::resize_file("hovrel.pos", 2 << 20);
       },
       "hovrel.pos", "hovrel.pos: File too large"},
      {"folder that does not exist", [] {}, "gone/hovrel.pos", "gone/hovrel.pos: No such file or directory"},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.what);
    r.make();
    NotePositions p(r.fileName);
    EXPECT_FALSE(p.find(1).has_value());
    std::string why;
    EXPECT_FALSE(p.store(1, {10, 20}, &why));
    EXPECT_EQ(why, r.why);
    EXPECT_FALSE(std::filesystem::exists(r.fileName + ".tmp"));
    std::filesystem::remove(r.fileName);
  }
}

}  // namespace
