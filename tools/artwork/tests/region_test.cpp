#include "region.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cstring>

using artwork::outlineMask;
using artwork::regionRects;
using artwork::rgnData;
using artwork::SRegionRect;

namespace {

QImage maskFromRows(const std::vector<const char *> &rows) {
  QImage m(int(std::strlen(rows[0])), int(rows.size()), QImage::Format_Grayscale8);
  for (int y = 0; y < m.height(); ++y)
    for (int x = 0; x < m.width(); ++x)
      m.scanLine(y)[x] = rows[size_t(y)][x] == '#' ? 255 : 0;
  return m;
}

TEST(RegionRects, OneRectanglePerRunWithEqualScanlinesMerged) {
  const QImage m = maskFromRows({"#####",
                                 "##.##",
                                 "##.##",
                                 ".###.",
                                 "....."});
  const std::vector<SRegionRect> expected = {
      {0, 0, 5, 1}, {0, 1, 2, 3}, {3, 1, 5, 3}, {1, 3, 4, 4}};
  EXPECT_EQ(regionRects(m), expected);
}

TEST(RegionRects, EmptyAndFullMasks) {
  EXPECT_TRUE(regionRects(maskFromRows({"...", "..."})).empty());
  const std::vector<SRegionRect> full = {{0, 0, 3, 2}};
  EXPECT_EQ(regionRects(maskFromRows({"###", "###"})), full);
}

uint32_t at(const QByteArray &b, int i) {
  uint32_t v;
  std::memcpy(&v, b.constData() + 4 * i, 4);
  return v;
}

TEST(RgnData, HeaderThenRectanglesLittleEndian) {
  const QByteArray b = rgnData({{1, 2, 5, 4}, {0, 4, 3, 9}});
  ASSERT_EQ(b.size(), 32 + 2 * 16);
  const uint32_t expected[] = {32, 1, 2, 32, 0, 2, 5, 9, 1, 2, 5, 4, 0, 4, 3, 9};
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(at(b, i), expected[i]) << "word " << i;
  EXPECT_EQ(b.left(4), QByteArray("\x20\0\0\0", 4));
}

TEST(RgnData, EmptyRegionIsAHeaderOnly) {
  const QByteArray b = rgnData({});
  ASSERT_EQ(b.size(), 32);
  for (int i = 2; i < 8; ++i)
    EXPECT_EQ(at(b, i), 0u) << "word " << i;
}

TEST(OutlineMask, FloodsOnlyTheOutsideAndToleratesNoise) {
  QImage skin(20, 12, QImage::Format_RGB32);
  skin.fill(qRgb(192, 192, 192));
  {
    QPainter p(&skin);
    p.setPen(QColor(100, 20, 20));
    p.setBrush(QColor(250, 245, 230));
    p.drawRect(3, 2, 13, 7);  // covers 3..16 x 2..9
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(192, 192, 192));  // the outside colour, enclosed
    p.drawRect(8, 5, 2, 2);
  }
  skin.setPixel(0, 11, qRgb(212, 176, 200));  // JPEG noise outside
  const QImage m = outlineMask(skin);
  auto in = [&](int x, int y) { return m.constScanLine(y)[x] == 255; };
  EXPECT_FALSE(in(0, 0));
  EXPECT_FALSE(in(0, 11));
  EXPECT_FALSE(in(2, 5));
  EXPECT_FALSE(in(17, 5));
  EXPECT_TRUE(in(3, 2));
  EXPECT_TRUE(in(16, 9));
  EXPECT_TRUE(in(8, 5));  // enclosed: stays inside
  EXPECT_FALSE(in(10, 10));
}

}  // namespace
