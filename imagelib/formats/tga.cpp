// Targa reading: colour-mapped, true-colour and grey files, uncompressed or
// run-length encoded, in any of the four row and column orientations.
// The writer is in tga_write.cpp.
#include "imagelib/formats/tga.h"

#include <cstring>
#include <vector>

#include "imagelib/byte_reader.h"
#include "imagelib/formats/hand_reader.h"
#include "imagelib/record_checks.h"

namespace {

struct TgaHeader {
  uint8_t id_length = 0;
  uint8_t colour_map_type = 0;
  uint8_t image_type = 0;
  uint16_t map_length = 0;
  uint8_t map_entry_bits = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t depth = 0;
  uint8_t descriptor = 0;
};

bool read_header(ByteReader& in, TgaHeader& header) {
  uint16_t ignored = 0;
  return in.u8(header.id_length) && in.u8(header.colour_map_type) && in.u8(header.image_type) &&
         in.u16le(ignored) && in.u16le(header.map_length) && in.u8(header.map_entry_bits) &&
         in.u16le(ignored) && in.u16le(ignored) && in.u16le(header.width) &&
         in.u16le(header.height) && in.u8(header.depth) && in.u8(header.descriptor);
}

bool known_type(uint8_t type) { return (type >= 1 && type <= 3) || (type >= 9 && type <= 11); }
bool known_depth(uint8_t depth) {
  return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}
bool run_length(const TgaHeader& header) { return header.image_type >= 9; }
bool true_colour_type(const TgaHeader& header) { return header.image_type == 2 || header.image_type == 10; }
bool colour_mapped_type(const TgaHeader& header) { return header.image_type == 1 || header.image_type == 9; }
bool grey_type(const TgaHeader& header) { return header.image_type == 3 || header.image_type == 11; }
bool has_colour_map(const TgaHeader& header) { return header.colour_map_type == 1 && header.map_length > 0; }
// Four bits of the descriptor count the alpha bits; a depth-32 file keeps its
// fourth byte only when they say 8 or more.
bool keeps_alpha(const TgaHeader& header) { return (header.descriptor & 0x0F) >= 8; }
bool top_to_bottom(const TgaHeader& header) { return (header.descriptor & 0x20) != 0; }
bool right_to_left(const TgaHeader& header) { return (header.descriptor & 0x10) != 0; }

// The colour map, when present, takes this many bytes after the image ID.
size_t colour_map_bytes(const TgaHeader& header) {
  if (header.colour_map_type != 1) return 0;
  return static_cast<size_t>(header.map_length) * ((header.map_entry_bits + 7) / 8);
}

uint8_t record_depth(const TgaHeader& header) {
  if (header.depth == 15) return 16;
  if (header.depth == 32 && !keeps_alpha(header)) return 24;
  return header.depth;
}

bool decodable_map(const TgaHeader& header) {
  const uint8_t bits = header.map_entry_bits;
  return has_colour_map(header) && (bits == 15 || bits == 16 || bits == 24 || bits == 32);
}

// Header checks, in the order that decides which code a bad header gets.
// Only 8-bit indices into a decodable colour map, 8-bit grey levels and
// true-colour pixels of 15 bits or more are read; any other combination is
// refused rather than shown with the wrong colours.
ImageLibraryError check_header(const TgaHeader& header) {
  if (header.image_type == 0) return UnsupportedOption;
  if (!known_depth(header.depth)) return UnsupportedOption;
  if (!known_type(header.image_type)) return UnsupportedOption;
  if (header.map_length > 256) return UnsupportedOption;
  if (colour_mapped_type(header) && (header.depth != 8 || !decodable_map(header))) return UnsupportedOption;
  if (grey_type(header) && header.depth != 8) return UnsupportedOption;
  if (true_colour_type(header) && header.depth == 8) return UnsupportedOption;
  return NoError;
}

// The fewest file bytes that can hold the pixel data: every pixel stored for
// uncompressed files, one packet per 128 pixels for run-length files.
uint64_t least_pixel_bytes(const TgaHeader& header, uint64_t pixel_count) {
  const uint64_t file_pixel = (header.depth + 7) / 8;
  if (!run_length(header)) return pixel_count * file_pixel;
  return (pixel_count + 127) / 128 * (1 + file_pixel);
}

// One colour-map entry as a palette entry (blue, green, red and a fourth
// byte). Colour-map entries keep their bytes in the order of pixels: blue,
// green, red (and alpha, kept in a 4-byte palette entry).
void decode_map_entry(const uint8_t* in, uint8_t entry_bits, uint8_t* out, uint8_t out_size) {
  if (entry_bits == 15 || entry_bits == 16) {
    const unsigned value = in[0] | (in[1] << 8);
    out[0] = static_cast<uint8_t>((value & 0x1F) << 3);
    out[1] = static_cast<uint8_t>((value & 0x3E0) >> 2);
    out[2] = static_cast<uint8_t>((value & 0x7C00) >> 7);
  } else {
    const int kept = entry_bits == 32 ? out_size : 3;
    std::memcpy(out, in, static_cast<size_t>(kept));
  }
}

// The one fully transparent entry of a 32-bit colour map whose other entries
// are opaque, or -1.
int16_t transparent_entry(std::span<const uint8_t> map, size_t count) {
  int16_t found = -1;
  for (size_t j = 0; j < count; ++j) {
    const uint8_t alpha = map[j * 4 + 3];
    if (alpha == 255) continue;
    if (alpha != 0 || found >= 0) return -1;
    found = static_cast<int16_t>(j);
  }
  return found;
}

// Fills the palette of a colour-mapped file from its colour map, and that of
// a grey file with a grey ramp.
void fill_palette(const TgaHeader& header, std::span<const uint8_t> map, ImageRecord& image) {
  if (!image.has_palette()) return;
  if (colour_mapped_type(header)) {
    const size_t entry_bytes = (header.map_entry_bits + 7) / 8;
    for (size_t j = 0; j < image.palette_count; ++j) {
      decode_map_entry(map.data() + j * entry_bytes, header.map_entry_bits,
                       image.palette.data() + j * image.palette_entry_size, image.palette_entry_size);
    }
    if (header.map_entry_bits == 32) image.transparent_index = transparent_entry(map, image.palette_count);
    return;
  }
  const unsigned step = 256 / image.palette_count;
  for (size_t j = 0; j < image.palette_count; ++j) {
    std::memset(image.palette.data() + j * image.palette_entry_size, static_cast<int>(j * step), 3);
  }
}

// Copies count pixels from the file into out, keeping the first out_bytes of
// every file pixel of file_bytes.
bool copy_pixels(ByteReader& in, uint8_t* out, size_t count, size_t file_bytes, size_t out_bytes) {
  if (file_bytes == out_bytes) return in.bytes(out, count * out_bytes);
  for (size_t i = 0; i < count; ++i) {
    const auto pixel = in.view(file_bytes);
    if (pixel.empty()) return false;
    std::memcpy(out + i * out_bytes, pixel.data(), out_bytes);
  }
  return true;
}

// Decodes run-length packets until pixels holds count pixels. Packets may
// cross row ends; a packet running past the last pixel is refused.
ImageLibraryError decode_packets(ByteReader& in, uint8_t* pixels, size_t count, size_t file_bytes,
                                 size_t out_bytes) {
  size_t done = 0;
  while (done < count) {
    uint8_t packet = 0;
    if (!in.u8(packet)) return ReadError;
    const size_t length = (packet & 0x7F) + 1u;
    if (length > count - done) return UnsupportedOption;
    uint8_t* out = pixels + done * out_bytes;
    if (packet & 0x80) {
      if (!copy_pixels(in, out, 1, file_bytes, out_bytes)) return ReadError;
      for (size_t i = 1; i < length; ++i) std::memcpy(out + i * out_bytes, out, out_bytes);
    } else if (!copy_pixels(in, out, length, file_bytes, out_bytes)) {
      return ReadError;
    }
    done += length;
  }
  return NoError;
}

// Places file row j (first in the file = 0) into the bottom-up record,
// following the header's row and column order.
void place_rows(const TgaHeader& header, const std::vector<uint8_t>& decoded, ImageRecord& image) {
  const size_t pixel_bytes = image.bits_per_pixel / 8;
  const size_t row_bytes = pixel_bytes * image.width;
  for (uint32_t j = 0; j < image.height; ++j) {
    const uint8_t* source = decoded.data() + j * row_bytes;
    uint8_t* target = image.row(top_to_bottom(header) ? image.height - 1 - j : j);
    if (!right_to_left(header)) {
      std::memcpy(target, source, row_bytes);
      continue;
    }
    for (uint32_t k = 0; k < image.width; ++k) {
      std::memcpy(target + (image.width - 1 - k) * pixel_bytes, source + k * pixel_bytes, pixel_bytes);
    }
  }
}

ImageLibraryError decode_tga(std::span<const uint8_t> file, ImageRecord& image) {
  ByteReader in(file);
  TgaHeader header;
  if (!read_header(in, header)) return ReadError;
  if (const auto code = check_header(header)) return code;
  if (!in.skip(header.id_length)) return ReadError;
  const auto map = in.view(colour_map_bytes(header));
  if (map.size() != colour_map_bytes(header)) return ReadError;

  const uint64_t pixel_count = uint64_t{header.width} * header.height;
  if (pixel_count == 0 || above_pixel_limit(image, header.width, header.height)) return BadImageSize;
  if (least_pixel_bytes(header, pixel_count) > in.remaining()) return ReadError;

  image.width = header.width;
  image.height = header.height;
  image.bits_per_pixel = record_depth(header);
  image.palette_count = colour_mapped_type(header) ? header.map_length : 0;
  if (const auto code = image_allocate(image)) return code;
  fill_palette(header, map, image);

  const size_t file_bytes = (header.depth + 7) / 8;
  const size_t out_bytes = image.bits_per_pixel / 8;
  std::vector<uint8_t> decoded(static_cast<size_t>(pixel_count) * out_bytes);
  if (run_length(header)) {
    if (const auto code = decode_packets(in, decoded.data(), pixel_count, file_bytes, out_bytes)) return code;
  } else if (!copy_pixels(in, decoded.data(), pixel_count, file_bytes, out_bytes)) {
    return ReadError;
  }
  place_rows(header, decoded, image);
  return NoError;
}

}  // namespace

ImageLibraryError read_tga(const std::string& filename, ImageRecord& image) {
  return read_whole_file_with(filename, image, decode_tga);
}
