// Fuzz target of the region parser. Beyond not reading past the bytes, an
// accepted block must hold its rectangles where the header says, and its
// count must fit the bytes.
#include "rgnparse.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const auto rects = contoura::parseRgnData(data, size);
  if (!rects)
    return 0;
  if (size < contoura::kRgnHeaderSize + rects->size() * contoura::kRgnRectSize)
    std::abort();
  uint32_t count = 0;
  std::memcpy(&count, data + 8, 4);  // little-endian host
  if (count != rects->size())
    std::abort();
  for (size_t i = 0; i < rects->size(); ++i) {
    int32_t stored[4];
    std::memcpy(stored, data + contoura::kRgnHeaderSize + i * contoura::kRgnRectSize, 16);
    const contoura::SRgnRect &r = (*rects)[i];
    if (r.left != stored[0] || r.top != stored[1] || r.right != stored[2] || r.bottom != stored[3])
      std::abort();
  }
  return 0;
}
