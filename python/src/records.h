#pragma once
// Image records (bottom-up rows, blue-green-red pixels, palettes) to and from
// the arrays Python sees: grey as height x width, colour as height x width x
// 3 or 4 in red-green-blue(-alpha) order, first row first. Each direction is
// one pass straight into its destination.
#include <cstddef>
#include <cstdint>

#include "imagelib/image_record.h"

// Channels of the array that shows the record: 1 for a grey palette (or an
// 8-bit record without one), 4 for 32-bit pixels and palettes with a
// transparent entry, else 3. A 16-bit record must be widened first.
size_t array_channels(const ImageRecord& image);

// Writes the record's pixels to out as height x width x channels bytes.
void record_to_array(const ImageRecord& image, size_t channels, uint8_t* out);

// A strided view of an array's bytes: element (y, x, c) is at
// data + y * row_step + x * column_step + c * channel_step.
struct StridedPixels {
  const uint8_t* data = nullptr;
  size_t width = 0;
  size_t height = 0;
  size_t channels = 1;  // 1, 3 or 4
  ptrdiff_t row_step = 0;
  ptrdiff_t column_step = 0;
  ptrdiff_t channel_step = 0;
};

// Makes image an 8-bit grey-palette, 24-bit or 32-bit record of the pixels.
// Returns the library's code (a size beyond the record's limits fails).
ImageLibraryError array_to_record(const StridedPixels& pixels, ImageRecord& image);

// Copies the one-channel pixels into out, rows packed, first row first.
void pack_grey(const StridedPixels& pixels, uint8_t* out);
