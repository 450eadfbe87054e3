#pragma once
// How a palette record's palette relates to grey samples. Writers that can
// store grey samples ask these before writing a record's indices as grey
// levels: that is only faithful when the palette is the grey ramp of the
// record's depth.
#include <cstdint>

#include "imagelib/image_record.h"

// The grey level index stands for in the ramp of a depth of bits (1 to 8):
// index x 255 / (2^bits - 1).
uint8_t grey_ramp_level(uint32_t index, uint8_t bits);

// The grey level of palette entry index (its blue byte); the caller checks
// that the palette is grey and index is below palette_count.
uint8_t palette_grey_level(const ImageRecord& image, uint32_t index);

// True when the record has a palette and every entry has equal blue, green
// and red.
bool palette_is_grey(const ImageRecord& image);

// True when entry i of the palette is grey_ramp_level(i, bits_per_pixel) for
// every entry: the indices are the grey samples themselves.
bool palette_is_grey_ramp(const ImageRecord& image);

// True when entry i is 255 - grey_ramp_level(i, bits_per_pixel) for every
// entry: the indices are grey samples with white as zero.
bool palette_is_reverse_grey_ramp(const ImageRecord& image);
