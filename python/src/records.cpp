#include "records.h"

#include <algorithm>

#include "imagelib/record_checks.h"

namespace {

// The palette index of pixel x in a row of 1, 4 or 8 bits per pixel; high
// bits hold the leftmost pixel.
uint32_t index_at(const uint8_t* row, uint32_t x, uint8_t bits) {
  if (bits == 8) return row[x];
  if (bits == 4) return (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F;
  return (row[x / 8] >> (7 - x % 8)) & 1;
}

bool grey_palette(const ImageRecord& image) {
  if (image.transparent_index >= 0) return false;
  for (uint32_t i = 0; i < image.palette_count; ++i) {
    const uint8_t* entry = palette_entry(image, i);
    if (entry == nullptr || entry[0] != entry[1] || entry[1] != entry[2]) return false;
  }
  return true;
}

void palette_row_to_array(const ImageRecord& image, const uint8_t* row, size_t channels, uint8_t* out) {
  static const uint8_t kBlack[3] = {0, 0, 0};
  for (uint32_t x = 0; x < image.width; ++x, out += channels) {
    const uint32_t index = index_at(row, x, image.bits_per_pixel);
    if (!image.has_palette()) {
      out[0] = static_cast<uint8_t>(index);
      continue;
    }
    const uint8_t* entry = palette_entry(image, index);
    if (entry == nullptr) entry = kBlack;
    out[0] = entry[2];
    if (channels == 1) continue;
    out[1] = entry[1];
    out[2] = entry[0];
    if (channels == 4) out[3] = static_cast<int32_t>(index) == image.transparent_index ? 0 : 255;
  }
}

void true_colour_row_to_array(const uint8_t* row, uint32_t width, size_t channels, uint8_t* out) {
  for (uint32_t x = 0; x < width; ++x, row += channels, out += channels) {
    out[0] = row[2];
    out[1] = row[1];
    out[2] = row[0];
    if (channels == 4) out[3] = row[3];
  }
}

const uint8_t* at(const StridedPixels& pixels, size_t y, size_t x) {
  return pixels.data + static_cast<ptrdiff_t>(y) * pixels.row_step + static_cast<ptrdiff_t>(x) * pixels.column_step;
}

}  // namespace

size_t array_channels(const ImageRecord& image) {
  if (image.bits_per_pixel == 32) return 4;
  if (image.bits_per_pixel > 8) return 3;
  if (!image.has_palette() || grey_palette(image)) return 1;
  return image.transparent_index >= 0 ? 4 : 3;
}

void record_to_array(const ImageRecord& image, size_t channels, uint8_t* out) {
  const size_t row_bytes = static_cast<size_t>(image.width) * channels;
  for (uint32_t y = 0; y < image.height; ++y, out += row_bytes) {
    const uint8_t* row = image.row(image.height - 1 - y);
    if (image.bits_per_pixel <= 8) {
      palette_row_to_array(image, row, channels, out);
    } else {
      true_colour_row_to_array(row, image.width, channels, out);
    }
  }
}

ImageLibraryError array_to_record(const StridedPixels& pixels, ImageRecord& image) {
  if (pixels.width > UINT32_MAX || pixels.height > UINT32_MAX) return set_last_error(BadImageSize);
  image.width = static_cast<uint32_t>(pixels.width);
  image.height = static_cast<uint32_t>(pixels.height);
  image.bits_per_pixel = static_cast<uint8_t>(pixels.channels == 1 ? 8 : 8 * pixels.channels);
  image.pad_rows = 0;
  if (const ImageLibraryError code = image_allocate(image); code != NoError) return code;
  for (uint32_t i = 0; i < image.palette_count; ++i) {
    std::fill_n(image.palette.data() + static_cast<size_t>(i) * image.palette_entry_size, 3, static_cast<uint8_t>(i));
  }
  for (size_t y = 0; y < pixels.height; ++y) {
    uint8_t* out = image.row(static_cast<uint32_t>(pixels.height - 1 - y));
    for (size_t x = 0; x < pixels.width; ++x, out += pixels.channels) {
      const uint8_t* in = at(pixels, y, x);
      if (pixels.channels == 1) {
        out[0] = in[0];
        continue;
      }
      out[0] = in[2 * pixels.channel_step];
      out[1] = in[pixels.channel_step];
      out[2] = in[0];
      if (pixels.channels == 4) out[3] = in[3 * pixels.channel_step];
    }
  }
  return NoError;
}

void pack_grey(const StridedPixels& pixels, uint8_t* out) {
  for (size_t y = 0; y < pixels.height; ++y) {
    for (size_t x = 0; x < pixels.width; ++x) *out++ = *at(pixels, y, x);
  }
}
