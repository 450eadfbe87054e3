// Grey levels of colour pixels and the grey conversions of whole records.
#include <algorithm>
#include <new>

#include "imagelib/image_record.h"
#include "imagelib/record_checks.h"

namespace {

void grey_palette(ImageRecord& image) {
  if (image.palette_entry_size < 3) return;
  for (uint32_t i = 0; i < image.palette_count; ++i) {
    if (static_cast<size_t>(i + 1) * image.palette_entry_size > image.palette.size()) return;
    uint8_t* entry = image.palette.data() + static_cast<size_t>(i) * image.palette_entry_size;
    const uint8_t grey = grey_value(entry);
    entry[0] = entry[1] = entry[2] = grey;
  }
}

void grey_pixels_in_place(ImageRecord& image, bool only_coloured) {
  const uint32_t bytes = image.bits_per_pixel / 8;
  for (uint32_t y = 0; y < image.height; ++y) {
    uint8_t* pixel = image.row(y);
    for (uint32_t x = 0; x < image.width; ++x, pixel += bytes) {
      const auto [low, high] = std::minmax({pixel[0], pixel[1], pixel[2]});
      if (only_coloured && high - low <= 2) continue;
      const uint8_t grey = grey_value(pixel);
      pixel[0] = pixel[1] = pixel[2] = grey;
    }
  }
}

ImageLibraryError true_colour_to_grey_indices(ImageRecord& image) {
  const uint64_t stride = row_bytes(8, image.width, image.pad_rows != 0);
  const uint8_t entry_size = image.pad_rows == 1 ? 4 : 3;
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> palette;
  try {
    pixels.assign(static_cast<size_t>(stride) * image.height, 0);
    palette.assign(256u * entry_size, 0);
  } catch (const std::bad_alloc&) {
    return set_last_error(OutOfMemory);
  }
  for (uint32_t i = 0; i < 256; ++i) {
    std::fill_n(palette.data() + i * entry_size, 3, static_cast<uint8_t>(i));
  }
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* source = image.row(y);
    uint8_t* out = pixels.data() + static_cast<size_t>(y) * stride;
    for (uint32_t x = 0; x < image.width; ++x) out[x] = grey_value(source + 3 * x);
  }
  image.pixels = std::move(pixels);
  image.palette = std::move(palette);
  image.palette_count = 256;
  image.palette_entry_size = entry_size;
  image.row_stride = static_cast<uint32_t>(stride);
  image.bits_per_pixel = 8;
  return NoError;
}

}  // namespace

uint8_t grey_value(const uint8_t* p) {
  const double sum = static_cast<double>(0.299f) * p[2] + static_cast<double>(0.587f) * p[1] +
                     static_cast<double>(0.114f) * p[0] + 0.5;
  return static_cast<uint8_t>(sum);
}

ImageLibraryError image_to_grey(ImageRecord& image) {
  set_last_error(NoError);
  if (!image_buffers_consistent(image)) return set_last_error(BadImagePointer);
  if (image.bits_per_pixel == 16) {
    if (const ImageLibraryError code = image_16_to_24(image); code != NoError) return set_last_error(code);
  }
  switch (image.bits_per_pixel) {
    case 24:
      return true_colour_to_grey_indices(image);
    case 32:
      grey_pixels_in_place(image, false);
      return NoError;
    default:
      grey_palette(image);
      return NoError;
  }
}

ImageLibraryError image_desaturate(ImageRecord& image) {
  set_last_error(NoError);
  if (image.bits_per_pixel <= 16) return set_last_error(BadBitsPerPixel);
  if (!image_buffers_consistent(image)) return set_last_error(BadImagePointer);
  grey_pixels_in_place(image, true);
  return NoError;
}
