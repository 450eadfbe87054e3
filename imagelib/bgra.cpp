// Records and files as 32-bit blue-green-red-alpha (or red-green-blue-alpha)
// buffers.
#include <algorithm>
#include <new>

#include "imagelib/image_library.h"
#include "imagelib/record_checks.h"

namespace {

void put(uint8_t* out, uint8_t blue, uint8_t green, uint8_t red, uint8_t alpha, bool keep_bgr) {
  out[0] = keep_bgr ? blue : red;
  out[1] = green;
  out[2] = keep_bgr ? red : blue;
  out[3] = alpha;
}

ImageLibraryError palette_to_bgra(const ImageRecord& image, uint8_t* out, bool keep_bgr) {
  std::vector<uint8_t> indices(static_cast<size_t>(image.width) * image.height);
  if (image.bits_per_pixel == 1) {
    unpack_1bit_rows(image, indices.data());
  } else if (image.bits_per_pixel == 4) {
    unpack_4bit_rows(image, indices.data());
  } else if (image.bits_per_pixel == 8) {
    for (uint32_t y = 0; y < image.height; ++y) {
      std::copy_n(image.row(y), image.width, indices.data() + static_cast<size_t>(y) * image.width);
    }
  } else {
    return BadBitsPerPixel;
  }
  static const uint8_t kBlack[3] = {0, 0, 0};
  for (const uint8_t index : indices) {
    const uint8_t* entry = palette_entry(image, index);
    if (entry == nullptr) entry = kBlack;
    const uint8_t alpha = image.transparent_index >= 0 && index == image.transparent_index ? 0 : 255;
    put(out, entry[0], entry[1], entry[2], alpha, keep_bgr);
    out += 4;
  }
  return NoError;
}

ImageLibraryError true_colour_to_bgra(const ImageRecord& image, uint8_t* out, bool keep_bgr) {
  const uint32_t bits = image.bits_per_pixel;
  if (bits != 15 && bits != 16 && bits != 24 && bits != 32) return BadBitsPerPixel;
  const uint32_t bytes = bits == 15 ? 2 : bits / 8;
  if (image.row_stride < static_cast<uint64_t>(bytes) * image.width) return BadImagePointer;
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* pixel = image.row(y);
    for (uint32_t x = 0; x < image.width; ++x, pixel += bytes, out += 4) {
      if (bytes == 2) {
        const uint32_t v = pixel[0] | (pixel[1] << 8);
        put(out, static_cast<uint8_t>((v & 0x1F) * 8), static_cast<uint8_t>(((v >> 5) & 0x1F) * 8),
            static_cast<uint8_t>(((v >> 10) & 0x1F) * 8), 255, keep_bgr);
      } else {
        put(out, pixel[0], pixel[1], pixel[2], bytes == 4 ? pixel[3] : 255, keep_bgr);
      }
    }
  }
  return NoError;
}

}  // namespace

ImageLibraryError image_to_bgra(const ImageRecord& image, uint32_t& width, uint32_t& height,
                                std::vector<uint8_t>& buffer, bool keep_bgr) {
  set_last_error(NoError);
  buffer.clear();
  if (!image_buffers_consistent(image)) return set_last_error(BadImagePointer);
  ImageLibraryError code = NoError;
  try {
    buffer.assign(static_cast<size_t>(image.width) * 4 * image.height, 0);
    code = image.has_palette() ? palette_to_bgra(image, buffer.data(), keep_bgr)
                               : true_colour_to_bgra(image, buffer.data(), keep_bgr);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  if (code != NoError) {
    buffer.clear();
    buffer.shrink_to_fit();
    return set_last_error(code);
  }
  width = image.width;
  height = image.height;
  return NoError;
}

ImageLibraryError load_image_to_bgra(const std::string& filename, uint32_t& width, uint32_t& height,
                                     std::vector<uint8_t>& buffer, bool keep_bgr) {
  set_last_error(NoError);
  ImageRecord image;
  if (const ImageLibraryError code = load_image(filename, image); code != NoError) return code;
  return image_to_bgra(image, width, height, buffer, keep_bgr);
}
