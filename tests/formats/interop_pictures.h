#pragma once
// The source pictures of the interoperability set (see
// tests/data/interop/make.sh): 7 x 5, y = 0 the top row.
#include <array>
#include <cstdint>

namespace interop {

inline constexpr uint32_t kWidth = 7;
inline constexpr uint32_t kHeight = 5;

// Red, green, blue of the colour picture.
inline std::array<uint8_t, 3> colour(uint32_t x, uint32_t y) {
  return {static_cast<uint8_t>(10 + 35 * x), static_cast<uint8_t>(20 + 45 * y),
          static_cast<uint8_t>(200 - 20 * x - 10 * y)};
}
inline uint8_t alpha(uint32_t x, uint32_t y) {
  static constexpr uint8_t kAlpha[] = {0, 128, 255};
  return kAlpha[(x + 2 * y) % 3];
}
inline uint8_t grey(uint32_t x, uint32_t y) { return static_cast<uint8_t>(5 + 36 * x + 7 * y); }
// The keyed files make pixel (0, 0) transparent.
inline bool key_pixel(uint32_t x, uint32_t y) { return x == 0 && y == 0; }

}  // namespace interop
