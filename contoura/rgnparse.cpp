#include "rgnparse.h"

namespace contoura {

namespace {

uint32_t u32At(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int32_t i32At(const uint8_t *p) { return static_cast<int32_t>(u32At(p)); }

}  // namespace

std::optional<std::vector<SRgnRect>> parseRgnData(const uint8_t *data, size_t size) {
  if (!data || size < kRgnHeaderSize)
    return std::nullopt;
  const uint32_t headerSize = u32At(data);
  const uint32_t type = u32At(data + 4);
  const uint32_t count = u32At(data + 8);
  const uint32_t listSize = u32At(data + 12);
  if (headerSize != kRgnHeaderSize || type != 1)
    return std::nullopt;
  // Compared as 64-bit numbers so that a count near 2^32 cannot wrap.
  const uint64_t room = size - kRgnHeaderSize;
  if (uint64_t(count) * kRgnRectSize > room || listSize > room)
    return std::nullopt;
  std::vector<SRgnRect> rects;
  rects.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t *r = data + kRgnHeaderSize + size_t(i) * kRgnRectSize;
    rects.push_back({i32At(r), i32At(r + 4), i32At(r + 8), i32At(r + 12)});
  }
  return rects;
}

}  // namespace contoura
