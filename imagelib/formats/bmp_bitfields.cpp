// Decoding of bit-field bitmap pixels.
#include "imagelib/formats/bmp_bitfields.h"

#include <bit>

namespace {

// One channel's value from a pixel word, as 0-255.
uint8_t channel(uint32_t word, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int width = std::popcount(mask);
  const uint32_t value = (word & mask) >> shift;
  if (width >= 8) return static_cast<uint8_t>(value >> (width - 8));
  const uint32_t top = (1u << width) - 1;
  return static_cast<uint8_t>((value * 255 + top / 2) / top);
}

bool one_run(uint32_t mask) {
  if (mask == 0) return true;
  const uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

}  // namespace

BitFieldMasks default_masks(uint16_t bits) {
  if (bits == 16) return {0x7C00, 0x03E0, 0x001F, 0};
  return {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
}

bool masks_usable(const BitFieldMasks& masks, uint16_t bits) {
  const uint32_t all = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
  const uint32_t list[] = {masks.red, masks.green, masks.blue, masks.alpha};
  uint32_t seen = 0;
  for (const uint32_t mask : list) {
    if (!one_run(mask) || (mask & ~all) != 0 || (mask & seen) != 0) return false;
    seen |= mask;
  }
  return true;
}

void decode_bitfield_pixels(const uint8_t* in, uint16_t bits, const BitFieldMasks& masks, uint32_t count,
                            uint8_t* out, unsigned out_bytes) {
  const unsigned in_bytes = bits / 8u;
  for (uint32_t x = 0; x < count; ++x, in += in_bytes, out += out_bytes) {
    uint32_t word = 0;
    for (unsigned i = 0; i < in_bytes; ++i) word |= uint32_t{in[i]} << (8 * i);
    out[0] = channel(word, masks.blue);
    out[1] = channel(word, masks.green);
    out[2] = channel(word, masks.red);
    if (out_bytes == 4) out[3] = masks.alpha != 0 ? channel(word, masks.alpha) : 255;
  }
}
