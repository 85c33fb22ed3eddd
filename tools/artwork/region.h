// Region files from pictures. A skin's outline is found by flooding from the
// picture's border over pixels of the plain outside colour (the colour of
// pixel (0, 0), within a tolerance for JPEG noise); everything the flood does
// not reach is inside. The inside becomes a rectangle list, one rectangle per
// horizontal run, with equal runs of consecutive scanlines merged into bands,
// written as a Windows RGNDATA block (32-byte header, then left, top, right,
// bottom per rectangle, right and bottom exclusive, little-endian).
#pragma once

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <vector>

namespace artwork {

struct SRegionRect {
  int32_t left, top, right, bottom;
  bool operator==(const SRegionRect &) const = default;
};

// A Grayscale8 image of the picture's size: 255 inside the outline, 0 outside.
QImage outlineMask(const QImage &skin, int tolerance = 48);
// A mask from a painted shape: pixels of at least half coverage (alpha) are in.
QImage maskFromAlpha(const QImage &shape);

std::vector<SRegionRect> regionRects(const QImage &mask);
QByteArray rgnData(const std::vector<SRegionRect> &rects);

}  // namespace artwork
