// SGI image reading: one to four planes of one byte per sample, stored
// verbatim or run-length encoded per row and channel. Planes are red, green,
// blue and alpha (or grey, or grey and alpha); rows run bottom row first,
// like the record's. The writer is in sgi_write.cpp.
#include "imagelib/formats/sgi.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "imagelib/byte_reader.h"
#include "imagelib/formats/hand_reader.h"
#include "imagelib/record_checks.h"

namespace {

constexpr size_t kHeaderSize = 512;
constexpr uint16_t kMagic = 474;

struct SgiHeader {
  uint16_t magic = 0;
  uint8_t storage = 0;
  uint8_t bytes_per_channel = 0;
  uint16_t dimension = 0;
  uint16_t x_size = 0;
  uint16_t y_size = 0;
  uint16_t z_size = 0;
  uint32_t colour_map_id = 0;
};

bool read_header(ByteReader& in, SgiHeader& header) {
  if (in.size() < kHeaderSize) return false;
  return in.u16be(header.magic) && in.u8(header.storage) && in.u8(header.bytes_per_channel) &&
         in.u16be(header.dimension) && in.u16be(header.x_size) && in.u16be(header.y_size) &&
         in.u16be(header.z_size) && in.seek(104) && in.u32be(header.colour_map_id) && in.seek(kHeaderSize);
}

ImageLibraryError check_header(const SgiHeader& header) {
  if (header.magic != kMagic) return UnsupportedOption;
  if (static_cast<int32_t>(header.colour_map_id) > 0) return UnsupportedOption;
  // Only one byte per sample is decoded; the dimension says whether there is
  // one row (1), one plane (2) or several planes (3).
  if (header.bytes_per_channel != 1) return UnsupportedOption;
  if (header.dimension < 1 || header.dimension > 3) return UnsupportedOption;
  if (header.storage > 1) return UnsupportedOption;
  return NoError;
}

// The pixel byte each channel goes to. Grey plus alpha becomes a 32-bit pixel
// whose colour bytes all carry the grey (spread_grey does the other two).
std::span<const size_t> channel_bytes(uint16_t channels) {
  static constexpr size_t kGrey[] = {0};
  static constexpr size_t kGreyAlpha[] = {0, 3};
  static constexpr size_t kColour[] = {2, 1, 0, 3};
  if (channels == 1) return kGrey;
  if (channels == 2) return kGreyAlpha;
  return std::span<const size_t>(kColour, channels);
}

void spread_grey(ImageRecord& image) {
  for (uint32_t y = 0; y < image.height; ++y) {
    uint8_t* pixel = image.row(y);
    for (uint32_t x = 0; x < image.width; ++x, pixel += 4) pixel[1] = pixel[2] = pixel[0];
  }
}

// Decodes one compressed row of one channel into every step-th byte of out.
// A packet byte c copies the next (c & 0x7F) bytes when its top bit is set,
// else repeats the next byte c times; the row ends with a 0 byte.
ImageLibraryError decode_row(std::span<const uint8_t> data, uint8_t* out, size_t step, uint32_t width) {
  size_t used = 0;
  size_t x = 0;
  while (used + 1 < data.size()) {
    const uint8_t packet = data[used++];
    const size_t count = packet & 0x7F;
    if (count > width - x) return CorruptFile;
    if (packet & 0x80) {
      if (count > data.size() - used) return CorruptFile;
      for (size_t i = 0; i < count; ++i) out[(x + i) * step] = data[used + i];
      used += count;
    } else {
      const uint8_t value = data[used++];
      for (size_t i = 0; i < count; ++i) out[(x + i) * step] = value;
    }
    x += count;
  }
  if (used + 1 != data.size() || x != width) return CorruptFile;
  if (data[used] != 0) return UnsupportedOption;
  return NoError;
}

ImageLibraryError decode_run_length(std::span<const uint8_t> file, const SgiHeader& header,
                                    uint32_t table_rows, ImageRecord& image) {
  const size_t entries = static_cast<size_t>(table_rows) * header.z_size;
  ByteReader offsets(file.subspan(kHeaderSize, entries * 4));
  ByteReader lengths(file.subspan(kHeaderSize + entries * 4, entries * 4));
  const auto targets = channel_bytes(header.z_size);
  const size_t step = image.bits_per_pixel / 8;
  for (size_t z = 0; z < header.z_size; ++z) {
    for (uint32_t y = 0; y < image.height; ++y) {
      const size_t entry = y + z * table_rows;
      uint32_t offset = 0;
      uint32_t length = 0;
      if (!offsets.seek(entry * 4) || !offsets.u32be(offset)) return ReadError;
      if (!lengths.seek(entry * 4) || !lengths.u32be(length)) return ReadError;
      if (offset > file.size() || length > file.size() - offset) return ReadError;
      if (length == 0) return CorruptFile;
      if (const auto code = decode_row(file.subspan(offset, length), image.row(y) + targets[z], step, image.width)) {
        return code;
      }
    }
  }
  return NoError;
}

// Verbatim planes follow the header: plane z, row y starts at
// (z x height + y) x width.
void copy_verbatim(std::span<const uint8_t> data, uint16_t channels, ImageRecord& image) {
  const auto targets = channel_bytes(channels);
  const size_t step = image.bits_per_pixel / 8;
  const uint8_t* in = data.data();
  for (size_t z = 0; z < channels; ++z) {
    for (uint32_t y = 0; y < image.height; ++y) {
      uint8_t* out = image.row(y) + targets[z];
      for (uint32_t x = 0; x < image.width; ++x) out[x * step] = *in++;
    }
  }
}

ImageLibraryError decode_sgi(std::span<const uint8_t> file, ImageRecord& image) {
  ByteReader in(file);
  SgiHeader header;
  if (!read_header(in, header)) return ReadError;
  if (const auto code = check_header(header)) return code;

  const uint32_t height = header.dimension == 1 ? 1 : header.y_size;
  const uint64_t pixel_count = uint64_t{header.x_size} * height;
  if (pixel_count == 0 || above_pixel_limit(image, header.x_size, height)) return BadImageSize;
  if (header.z_size == 0 || header.z_size > 4) return BadBitsPerPixel;
  // Run-length files hold two tables of 4-byte entries per row and channel;
  // verbatim files hold every sample.
  const uint32_t table_rows = std::max<uint32_t>(header.y_size, height);
  const uint64_t needed = header.storage != 0 ? uint64_t{8} * table_rows * header.z_size : pixel_count * header.z_size;
  if (needed > in.remaining()) return ReadError;

  image.width = header.x_size;
  image.height = height;
  image.bits_per_pixel = static_cast<uint8_t>(header.z_size == 2 ? 32 : 8 * header.z_size);
  image.palette_count = 0;
  if (const auto code = image_allocate(image)) return code;
  if (header.storage != 0) {
    if (const auto code = decode_run_length(file, header, table_rows, image)) return code;
  } else {
    copy_verbatim(file.subspan(kHeaderSize), header.z_size, image);
  }
  if (header.z_size == 2) spread_grey(image);
  for (size_t j = 0; j < image.palette_count; ++j) {
    std::memset(image.palette.data() + j * image.palette_entry_size, static_cast<int>(j), 3);
  }
  return NoError;
}

}  // namespace

ImageLibraryError read_rgb(const std::string& filename, ImageRecord& image) {
  return read_whole_file_with(filename, image, decode_sgi);
}
