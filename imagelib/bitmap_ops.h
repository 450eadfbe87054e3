#pragma once
// The platform calls the bitmap conversions need, on the in-memory bitmap
// model of bitmap.h. Each answers what the platform's call of the same
// purpose answers, including its failure value, so the conversions keep the
// platform's error paths.
#include <cstdint>

#include "imagelib/bitmap.h"

// What the object query fills for a device-dependent bitmap, and its size on
// the 32-bit platform.
struct BitmapObject {
  int32_t bmType = 0;
  int32_t bmWidth = 0;
  int32_t bmHeight = 0;
  int32_t bmWidthBytes = 0;
  uint16_t bmPlanes = 1;
  uint16_t bmBitsPixel = 0;
  const uint8_t* bmBits = nullptr;
};
inline constexpr int32_t kBitmapObjectSize = 24;

// What it fills for a DIB section, and its size on the 32-bit platform.
struct DibSectionObject {
  BitmapObject dsBm;
  BitmapInfoHeader dsBmih;
  uint32_t dsBitfields[3] = {0, 0, 0};
};
inline constexpr int32_t kDibSectionObjectSize = 84;

// GetObjectA asked for a DIBSECTION: the number of bytes filled, 84 for a DIB
// section, 24 for a device bitmap (only dsBm filled), 0 for no bitmap or a
// malformed one.
int32_t get_object(const Bitmap* bitmap, DibSectionObject& object);
// GetObjectA asked for a BITMAP: 24, or 0 on failure.
int32_t get_object(const Bitmap* bitmap, BitmapObject& object);

// GetDIBits: copies lines rows starting at row start (counted from the
// bottom) into destination, bottom row first, each padded to 4 bytes, in the
// format of the given header. Only the bitmap's own depth and width are
// supported. The number of rows copied; 0 on failure.
int32_t get_dib_bits(const Bitmap* bitmap, uint32_t start, uint32_t lines, uint8_t* destination,
                     const BitmapInfo& format);

// CreateDIBSection: a zero-filled bottom-up DIB section for the header, and
// the address of its pixel memory in *bits. Null on failure (bad header,
// compression other than none, or a size the memory cannot hold).
BitmapHandle create_dib_section(const BitmapInfo& info, uint8_t** bits);

// A device-dependent bitmap: zero-filled rows padded to 4 bytes, no colour
// table. Null on failure.
BitmapHandle create_device_bitmap(int32_t width, int32_t height, uint16_t bits_per_pixel);

// GetDIBColorTable and SetDIBColorTable: read or write count entries from
// entry start of a DIB section's colour table. The number of entries
// transferred, 0 on failure (no DIB section, no colour table, start outside it).
uint32_t get_dib_colour_table(const Bitmap* bitmap, uint32_t start, uint32_t count, RgbQuad* colours);
uint32_t set_dib_colour_table(Bitmap* bitmap, uint32_t start, uint32_t count, const RgbQuad* colours);

// Fills the header of a bitmap of the given size: the bit count is the first
// of 1, 4, 8, 16, 24, 32 not below bits (8 above 32), the image size the
// rows padded to 4 bytes, and 2^bits colours for 8 bits or fewer. Returns info.
BitmapInfo& fill_bitmap_info(BitmapInfo& info, int32_t width, int32_t height, uint16_t bits,
                             uint32_t compression);
BitmapInfo get_bitmap_info(int32_t width, int32_t height, uint16_t bits, uint32_t compression);
