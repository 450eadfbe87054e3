// Conversions between image records and platform bitmaps.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "imagelib/background.h"
#include "imagelib/bitmap_ops.h"
#include "imagelib/compositing.h"
#include "imagelib/image_library.h"
#include "imagelib/record_checks.h"

namespace {

bool valid_depth(uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Takes the pixels of every 32-bit pixel back out of a composite over the
// background colour.
void unblend_pixels(ImageRecord& image) {
  const uint8_t* background = background_colour();
  for (uint32_t y = 0; y < image.height; ++y) {
    uint8_t* pixel = image.row(y);
    for (uint32_t x = 0; x < image.width; ++x, pixel += 4) {
      pixel[0] = unblend_channel(pixel[0], pixel[3], background[BackgroundBlue]);
      pixel[1] = unblend_channel(pixel[1], pixel[3], background[BackgroundGreen]);
      pixel[2] = unblend_channel(pixel[2], pixel[3], background[BackgroundRed]);
    }
  }
}

void make_opaque(ImageRecord& image) {
  for (uint32_t y = 0; y < image.height; ++y) {
    uint8_t* pixel = image.row(y);
    for (uint32_t x = 0; x < image.width; ++x) pixel[4 * x + 3] = 255;
  }
}

// Copies rows of the DIB row size from source (bottom row first, or top row
// first when top_down) into the record.
void copy_rows_in(ImageRecord& image, const uint8_t* source, size_t source_row, bool top_down) {
  const size_t count = std::min<size_t>(source_row, image.row_stride);
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint32_t from = top_down ? image.height - 1 - y : y;
    std::memcpy(image.row(y), source + from * source_row, count);
  }
}

ImageLibraryError read_dib_section(const Bitmap* bitmap, const DibSectionObject& object, ImageRecord& image) {
  const BitmapInfoHeader& header = object.dsBmih;
  image.width = static_cast<uint32_t>(header.biWidth);
  image.height = static_cast<uint32_t>(object.dsBm.bmHeight);
  image.bits_per_pixel = static_cast<uint8_t>(header.biBitCount);
  if (header.biBitCount <= 8 && header.biClrUsed > 0) {
    image.palette_count = static_cast<uint16_t>(std::min<uint32_t>(header.biClrUsed, 1u << header.biBitCount));
  }
  if (const ImageLibraryError code = image_allocate(image); code != NoError) return code;
  // A negative height marks a section stored top row first; the record is
  // always bottom-up.
  copy_rows_in(image, object.dsBm.bmBits, static_cast<size_t>(object.dsBm.bmWidthBytes), header.biHeight < 0);
  if (image.bits_per_pixel <= 8) {
    const uint32_t read = get_dib_colour_table(bitmap, 0, image.palette_count,
                                               reinterpret_cast<RgbQuad*>(image.palette.data()));
    if (read == 0) return set_platform_error(EINVAL);
  }
  return NoError;
}

ImageLibraryError read_device_bitmap(const Bitmap* bitmap, ImageRecord& image) {
  BitmapObject object;
  if (get_object(bitmap, object) == 0) return set_platform_error(EINVAL);
  if (object.bmBitsPixel <= 8) return BadBitsPerPixel;
  image.width = static_cast<uint32_t>(object.bmWidth);
  image.height = static_cast<uint32_t>(object.bmHeight);
  image.bits_per_pixel = static_cast<uint8_t>(object.bmBitsPixel);
  // The record's padded rows have the DIB row size, so the rows are copied
  // straight into it once the size has passed the record's checks.
  if (const ImageLibraryError code = image_allocate(image); code != NoError) return code;
  BitmapInfo format;
  fill_bitmap_info(format, object.bmWidth, object.bmHeight, object.bmBitsPixel, 0);
  if (get_dib_bits(bitmap, 0, image.height, image.pixels.data(), format) == 0) return set_platform_error(EINVAL);
  if (image.bits_per_pixel == 32) make_opaque(image);
  return NoError;
}

ImageLibraryError fill_from_bitmap(const Bitmap* bitmap, ImageRecord& image, int32_t unblend) {
  image_free(image);
  if (bitmap == nullptr) return BadBitmapHandle;
  DibSectionObject object;
  const int32_t filled = get_object(bitmap, object);
  if (filled == 0) return set_platform_error(EINVAL);
  image.pad_rows = 1;
  if (filled == kBitmapObjectSize) return read_device_bitmap(bitmap, image);
  if (filled != kDibSectionObjectSize) return BadBitmapHandle;
  if (const ImageLibraryError code = read_dib_section(bitmap, object, image); code != NoError) return code;
  if (unblend > 0 && image.bits_per_pixel == 32) unblend_pixels(image);
  return NoError;
}

// The colour table of a palette record as 4-byte entries, with the
// transparent entry replaced by the background colour.
std::vector<RgbQuad> colour_table(const ImageRecord& image) {
  std::vector<RgbQuad> table(image.palette_count);
  for (uint32_t i = 0; i < image.palette_count; ++i) {
    if (const uint8_t* entry = palette_entry(image, i)) table[i] = RgbQuad{entry[0], entry[1], entry[2], 0};
  }
  if (image.transparent_index >= 0 && image.transparent_index < image.palette_count) {
    const uint8_t* background = background_colour();
    table[image.transparent_index] =
        RgbQuad{background[BackgroundBlue], background[BackgroundGreen], background[BackgroundRed], 0};
  }
  return table;
}

void composite_over_colour(Bitmap& section, uint32_t width) {
  const uint8_t* background = background_colour();
  const uint8_t bgr[3] = {background[BackgroundBlue], background[BackgroundGreen], background[BackgroundRed]};
  const size_t row_size = section.row_size();
  for (uint32_t y = 0; y < static_cast<uint32_t>(section.header.biHeight); ++y) {
    uint8_t* pixel = section.bits.data() + y * row_size;
    for (uint32_t x = 0; x < width; ++x, pixel += 4) {
      for (int c = 0; c < 3; ++c) pixel[c] = blend_channel(pixel[c], pixel[3], bgr[c]);
    }
  }
}

ImageLibraryError composite_over_image(Bitmap& section, const ImageRecord& image) {
  const ImageRecord& background = *background_image();
  if (background.width == 0 || background.height == 0) return NoBackgroundImage;
  if (background.width < image.width || background.height < image.height) return BackgroundTooSmall;
  if (background.bits_per_pixel < 24 || !image_buffers_consistent(background)) return NoBackgroundImage;
  const uint32_t bytes = background.bits_per_pixel / 8;
  const size_t row_size = section.row_size();
  for (uint32_t y = 0; y < image.height; ++y) {
    uint8_t* pixel = section.bits.data() + y * row_size;
    const uint8_t* under = background.row(y);
    for (uint32_t x = 0; x < image.width; ++x, pixel += 4, under += bytes) {
      for (int c = 0; c < 3; ++c) pixel[c] = blend_channel(pixel[c], pixel[3], under[c]);
    }
  }
  return NoError;
}

ImageLibraryError make_dib_section(const ImageRecord& image, CompositeMode mode, BitmapHandle& result) {
  if (!image_buffers_consistent(image)) return BadImagePointer;
  if (!valid_depth(image.bits_per_pixel)) return BadBitsPerPixel;
  if (image.width > INT32_MAX || image.height > INT32_MAX) return BadImageSize;
  BitmapInfo info;
  fill_bitmap_info(info, static_cast<int32_t>(image.width), static_cast<int32_t>(image.height),
                   image.bits_per_pixel, 0);
  info.header.biClrUsed = info.header.biClrImportant = image.palette_count;
  uint8_t* bits = nullptr;
  BitmapHandle section = create_dib_section(info, &bits);
  if (!section || bits == nullptr) return set_platform_error(ENOMEM);
  if (image.has_palette()) {
    std::vector<RgbQuad> table;
    try {
      table = colour_table(image);
    } catch (const std::bad_alloc&) {
      return OutOfMemory;
    }
    if (set_dib_colour_table(section.get(), 0, static_cast<uint32_t>(table.size()), table.data()) == 0) {
      return set_platform_error(EINVAL);
    }
  }
  const size_t row_size = section->row_size();
  const size_t count = std::min<size_t>(row_size, image.row_stride);
  for (uint32_t y = 0; y < image.height; ++y) std::memcpy(bits + y * row_size, image.row(y), count);
  if (image.bits_per_pixel == 32 && mode == CompositeOverColour) composite_over_colour(*section, image.width);
  if (image.bits_per_pixel == 32 && mode == CompositeOverImage) {
    if (const ImageLibraryError code = composite_over_image(*section, image); code != NoError) return code;
  }
  result = std::move(section);
  return NoError;
}

}  // namespace

ImageLibraryError image_from_bitmap(const Bitmap* bitmap, ImageRecord& image, int32_t unblend) {
  set_last_error(NoError);
  ImageLibraryError code = NoError;
  try {
    code = fill_from_bitmap(bitmap, image, unblend);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  if (code == NoError) return NoError;
  image_free(image);
  return set_last_error(code);
}

BitmapHandle image_to_dib_section(const ImageRecord& image, CompositeMode mode) {
  set_last_error(NoError);
  BitmapHandle result;
  ImageLibraryError code = NoError;
  try {
    code = make_dib_section(image, mode, result);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  if (code == NoError) return result;
  set_last_error(code);
  return nullptr;
}
