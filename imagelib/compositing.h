#pragma once
// Compositing of one colour channel over a background by an alpha value, and
// its inverse.
#include <cstdint>

// The colour composited over background by alpha (0 transparent, 255 opaque).
uint8_t blend_channel(uint8_t colour, uint8_t alpha, uint8_t background);
// The colour that composited over background by alpha gave composited,
// limited to 0..255.
uint8_t unblend_channel(uint8_t composited, uint8_t alpha, uint8_t background);
