#include "viewer/pictures/grey_record.h"

#include "imagelib/grey_narrowing.h"
#include "imagelib/image_library.h"

ImageLibraryError grey_record_of(const ImageRecord& colour, ImageRecord& grey) {
  if (colour.bits_per_pixel != 24 || colour.pixels.size() < static_cast<size_t>(colour.row_stride) * colour.height)
    return BadBitsPerPixel;
  // Grey pictures narrow as every converter narrows them; the mean below
  // gives the same bytes for them.
  if (record_is_grey_true_colour(colour)) {
    grey = colour;
    return narrow_grey_record(grey);
  }
  grey = ImageRecord{};
  grey.width = colour.width;
  grey.height = colour.height;
  grey.bits_per_pixel = 8;
  grey.row_stride = colour.width;
  grey.palette_count = 256;
  grey.palette_entry_size = 3;
  grey.palette.resize(256 * 3);
  for (int i = 0; i < 256; ++i)
    grey.palette[3 * i] = grey.palette[3 * i + 1] = grey.palette[3 * i + 2] = static_cast<uint8_t>(i);
  grey.pixels.resize(static_cast<size_t>(grey.width) * grey.height);
  for (uint32_t y = 0; y < grey.height; ++y) {
    const uint8_t* source = colour.row(y);
    uint8_t* out = grey.row(y);
    for (uint32_t x = 0; x < grey.width; ++x, source += 3)
      out[x] = static_cast<uint8_t>((source[0] + source[1] + source[2]) / 3);
  }
  return NoError;
}
