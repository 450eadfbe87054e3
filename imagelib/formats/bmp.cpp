// Uncompressed Windows bitmap files. The record keeps rows bottom-up with
// blue-green-red pixels and palette entries, as the file does, so rows and
// colour tables are copied without per-pixel conversion.
#include "imagelib/formats/bmp.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "imagelib/byte_reader.h"
#include "imagelib/formats/hand_reader.h"
#include "imagelib/file_io.h"
#include "imagelib/record_checks.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

struct BmpHeader {
  uint16_t signature = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bits = 0;
  uint32_t compression = 0;
  uint32_t colours_used = 0;
};

bool valid_depth(uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

ImageLibraryError read_headers(ByteReader& reader, BmpHeader& header) {
  ByteReader file_header(reader.view(kFileHeaderSize));
  if (!file_header.u16le(header.signature)) return ReadError;
  if (header.signature != 0x4D42) return UnsupportedOption;
  ByteReader info(reader.view(kInfoHeaderSize));
  uint32_t width = 0, height = 0;
  uint16_t planes = 0;
  if (!info.skip(4) || !info.u32le(width) || !info.u32le(height) || !info.u16le(planes) ||
      !info.u16le(header.bits) || !info.u32le(header.compression) || !info.skip(12) ||
      !info.u32le(header.colours_used)) {
    return ReadError;
  }
  header.width = static_cast<int32_t>(width);
  header.height = static_cast<int32_t>(height);
  if (header.compression != 0) return UnsupportedOption;
  return NoError;
}

// Sets the record's fields from the header and checks, before anything is
// allocated, that the size is acceptable and the file holds the colour
// table and every row.
ImageLibraryError size_record(const BmpHeader& header, size_t available, ImageRecord& image, uint64_t& file_row) {
  image.width = static_cast<uint32_t>(header.width);
  image.height = static_cast<uint32_t>(std::abs(static_cast<int64_t>(header.height)));
  image.bits_per_pixel = static_cast<uint8_t>(header.bits);
  if (image.bits_per_pixel <= 8) {
    image.palette_count = static_cast<uint16_t>(header.colours_used);
    image.palette_entry_size = 4;
  }
  if (image.width == 0 || image.height == 0) return BadImageSize;
  if (!valid_depth(image.bits_per_pixel)) return BadBitsPerPixel;
  if (above_pixel_limit(image, image.width, image.height)) return BadImageSize;
  file_row = row_bytes(image.bits_per_pixel, image.width, true);
  uint64_t palette_bytes = 0;
  if (image.bits_per_pixel <= 8) {
    const uint32_t entries = image.palette_count == 0 ? 1u << image.bits_per_pixel : image.palette_count;
    palette_bytes = uint64_t{entries} * 4;
  }
  if (palette_bytes + file_row * image.height > available) return ReadError;
  return NoError;
}

ImageLibraryError read_bmp_bytes(std::span<const uint8_t> bytes, ImageRecord& image) {
  ByteReader reader(bytes);
  BmpHeader header;
  if (const ImageLibraryError code = read_headers(reader, header); code != NoError) return code;
  uint64_t file_row = 0;
  if (const ImageLibraryError code = size_record(header, reader.remaining(), image, file_row); code != NoError) {
    return code;
  }
  if (const ImageLibraryError code = image_allocate(image); code != NoError) return code;
  if (!reader.bytes(image.palette.data(), image.palette.size())) return ReadError;
  const bool top_down = header.height < 0;
  for (uint32_t y = 0; y < image.height; ++y) {
    std::span<const uint8_t> row = reader.view(static_cast<size_t>(file_row));
    if (row.empty()) return ReadError;
    const uint32_t target = top_down ? image.height - 1 - y : y;
    std::copy_n(row.begin(), std::min<size_t>(image.row_stride, row.size()), image.row(target));
  }
  return NoError;
}

void put_u16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void put_u32(std::vector<uint8_t>& out, uint32_t value) {
  put_u16(out, value & 0xFFFF);
  put_u16(out, value >> 16);
}

// File header, information header and colour table.
std::vector<uint8_t> file_prologue(const ImageRecord& image, uint32_t depth, uint32_t image_size) {
  const uint32_t entries = image.has_palette() ? image.palette_count : 0;
  const uint32_t offset = 54 + 4 * entries;
  std::vector<uint8_t> out;
  out.reserve(offset);
  put_u16(out, 0x4D42);
  put_u32(out, offset + image_size);
  put_u32(out, 0);
  put_u32(out, offset);
  put_u32(out, 40);
  put_u32(out, image.width);
  put_u32(out, image.height);
  put_u16(out, 1);
  put_u16(out, depth);
  put_u32(out, 0);
  put_u32(out, image_size);
  put_u32(out, 0);
  put_u32(out, 0);
  put_u32(out, entries);
  put_u32(out, entries);
  for (uint32_t i = 0; i < entries; ++i) {
    const uint8_t* entry = palette_entry(image, i);
    for (int c = 0; c < 3; ++c) out.push_back(entry ? entry[c] : 0);
    out.push_back(0);
  }
  return out;
}

// One file row of the record's row y: the record's bytes, or for 32 bits the
// first three bytes of each pixel; the rest stays 0.
void fill_file_row(const ImageRecord& image, uint32_t y, std::vector<uint8_t>& row) {
  std::fill(row.begin(), row.end(), 0);
  const uint8_t* source = image.row(y);
  if (image.bits_per_pixel != 32) {
    std::copy_n(source, std::min<size_t>(image.row_stride, row.size()), row.begin());
    return;
  }
  for (uint32_t x = 0; x < image.width; ++x) std::copy_n(source + 4 * x, 3, row.begin() + 3 * x);
}

ImageLibraryError write_bmp_file(const std::string& filename, const ImageRecord& image) {
  if (image.pixels.empty()) return BadImagePointer;
  if (!image_buffers_consistent(image)) return BadImagePointer;
  if (!valid_depth(image.bits_per_pixel)) return BadBitsPerPixel;
  const uint32_t depth = image.bits_per_pixel == 32 ? 24 : image.bits_per_pixel;
  const uint64_t file_row = row_bytes(depth, image.width, true);
  const uint64_t image_size = file_row * image.height;
  if (image.width > INT32_MAX || image.height > INT32_MAX || image_size + 54 + 4 * 65536 > UINT32_MAX) {
    return BadImageSize;
  }
  OutputFile out(filename);
  if (!out.open()) return CannotOpenFile;
  const std::vector<uint8_t> prologue = file_prologue(image, depth, static_cast<uint32_t>(image_size));
  if (std::fwrite(prologue.data(), 1, prologue.size(), out.stream()) != prologue.size()) return WriteError;
  std::vector<uint8_t> row(static_cast<size_t>(file_row));
  for (uint32_t y = 0; y < image.height; ++y) {
    fill_file_row(image, y, row);
    if (std::fwrite(row.data(), 1, row.size(), out.stream()) != row.size()) return WriteError;
  }
  return out.commit() ? NoError : WriteError;
}

}  // namespace

ImageLibraryError read_bmp(const std::string& filename, ImageRecord& image) {
  return read_whole_file_with(filename, image, read_bmp_bytes);
}

ImageLibraryError write_bmp(const std::string& filename, const ImageRecord& image) {
  set_last_error(NoError);
  ImageLibraryError code = NoError;
  try {
    code = write_bmp_file(filename, image);
  } catch (const std::bad_alloc&) {
    code = OutOfMemory;
  }
  return code == NoError ? NoError : set_last_error(code);
}
