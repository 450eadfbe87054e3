// Conversions between pixel depths: packing 8-bit indices into 1 or 4 bits,
// widening 16-bit pixels, and true-colour copies of any record.
#include <algorithm>
#include <new>

#include "imagelib/image_record.h"
#include "imagelib/record_checks.h"

namespace {

void pack_row(const uint8_t* indices, uint32_t width, uint8_t bits, uint8_t* packed) {
  for (uint32_t x = 0; x < width; ++x) {
    if (bits == 1) {
      packed[x / 8] = static_cast<uint8_t>(packed[x / 8] | ((indices[x] & 1) << (7 - x % 8)));
    } else {
      packed[x / 2] = static_cast<uint8_t>(packed[x / 2] | ((indices[x] & 0x0F) << (x % 2 == 0 ? 4 : 0)));
    }
  }
}

// The index of every pixel of a palette record, width x height bytes, rows
// in the record's order.
std::vector<uint8_t> pixel_indices(const ImageRecord& image) {
  std::vector<uint8_t> indices(static_cast<size_t>(image.width) * image.height);
  if (image.bits_per_pixel == 1) {
    unpack_1bit_rows(image, indices.data());
  } else if (image.bits_per_pixel == 4) {
    unpack_4bit_rows(image, indices.data());
  } else {
    for (uint32_t y = 0; y < image.height; ++y) {
      std::copy_n(image.row(y), image.width, indices.data() + static_cast<size_t>(y) * image.width);
    }
  }
  return indices;
}

ImageLibraryError palette_to_true_colour(const ImageRecord& source, ImageRecord& destination) {
  destination.width = source.width;
  destination.height = source.height;
  destination.pad_rows = source.pad_rows;
  destination.bits_per_pixel = source.transparent_index >= 0 ? 32 : 24;
  if (const ImageLibraryError code = image_allocate(destination); code != NoError) return code;
  const std::vector<uint8_t> indices = pixel_indices(source);
  const uint32_t bytes = destination.bits_per_pixel / 8;
  static const uint8_t kBlack[3] = {0, 0, 0};
  for (uint32_t y = 0; y < source.height; ++y) {
    const uint8_t* index = indices.data() + static_cast<size_t>(y) * source.width;
    uint8_t* out = destination.row(y);
    for (uint32_t x = 0; x < source.width; ++x, out += bytes) {
      const uint8_t* entry = palette_entry(source, index[x]);
      if (entry == nullptr) entry = kBlack;
      out[0] = entry[0];
      out[1] = entry[1];
      out[2] = entry[2];
      if (bytes == 4) out[3] = index[x] == source.transparent_index ? 0 : 255;
    }
  }
  return NoError;
}

}  // namespace

ImageLibraryError image_pack_indices(ImageRecord& image) {
  set_last_error(NoError);
  if (!image.has_palette() || image.palette_count > 16 || image.bits_per_pixel != 8) return NoError;
  if (!image_buffers_consistent(image)) return set_last_error(BadImagePointer);
  const uint8_t bits = image.palette_count <= 2 ? 1 : 4;
  const uint64_t stride = row_bytes(bits, image.width, image.pad_rows > 0);
  std::vector<uint8_t> packed;
  try {
    packed.assign(static_cast<size_t>(stride) * image.height, 0);
  } catch (const std::bad_alloc&) {
    return set_last_error(OutOfMemory);
  }
  for (uint32_t y = 0; y < image.height; ++y) {
    pack_row(image.row(y), image.width, bits, packed.data() + static_cast<size_t>(y) * stride);
  }
  image.pixels = std::move(packed);
  image.row_stride = static_cast<uint32_t>(stride);
  image.bits_per_pixel = bits;
  return NoError;
}

ImageLibraryError image_16_to_24(ImageRecord& image) {
  if (image.bits_per_pixel != 16) return BadBitsPerPixel;
  if (!image_buffers_consistent(image)) return BadImagePointer;
  const uint64_t stride = row_bytes(24, image.width, image.pad_rows != 0);
  std::vector<uint8_t> wide;
  try {
    wide.assign(static_cast<size_t>(stride) * image.height, 0);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* source = image.row(y);
    uint8_t* out = wide.data() + static_cast<size_t>(y) * stride;
    for (uint32_t x = 0; x < image.width; ++x, source += 2, out += 3) {
      const uint32_t v = source[0] | (source[1] << 8);
      out[0] = static_cast<uint8_t>((v & 0x1F) << 3);
      out[1] = static_cast<uint8_t>((v & 0x3E0) >> 2);
      out[2] = static_cast<uint8_t>((v & 0x7C00) >> 7);
    }
  }
  image.pixels = std::move(wide);
  image.row_stride = static_cast<uint32_t>(stride);
  image.bits_per_pixel = 24;
  return NoError;
}

ImageLibraryError image_to_true_colour(const ImageRecord& source, ImageRecord& destination) {
  set_last_error(NoError);
  if (&source == &destination) {
    // Converting a record into itself: work on a copy of the source.
    ImageRecord copy;
    if (const ImageLibraryError code = image_copy(source, copy); code != NoError) return code;
    return image_to_true_colour(copy, destination);
  }
  image_init(destination);
  ImageLibraryError code = NoError;
  try {
    if (source.width == 0 || source.height == 0) {
      code = BadImageSize;
    } else if (!image_buffers_consistent(source)) {
      code = BadImagePointer;
    } else if (source.bits_per_pixel > 8) {
      code = image_copy(source, destination);
      if (code == NoError && destination.bits_per_pixel == 16) code = image_16_to_24(destination);
    } else {
      code = palette_to_true_colour(source, destination);
    }
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  if (code != NoError) {
    image_free(destination);
    return set_last_error(code);
  }
  return NoError;
}
