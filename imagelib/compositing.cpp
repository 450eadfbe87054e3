#include "imagelib/compositing.h"

uint8_t blend_channel(uint8_t colour, uint8_t alpha, uint8_t background) {
  if (alpha == 0) return background;
  if (alpha == 255) return colour;
  const uint32_t t = uint32_t{colour} * alpha + (255u - alpha) * background + 128;
  return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

uint8_t unblend_channel(uint8_t composited, uint8_t alpha, uint8_t background) {
  if (alpha == 0) return background;
  if (alpha == 255) return composited;
  const int32_t v = (int32_t{composited} * 255 - (255 - int32_t{alpha}) * background) / alpha;
  if (v < 0) return 0;
  if (v > 255) return 255;
  return static_cast<uint8_t>(v);
}
