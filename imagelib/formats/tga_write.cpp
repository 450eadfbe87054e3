// Targa writing: an uncompressed file, top row first, colour-mapped, grey or
// true-colour as the record's palette allows.
#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "imagelib/file_io.h"
#include "imagelib/formats/grey_palette.h"
#include "imagelib/formats/tga.h"
#include "imagelib/record_checks.h"

namespace {

constexpr uint8_t kColourMapped = 1;
constexpr uint8_t kTrueColour = 2;
constexpr uint8_t kGrey = 3;
// The reader refuses longer colour maps; an 8-bit index reaches no further.
constexpr uint16_t kMaxMapLength = 256;

uint16_t map_length(const ImageRecord& image) { return std::min(image.palette_count, kMaxMapLength); }

bool has_transparent_entry(const ImageRecord& image) {
  return image.transparent_index >= 0 && image.transparent_index < map_length(image);
}

// Grey samples stand for themselves only when index i is grey level i; any
// other palette, grey or not, and any palette with a transparent entry goes
// into a colour map so the picture is kept.
uint8_t choose_type(const ImageRecord& image) {
  if (image.bits_per_pixel > 8) return kTrueColour;
  if (image.bits_per_pixel == 8 && palette_is_grey_ramp(image) && !has_transparent_entry(image)) return kGrey;
  return kColourMapped;
}

bool palette_has_alpha(const ImageRecord& image) {
  if (image.palette_entry_size != 4) return false;
  for (size_t j = 0; j < map_length(image); ++j) {
    if (image.palette[j * 4 + 3] != 0) return true;
  }
  return false;
}

// Bytes per colour-map entry: 4 only when the map needs alpha, for the
// palette's own fourth bytes (some are not 0) or for a transparent entry; a
// map of all-zero alpha would show as transparent.
size_t map_entry_bytes(const ImageRecord& image) {
  return palette_has_alpha(image) || has_transparent_entry(image) ? 4 : 3;
}

// The alpha stored with map entry j when the map has 4-byte entries: 0 for
// the transparent entry, else the palette's own alpha, or opaque.
uint8_t map_alpha(const ImageRecord& image, size_t j) {
  if (has_transparent_entry(image) && j == static_cast<size_t>(image.transparent_index)) return 0;
  return palette_has_alpha(image) ? image.palette[j * 4 + 3] : 255;
}

void put_u16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

std::vector<uint8_t> make_header(const ImageRecord& image, uint8_t type) {
  std::vector<uint8_t> header(18, 0);
  header[2] = type;
  if (type == kColourMapped) {
    header[1] = 1;
    put_u16(header, 5, map_length(image));
    header[7] = static_cast<uint8_t>(map_entry_bytes(image) * 8);
  }
  put_u16(header, 12, image.width);
  put_u16(header, 14, image.height);
  header[16] = image.bits_per_pixel <= 8 ? 8 : image.bits_per_pixel;
  const bool alpha = image.bits_per_pixel == 32 || (type == kColourMapped && map_entry_bytes(image) == 4);
  header[17] = alpha ? 0x28 : 0x20;
  return header;
}

// Colour-map entries are stored like pixels: blue, green, red (and alpha).
std::vector<uint8_t> make_colour_map(const ImageRecord& image) {
  const size_t size = image.palette_entry_size;
  const size_t file_size = map_entry_bytes(image);
  std::vector<uint8_t> map(map_length(image) * file_size);
  for (size_t j = 0; j < map_length(image); ++j) {
    std::copy_n(image.palette.begin() + static_cast<std::ptrdiff_t>(j * size), 3,
                map.begin() + static_cast<std::ptrdiff_t>(j * file_size));
    if (file_size == 4) map[j * 4 + 3] = map_alpha(image, j);
  }
  return map;
}

// The record's rows with one index byte per pixel for 1- and 4-bit records,
// or empty when the pixel rows can be written as they are.
std::vector<uint8_t> expanded_indices(const ImageRecord& image) {
  std::vector<uint8_t> indices;
  if (image.bits_per_pixel == 1 || image.bits_per_pixel == 4) {
    indices.resize(static_cast<size_t>(image.width) * image.height);
    if (image.bits_per_pixel == 1) unpack_1bit_rows(image, indices.data());
    if (image.bits_per_pixel == 4) unpack_4bit_rows(image, indices.data());
  }
  return indices;
}

bool put(FILE* stream, const uint8_t* data, size_t size) {
  return size == 0 || std::fwrite(data, 1, size, stream) == size;
}

ImageLibraryError write_file(const std::string& filename, const ImageRecord& image) {
  const uint8_t type = choose_type(image);
  const std::vector<uint8_t> indices = expanded_indices(image);
  OutputFile out(filename);
  if (!out.open()) return CannotOpenFile;
  const auto header = make_header(image, type);
  if (!put(out.stream(), header.data(), header.size())) return WriteError;
  if (type == kColourMapped) {
    const auto map = make_colour_map(image);
    if (!put(out.stream(), map.data(), map.size())) return WriteError;
  }
  // The file's first row is the picture's top row, the record's last.
  for (uint32_t y = image.height; y-- > 0;) {
    const bool expanded = !indices.empty();
    const uint8_t* row = expanded ? indices.data() + static_cast<size_t>(y) * image.width : image.row(y);
    const size_t size = expanded ? image.width : image.width * (image.bits_per_pixel / 8u);
    if (!put(out.stream(), row, size)) return WriteError;
  }
  return out.commit() ? NoError : WriteError;
}

bool valid_depth(uint8_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// A palette record needs every entry it declares, of 3 or 4 bytes.
bool palette_complete(const ImageRecord& image) {
  if (image.bits_per_pixel > 8) return true;
  const size_t size = image.palette_entry_size;
  return image.palette_count > 0 && (size == 3 || size == 4) &&
         image.palette.size() >= image.palette_count * size;
}

}  // namespace

ImageLibraryError write_tga(const std::string& filename, const ImageRecord& image) {
  set_last_error(NoError);
  if (image.pixels.empty()) return set_last_error(BadImagePointer);
  if (!valid_depth(image.bits_per_pixel)) return set_last_error(BadBitsPerPixel);
  // The header holds 16-bit sizes; larger pictures cannot be stored.
  if (image.width == 0 || image.height == 0 || image.width > 0xFFFF || image.height > 0xFFFF) {
    return set_last_error(BadImageSize);
  }
  if (!image_buffers_consistent(image) || !palette_complete(image)) return set_last_error(BadImagePointer);
  try {
    return set_last_error(write_file(filename, image));
  } catch (const std::bad_alloc&) {
    return set_last_error(OutOfMemory);
  }
}
