// SGI image writing: a verbatim file of one byte per sample, one plane per
// channel (red, green, blue, alpha; or one grey plane), bottom row first.
#include <cstdio>
#include <new>
#include <vector>

#include "imagelib/file_io.h"
#include "imagelib/formats/grey_palette.h"
#include "imagelib/formats/sgi.h"
#include "imagelib/record_checks.h"

namespace {

constexpr size_t kHeaderSize = 512;
constexpr size_t kNameSize = 80;

void put_u16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  out[at] = static_cast<uint8_t>(value >> 8);
  out[at + 1] = static_cast<uint8_t>(value);
}

std::vector<uint8_t> make_header(const std::string& filename, const ImageRecord& image, uint16_t channels) {
  std::vector<uint8_t> header(kHeaderSize, 0);
  put_u16(header, 0, 474);
  header[3] = 1;  // one byte per sample; byte 2 (0) marks verbatim storage
  put_u16(header, 4, channels == 1 ? 2 : 3);
  put_u16(header, 6, image.width);
  put_u16(header, 8, image.height);
  put_u16(header, 10, channels);
  header[19] = 255;  // largest sample value
  filename.copy(reinterpret_cast<char*>(header.data() + 24), kNameSize - 1);
  return header;
}

// Pixel x of row y as blue, green, red (and alpha) bytes: the palette entry of
// its index for palette records, the pixel itself otherwise. indices holds one
// byte per pixel for 1- and 4-bit records.
const uint8_t* pixel_bytes(const ImageRecord& image, const std::vector<uint8_t>& indices, uint32_t x,
                           uint32_t y) {
  static constexpr uint8_t kBlack[3] = {0, 0, 0};
  if (image.bits_per_pixel > 8) return image.row(y) + static_cast<size_t>(x) * (image.bits_per_pixel / 8);
  const uint8_t index = indices.empty() ? image.row(y)[x] : indices[static_cast<size_t>(y) * image.width + x];
  const uint8_t* entry = palette_entry(image, index);
  return entry != nullptr ? entry : kBlack;
}

// Plane z takes byte 2 - z of every pixel (red, green, blue), plane 3 the
// alpha byte. A grey palette's one plane is its entries' red byte.
std::vector<uint8_t> make_planes(const ImageRecord& image, uint16_t channels) {
  std::vector<uint8_t> indices;
  if (image.bits_per_pixel == 1 || image.bits_per_pixel == 4) {
    indices.resize(static_cast<size_t>(image.width) * image.height);
    if (image.bits_per_pixel == 1) unpack_1bit_rows(image, indices.data());
    if (image.bits_per_pixel == 4) unpack_4bit_rows(image, indices.data());
  }
  const size_t plane_size = static_cast<size_t>(image.width) * image.height;
  std::vector<uint8_t> planes(plane_size * channels);
  size_t at = 0;
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x, ++at) {
      const uint8_t* pixel = pixel_bytes(image, indices, x, y);
      for (size_t z = 0; z < channels; ++z) planes[z * plane_size + at] = pixel[z < 3 ? 2 - z : 3];
    }
  }
  return planes;
}

ImageLibraryError write_file(const std::string& filename, const ImageRecord& image) {
  const uint16_t channels = image.bits_per_pixel == 32 ? 4 : palette_is_grey(image) ? 1 : 3;
  const auto header = make_header(filename, image, channels);
  const auto planes = make_planes(image, channels);
  OutputFile out(filename);
  if (!out.open()) return CannotOpenFile;
  if (std::fwrite(header.data(), 1, header.size(), out.stream()) != header.size()) return WriteError;
  if (std::fwrite(planes.data(), 1, planes.size(), out.stream()) != planes.size()) return WriteError;
  return out.commit() ? NoError : WriteError;
}

bool valid_depth(uint8_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

ImageLibraryError check_record(const ImageRecord& image) {
  if (image.pixels.empty()) return BadImagePointer;
  if (!valid_depth(image.bits_per_pixel)) return BadBitsPerPixel;
  // The header holds 16-bit sizes; larger pictures cannot be stored.
  if (image.width == 0 || image.height == 0 || image.width > 0xFFFF || image.height > 0xFFFF) return BadImageSize;
  if (!image_buffers_consistent(image)) return BadImagePointer;
  if (image.bits_per_pixel <= 8 && !image.has_palette()) return BadImagePointer;
  return NoError;
}

ImageLibraryError write_record(const std::string& filename, const ImageRecord& image) {
  if (const auto code = check_record(image)) return code;
  if (image.bits_per_pixel != 16) return write_file(filename, image);
  // 5-5-5 pixels are widened to blue, green, red bytes first.
  ImageRecord wide;
  wide.max_pixels = image.max_pixels;
  if (const auto code = image_to_true_colour(image, wide)) return code;
  return write_file(filename, wide);
}

}  // namespace

ImageLibraryError write_rgb(const std::string& filename, const ImageRecord& image) {
  set_last_error(NoError);
  try {
    return set_last_error(write_record(filename, image));
  } catch (const std::bad_alloc&) {
    return set_last_error(OutOfMemory);
  }
}
