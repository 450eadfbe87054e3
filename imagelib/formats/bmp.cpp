// Windows and OS/2 bitmap files, uncompressed or with bit-field masks. The
// record keeps rows bottom-up with blue-green-red pixels and palette entries,
// as the file does, so most rows and colour tables are copied as they stand;
// bit-field pixels of other layouts are decoded to 24 or 32 bits.
#include "imagelib/formats/bmp.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "imagelib/byte_reader.h"
#include "imagelib/formats/bmp_bitfields.h"
#include "imagelib/formats/hand_reader.h"
#include "imagelib/formats/resolution.h"
#include "imagelib/file_io.h"
#include "imagelib/record_checks.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;  // OS/2 1.x: 16-bit sizes, 3-byte colours
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;

struct BmpHeader {
  uint16_t signature = 0;
  uint32_t pixel_offset = 0;
  uint32_t header_size = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bits = 0;
  uint32_t compression = 0;
  uint32_t x_per_metre = 0;
  uint32_t colours_used = 0;
  BitFieldMasks masks;
  bool alpha_declared = false;  // the header carries a non-zero alpha mask
  size_t table_offset = 0;      // where the colour table starts
  size_t table_entry_size = 4;

  bool bitfields() const { return compression == kBitFields; }
};

bool valid_depth(uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool known_header_size(uint32_t size) {
  return size == kCoreHeaderSize || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool read_core_header(ByteReader& info, BmpHeader& header) {
  uint16_t width = 0, height = 0, planes = 0;
  if (!info.u16le(width) || !info.u16le(height) || !info.u16le(planes) || !info.u16le(header.bits)) return false;
  header.width = width;
  header.height = height;
  header.table_entry_size = 3;
  return true;
}

// The 40-byte layout and the masks that longer headers carry after it.
bool read_info_header(ByteReader& info, BmpHeader& header) {
  uint32_t width = 0, height = 0;
  uint16_t planes = 0;
  if (!info.u32le(width) || !info.u32le(height) || !info.u16le(planes) || !info.u16le(header.bits) ||
      !info.u32le(header.compression) || !info.skip(4) || !info.u32le(header.x_per_metre) || !info.skip(4) ||
      !info.u32le(header.colours_used) || !info.skip(4)) {
    return false;
  }
  header.width = static_cast<int32_t>(width);
  header.height = static_cast<int32_t>(height);
  if (header.header_size >= 52 &&
      !(info.u32le(header.masks.red) && info.u32le(header.masks.green) && info.u32le(header.masks.blue))) {
    return false;
  }
  if (header.header_size >= 56 && !info.u32le(header.masks.alpha)) return false;
  header.alpha_declared = header.masks.alpha != 0;
  return true;
}

// Reads the file header, the information header of any known size and, for
// a 40-byte header of a bit-field file, the three masks after it.
ImageLibraryError read_headers(ByteReader& reader, BmpHeader& header) {
  ByteReader file_header(reader.view(kFileHeaderSize));
  if (!file_header.u16le(header.signature)) return ReadError;
  if (header.signature != 0x4D42) return UnsupportedOption;
  if (!file_header.skip(8) || !file_header.u32le(header.pixel_offset)) return ReadError;
  if (!reader.u32le(header.header_size)) return ReadError;
  if (!known_header_size(header.header_size)) return UnsupportedOption;
  ByteReader info(reader.view(header.header_size - 4));
  if (info.size() != header.header_size - 4) return ReadError;
  const bool read =
      header.header_size == kCoreHeaderSize ? read_core_header(info, header) : read_info_header(info, header);
  if (!read) return ReadError;
  if (header.compression != kRgb && header.compression != kBitFields) return UnsupportedOption;
  if (header.bitfields()) {
    if (header.bits != 16 && header.bits != 32) return UnsupportedOption;
    if (header.header_size == kInfoHeaderSize &&
        !(reader.u32le(header.masks.red) && reader.u32le(header.masks.green) && reader.u32le(header.masks.blue))) {
      return ReadError;
    }
    if (!masks_usable(header.masks, header.bits)) return UnsupportedOption;
  } else {
    // Uncompressed pixels have fixed colour positions whatever masks a
    // longer header carries; only its alpha mask counts.
    const BitFieldMasks plain = default_masks(header.bits);
    header.masks = {plain.red, plain.green, plain.blue, header.bits == 32 ? header.masks.alpha : 0};
    header.alpha_declared = header.masks.alpha != 0;
  }
  header.table_offset = reader.position();
  return NoError;
}

// How the file's pixels become record pixels.
enum class PixelForm {
  Copied,        // rows as they stand: indices, 5-5-5 words, 24-bit colours
  Opaque32,      // 32-bit colours whose fourth bytes are all 0: alpha 255
  WithAlpha32,   // 32-bit colours whose fourth bytes are alpha
  Masked,        // bit-field words decoded through their masks
};

// A 32-bit file without masks whose fourth bytes are all 0 is opaque; that
// is how nearly every such file is written.
bool fourth_bytes_all_zero(std::span<const uint8_t> rows, uint64_t file_row, uint32_t width, uint32_t height) {
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = rows.data() + y * file_row;
    for (uint32_t x = 0; x < width; ++x) {
      if (row[4 * x + 3] != 0) return false;
    }
  }
  return true;
}

bool plain_colour_masks(const BmpHeader& header) {
  const BitFieldMasks plain = default_masks(header.bits);
  return header.masks.red == plain.red && header.masks.green == plain.green && header.masks.blue == plain.blue;
}

// The fourth byte of a 32-bit pixel is alpha only where a header declares an
// alpha mask or the bytes are not all 0.
PixelForm pixel_form(const BmpHeader& header, std::span<const uint8_t> rows, uint64_t file_row, uint32_t width,
                     uint32_t height) {
  if (header.bits == 16) {
    return plain_colour_masks(header) && !header.alpha_declared ? PixelForm::Copied : PixelForm::Masked;
  }
  if (header.bits != 32) return PixelForm::Copied;
  if (!plain_colour_masks(header)) return PixelForm::Masked;
  if (header.alpha_declared) return header.masks.alpha == 0xFF000000u ? PixelForm::WithAlpha32 : PixelForm::Masked;
  return fourth_bytes_all_zero(rows, file_row, width, height) ? PixelForm::Opaque32 : PixelForm::WithAlpha32;
}

uint8_t record_depth(const BmpHeader& header, PixelForm form) {
  if (form != PixelForm::Masked) return static_cast<uint8_t>(header.bits);
  return header.alpha_declared ? 32 : 24;
}

// Sets the record's fields from the header and checks, before anything is
// allocated, that the size is acceptable, the colour table lies in the file
// and the pixel rows start at the pixel offset and end within the file.
ImageLibraryError size_record(const BmpHeader& header, size_t file_size, ImageRecord& image, uint64_t& file_row) {
  image.width = static_cast<uint32_t>(header.width);
  image.height = static_cast<uint32_t>(std::abs(static_cast<int64_t>(header.height)));
  image.bits_per_pixel = static_cast<uint8_t>(header.bits);
  image.ppi = per_metre_to_ppi(header.x_per_metre);
  if (image.bits_per_pixel <= 8) {
    image.palette_count = static_cast<uint16_t>(header.colours_used);
    image.palette_entry_size = 4;
  }
  if (image.width == 0 || image.height == 0) return BadImageSize;
  if (!valid_depth(header.bits)) return BadBitsPerPixel;
  if (above_pixel_limit(image, image.width, image.height)) return BadImageSize;
  file_row = row_bytes(header.bits, image.width, true);
  if (header.bits <= 8) {
    const uint32_t entries = image.palette_count == 0 ? 1u << header.bits : image.palette_count;
    if (header.table_offset + uint64_t{entries} * header.table_entry_size > file_size) return ReadError;
  }
  if (header.pixel_offset < kFileHeaderSize + header.header_size) return CorruptFile;
  if (header.pixel_offset > file_size || file_row * image.height > file_size - header.pixel_offset) return ReadError;
  return NoError;
}

void read_colour_table(std::span<const uint8_t> bytes, const BmpHeader& header, ImageRecord& image) {
  const uint8_t* table = bytes.data() + header.table_offset;
  for (size_t j = 0; j < image.palette_count; ++j) {
    std::copy_n(table + j * header.table_entry_size, 3, image.palette.data() + j * image.palette_entry_size);
  }
}

// Record row target from one file row.
void place_row(const BmpHeader& header, PixelForm form, const uint8_t* source, ImageRecord& image, uint8_t* target) {
  switch (form) {
    case PixelForm::Copied:
      std::copy_n(source, image.row_stride, target);
      break;
    case PixelForm::Opaque32:
      std::copy_n(source, size_t{4} * image.width, target);
      for (uint32_t x = 0; x < image.width; ++x) target[4 * x + 3] = 255;
      break;
    case PixelForm::WithAlpha32:
      std::copy_n(source, size_t{4} * image.width, target);
      break;
    case PixelForm::Masked:
      decode_bitfield_pixels(source, header.bits, header.masks, image.width, target, image.bits_per_pixel / 8u);
      break;
  }
}

ImageLibraryError read_bmp_bytes(std::span<const uint8_t> bytes, ImageRecord& image) {
  ByteReader reader(bytes);
  BmpHeader header;
  if (const ImageLibraryError code = read_headers(reader, header); code != NoError) return code;
  uint64_t file_row = 0;
  if (const ImageLibraryError code = size_record(header, bytes.size(), image, file_row); code != NoError) {
    return code;
  }
  const auto rows = bytes.subspan(header.pixel_offset, static_cast<size_t>(file_row * image.height));
  const PixelForm form = pixel_form(header, rows, file_row, image.width, image.height);
  image.bits_per_pixel = record_depth(header, form);
  if (const ImageLibraryError code = image_allocate(image); code != NoError) return code;
  if (image.has_palette()) read_colour_table(bytes, header, image);
  const bool top_down = header.height < 0;
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint32_t target = top_down ? image.height - 1 - y : y;
    place_row(header, form, rows.data() + y * file_row, image, image.row(target));
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
  put_u32(out, ppi_to_per_metre(image.ppi));
  put_u32(out, ppi_to_per_metre(image.ppi));
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
