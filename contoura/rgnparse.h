// The region file format: a verbatim Windows RGNDATA block, a 32-byte header
// (dwSize 32, iType 1, nCount, nRgnSize, bounding rectangle) followed by
// nCount rectangles of left, top, right, bottom, right and bottom exclusive,
// all little-endian. This part knows only bytes; contoura.cpp turns the
// rectangles into a window shape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace contoura {

struct SRgnRect {
  int32_t left, top, right, bottom;
  bool operator==(const SRgnRect &) const = default;
};

constexpr size_t kRgnHeaderSize = 32;
constexpr size_t kRgnRectSize = 16;

// The rectangles of a region data block of exactly size bytes, or nothing
// when the block is not a region: a header size other than 32, a type other
// than 1, or a rectangle count or list size that does not fit in the bytes.
// Bytes after the rectangles are ignored, as is the bounding rectangle.
std::optional<std::vector<SRgnRect>> parseRgnData(const uint8_t *data, size_t size);

}  // namespace contoura
