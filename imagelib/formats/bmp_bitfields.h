#pragma once
// Pixels of bitmap files whose colours are given by bit masks: 16- and
// 32-bit words with one mask per channel (red, green, blue and alpha).
#include <cstdint>

struct BitFieldMasks {
  uint32_t red = 0;
  uint32_t green = 0;
  uint32_t blue = 0;
  uint32_t alpha = 0;
};

// The masks an uncompressed file of 16 or 32 bits implies (5-5-5 or 8-8-8).
BitFieldMasks default_masks(uint16_t bits);

// True when every mask is one run of set bits (or 0), fits in bits and
// overlaps no other mask.
bool masks_usable(const BitFieldMasks& masks, uint16_t bits);

// Turns count little-endian words of bits (16 or 32) into blue, green, red
// pixels, with alpha as a fourth byte when out_bytes is 4 (255 where the
// masks have no alpha). Channels wider than 8 bits keep their top 8 bits;
// narrower ones are scaled to the full 0-255 range.
void decode_bitfield_pixels(const uint8_t* in, uint16_t bits, const BitFieldMasks& masks, uint32_t count,
                            uint8_t* out, unsigned out_bytes);
