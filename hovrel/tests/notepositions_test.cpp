#include "notepositions.h"

#include "tempdir.h"

#include <fstream>

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

}  // namespace
