#pragma once
// Size arithmetic and sanity checks on image records, shared by the
// conversions, the bitmap layer and the writers.
#include <cstdint>

#include "imagelib/image_record.h"

// (bits x width + 7) / 8, without overflow.
uint64_t packed_row_bytes(uint32_t bits_per_pixel, uint32_t width);
// The same, rounded up to a multiple of 4 when padded.
uint64_t row_bytes(uint32_t bits_per_pixel, uint32_t width, bool padded);

// True when width x height is above the record's max_pixels, after writing a
// diagnostic that names the size and the limit: the one pixel-limit check of
// the readers and of image_allocate.
bool above_pixel_limit(const ImageRecord& image, uint64_t width, uint64_t height);

// True when the pixel buffer holds height rows of row_stride bytes, each
// long enough for width pixels, and any palette has entries of at least 3
// bytes. Records made by hand may break this; readers of records check it
// before touching the buffers.
bool image_buffers_consistent(const ImageRecord& image);

// The palette entry of index (blue, green, red), or null when the index is
// outside the palette.
const uint8_t* palette_entry(const ImageRecord& image, uint32_t index);
