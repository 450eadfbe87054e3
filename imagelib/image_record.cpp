// Lifecycle of the image record: init, free, allocate, copy.
#include <new>

#include "imagelib/image_record.h"
#include "imagelib/record_checks.h"
#include "wsq/diagnostics.h"

namespace {

bool valid_depth(uint8_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

bool above_pixel_limit(const ImageRecord& image, uint64_t width, uint64_t height) {
  if (width == 0 || height <= image.max_pixels / width) return false;
  diag_printf("ERROR : image of %llu x %llu pixels is above the pixel limit of %llu\n",
              static_cast<unsigned long long>(width), static_cast<unsigned long long>(height),
              static_cast<unsigned long long>(image.max_pixels));
  return true;
}

uint64_t packed_row_bytes(uint32_t bits_per_pixel, uint32_t width) {
  return (static_cast<uint64_t>(bits_per_pixel) * width + 7) / 8;
}

uint64_t row_bytes(uint32_t bits_per_pixel, uint32_t width, bool padded) {
  const uint64_t bytes = packed_row_bytes(bits_per_pixel, width);
  return padded ? (bytes + 3) / 4 * 4 : bytes;
}

bool image_buffers_consistent(const ImageRecord& image) {
  if (image.pixels.empty()) return false;
  if (image.row_stride < packed_row_bytes(image.bits_per_pixel, image.width)) return false;
  if (image.pixels.size() / image.row_stride < image.height) return false;
  if (image.has_palette() && image.palette_entry_size < 3) return false;
  return true;
}

const uint8_t* palette_entry(const ImageRecord& image, uint32_t index) {
  if (image.palette_entry_size == 0 || index >= image.palette_count) return nullptr;
  const size_t offset = static_cast<size_t>(index) * image.palette_entry_size;
  if (offset + 3 > image.palette.size()) return nullptr;
  return image.palette.data() + offset;
}

void image_init(ImageRecord& image) {
  const uint64_t max_pixels = image.max_pixels;
  const uint64_t max_file_size = image.max_file_size;
  const uint32_t codec_threads = image.codec_threads;
  image = ImageRecord{};
  image.max_pixels = max_pixels;
  image.max_file_size = max_file_size;
  image.codec_threads = codec_threads;
}

void image_free(ImageRecord& image) { image_init(image); }

ImageLibraryError image_allocate(ImageRecord& image) {
  set_last_error(NoError);
  if (image.width == 0 || image.height == 0) return set_last_error(BadImageSize);
  if (!valid_depth(image.bits_per_pixel)) return set_last_error(BadBitsPerPixel);
  // Refuse sizes beyond the caller's limit before anything is allocated.
  if (above_pixel_limit(image, image.width, image.height)) return set_last_error(BadImageSize);
  const uint64_t stride = row_bytes(image.bits_per_pixel, image.width, image.pad_rows != 0);
  if (stride > UINT32_MAX || stride * image.height > SIZE_MAX / 2) return set_last_error(BadImageSize);

  image.pixels.clear();
  image.pixels.shrink_to_fit();
  image.palette.clear();
  image.palette.shrink_to_fit();
  if (image.bits_per_pixel <= 8) {
    image.palette_entry_size = (image.pad_rows > 0 || image.palette_entry_size > 3) ? 4 : 3;
    if (image.palette_count == 0) image.palette_count = static_cast<uint16_t>(1u << image.bits_per_pixel);
  } else {
    image.palette_entry_size = 0;
    image.palette_count = 0;
  }
  image.row_stride = static_cast<uint32_t>(stride);
  try {
    image.palette.assign(static_cast<size_t>(image.palette_count) * image.palette_entry_size, 0);
    image.pixels.assign(static_cast<size_t>(stride) * image.height, 0);
  } catch (const std::bad_alloc&) {
    image.palette.clear();
    image.pixels.clear();
    return set_last_error(OutOfMemory);
  }
  return NoError;
}

ImageLibraryError image_copy(const ImageRecord& source, ImageRecord& destination) {
  set_last_error(NoError);
  if (&source == &destination) return NoError;
  image_free(destination);
  destination.width = source.width;
  destination.height = source.height;
  destination.bits_per_pixel = source.bits_per_pixel;
  destination.palette_count = source.palette_count;
  destination.palette_entry_size = source.palette_entry_size;
  destination.pad_rows = source.pad_rows;
  destination.transparent_index = source.transparent_index;
  destination.max_pixels = source.max_pixels;
  destination.max_file_size = source.max_file_size;
  destination.codec_threads = source.codec_threads;
  if (source.width == 0 || source.height == 0) return NoError;
  // The source may be a hand-made record; copy only what it really holds.
  if (!source.pixels.empty() && !image_buffers_consistent(source)) return set_last_error(BadImagePointer);
  try {
    destination.pixels = source.pixels;
    destination.palette = source.palette;
  } catch (const std::bad_alloc&) {
    image_free(destination);
    return set_last_error(OutOfMemory);
  }
  destination.row_stride = source.row_stride;
  return NoError;
}
