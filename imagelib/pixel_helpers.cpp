// Unpacking of 1-bit and 4-bit rows and the byte-order swaps.
#include "imagelib/image_record.h"

void unpack_1bit_rows(const ImageRecord& image, uint8_t* destination) {
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* source = image.row(y);
    for (uint32_t x = 0; x < image.width; ++x) {
      *destination++ = (source[x / 8] >> (7 - x % 8)) & 1;
    }
  }
}

void unpack_4bit_rows(const ImageRecord& image, uint8_t* destination) {
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* source = image.row(y);
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint8_t byte = source[x / 2];
      *destination++ = (x % 2 == 0) ? byte >> 4 : byte & 0x0F;
    }
  }
}

int16_t swap_i16(int16_t value) { return static_cast<int16_t>(swap_u16(static_cast<uint16_t>(value))); }

uint16_t swap_u16(uint16_t value) { return static_cast<uint16_t>((value >> 8) | (value << 8)); }

int32_t swap_i32(int32_t value) { return static_cast<int32_t>(swap_u32(static_cast<uint32_t>(value))); }

uint32_t swap_u32(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}
