// The region parser: which blocks are regions and which rectangles they hold.
#include "rgnparse.h"
#include "rgnbytes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using contoura::SRgnRect;
using contoura_test::rgnBlock;
using contoura_test::rgnOf;

struct Row {
  const char *name;
  std::string bytes;
  std::optional<std::vector<SRgnRect>> expected;
};

using Rects = std::vector<SRgnRect>;

TEST(RgnParse, AcceptsOnlyBlocksWhoseHeaderAndCountsFitTheBytes) {
  const std::vector<Row> rows = {
      // Well-formed blocks.
      {"one rectangle", rgnOf({{0, 0, 573, 331}}), Rects{{0, 0, 573, 331}}},
      {"two rectangles in file order", rgnOf({{5, 0, 10, 1}, {0, 1, 15, 9}}),
       Rects{{5, 0, 10, 1}, {0, 1, 15, 9}}},
      {"no rectangles", rgnOf({}), Rects{}},
      {"list size 0 with a count", rgnBlock(32, 1, 1, 0, {{1, 2, 3, 4}}), Rects{{1, 2, 3, 4}}},
      {"bytes after the list", rgnOf({{1, 2, 3, 4}}) + std::string(7, 'x'), Rects{{1, 2, 3, 4}}},
      {"fewer rectangles than present", rgnBlock(32, 1, 1, 16, {{1, 1, 2, 2}, {3, 3, 4, 4}}),
       Rects{{1, 1, 2, 2}}},
      {"negative and inverted kept as stored", rgnOf({{-5, -6, -1, -9}}), Rects{{-5, -6, -1, -9}}},
      {"extreme values", rgnOf({{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}}),
       Rects{{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}}},
      // Not a region.
      {"empty", "", std::nullopt},
      {"shorter than a header", rgnOf({}).substr(0, 31), std::nullopt},
      {"header size 40", rgnBlock(40, 1, 0, 0, {}), std::nullopt},
      {"header size 0", rgnBlock(0, 1, 0, 0, {}), std::nullopt},
      {"type 0", rgnBlock(32, 0, 0, 0, {}), std::nullopt},
      {"type 2", rgnBlock(32, 2, 1, 16, {{0, 0, 1, 1}}), std::nullopt},
      {"count one more than present", rgnBlock(32, 1, 2, 16, {{0, 0, 1, 1}}), std::nullopt},
      {"last rectangle cut short", rgnOf({{0, 0, 1, 1}}).substr(0, 47), std::nullopt},
      {"count that wraps 32 bits when multiplied", rgnBlock(32, 1, 0x10000000u, 0, {{0, 0, 1, 1}}),
       std::nullopt},
      {"count 2^32-1", rgnBlock(32, 1, 0xFFFFFFFFu, 16, {{0, 0, 1, 1}}), std::nullopt},
      {"list size beyond the bytes", rgnBlock(32, 1, 1, 17, {{0, 0, 1, 1}}), std::nullopt},
      {"list size 2^32-1", rgnBlock(32, 1, 0, 0xFFFFFFFFu, {}), std::nullopt},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    const auto got =
        contoura::parseRgnData(reinterpret_cast<const uint8_t *>(row.bytes.data()), row.bytes.size());
    EXPECT_EQ(got, row.expected);
  }
}

TEST(RgnParse, NullBytesAreNoRegion) { EXPECT_FALSE(contoura::parseRgnData(nullptr, 64)); }

}  // namespace
