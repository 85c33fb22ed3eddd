// Region data blocks for tests, built field by field.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace contoura_test {

struct SRect {
  int32_t l, t, r, b;
};

inline void put32(std::string &s, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    s.push_back(char((v >> (8 * i)) & 0xFF));
}

// A header with the given fields (bounding rectangle 0, 0, 0, 0) followed by
// the rectangles.
inline std::string rgnBlock(uint32_t headerSize, uint32_t type, uint32_t count, uint32_t listSize,
                            std::initializer_list<SRect> rects) {
  std::string s;
  put32(s, headerSize);
  put32(s, type);
  put32(s, count);
  put32(s, listSize);
  for (int i = 0; i < 4; ++i)
    put32(s, 0);
  for (const SRect &r : rects) {
    put32(s, uint32_t(r.l));
    put32(s, uint32_t(r.t));
    put32(s, uint32_t(r.r));
    put32(s, uint32_t(r.b));
  }
  return s;
}

// A well-formed block of these rectangles.
inline std::string rgnOf(std::initializer_list<SRect> rects) {
  return rgnBlock(32, 1, uint32_t(rects.size()), uint32_t(16 * rects.size()), rects);
}

}  // namespace contoura_test
