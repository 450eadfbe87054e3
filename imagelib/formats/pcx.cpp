// PCX reading. Each scan line holds every plane of one row, bytes per line
// bytes per plane, run-length encoded or stored. One plane of 1, 4 or 8 bits
// is read as it stands; three or four 8-bit planes (red, green, blue and
// alpha) become 24- or 32-bit pixels; two to four 1-bit planes become 4-bit
// indices, plane p giving bit p.
#include "imagelib/formats/pcx.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "imagelib/byte_reader.h"
#include "imagelib/formats/hand_reader.h"
#include "imagelib/record_checks.h"

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kTableSize = 769;  // the marker byte 12 and 256 colours

struct PcxHeader {
  uint8_t manufacturer = 0;
  uint8_t version = 0;
  uint8_t encoding = 0;
  uint8_t bits = 0;
  uint16_t x_min = 0;
  uint16_t y_min = 0;
  uint16_t x_max = 0;
  uint16_t y_max = 0;
  std::span<const uint8_t> colours;  // 16 red, green, blue triples
  uint8_t planes = 0;
  uint16_t bytes_per_line = 0;
  uint16_t palette_info = 0;
};

bool read_header(ByteReader& in, PcxHeader& header) {
  ByteReader fields(in.view(kHeaderSize));
  if (fields.size() != kHeaderSize) return false;
  fields.u8(header.manufacturer);
  fields.u8(header.version);
  fields.u8(header.encoding);
  fields.u8(header.bits);
  fields.u16le(header.x_min);
  fields.u16le(header.y_min);
  fields.u16le(header.x_max);
  fields.u16le(header.y_max);
  fields.skip(4);
  header.colours = fields.view(48);
  fields.skip(1);
  fields.u8(header.planes);
  fields.u16le(header.bytes_per_line);
  return fields.u16le(header.palette_info);
}

// The record depth of the header's plane layout, or 0 when it has none.
uint8_t record_depth(const PcxHeader& header) {
  if (header.planes == 1 && (header.bits == 1 || header.bits == 4 || header.bits == 8)) return header.bits;
  if (header.bits == 8 && (header.planes == 3 || header.planes == 4)) return 8 * header.planes;
  if (header.bits == 1 && header.planes >= 2 && header.planes <= 4) return 4;
  return 0;
}

bool run_length(const PcxHeader& header) { return header.encoding == 1; }

// The fewest file bytes that can hold the scan lines: a run codes at most 63.
uint64_t least_data_bytes(const PcxHeader& header, uint32_t height) {
  const uint64_t line = uint64_t{header.planes} * header.bytes_per_line;
  return height * (run_length(header) ? (line + 62) / 63 : line);
}

void set_entry(ImageRecord& image, size_t j, uint8_t red, uint8_t green, uint8_t blue) {
  uint8_t* entry = image.palette.data() + j * image.palette_entry_size;
  entry[0] = blue;
  entry[1] = green;
  entry[2] = red;
}

// The 256-colour table at the end of a version-5 file of one 8-bit plane.
ImageLibraryError read_colour_table(std::span<const uint8_t> file, ImageRecord& image) {
  if (file.size() < kTableSize) return ReadError;
  const uint8_t* table = file.data() + file.size() - kTableSize;
  if (table[0] != 12) return UnsupportedOption;
  const size_t count = std::min<size_t>(image.palette_count, 256);
  for (size_t j = 0; j < count; ++j) set_entry(image, j, table[1 + 3 * j], table[2 + 3 * j], table[3 + 3 * j]);
  return NoError;
}

// True when a 256-colour table marked by the byte 12 follows the scan lines,
// which end at data_end.
bool has_colour_table(std::span<const uint8_t> file, size_t data_end) {
  return file.size() >= kTableSize && file.size() - kTableSize >= data_end && file[file.size() - kTableSize] == 12;
}

void fill_grey_ramp(ImageRecord& image) {
  for (size_t j = 0; j < image.palette_count; ++j) {
    const auto level = static_cast<uint8_t>(j);
    set_entry(image, j, level, level, level);
  }
}

// data_end is where the scan lines end. Version 5 files of one 8-bit plane
// must carry the 256-colour table; older ones without it hold grey levels.
ImageLibraryError fill_palette(std::span<const uint8_t> file, size_t data_end, const PcxHeader& header,
                               ImageRecord& image) {
  if (header.bits == 8) {
    if (header.planes != 1) return NoError;
    if (header.version == 5 || has_colour_table(file, data_end)) return read_colour_table(file, image);
    if (header.version < 5) fill_grey_ramp(image);
    return NoError;
  }
  if (header.bits == 1 && header.planes == 1 && header.palette_info == 0) {
    set_entry(image, 0, 0, 0, 0);
    set_entry(image, 1, 255, 255, 255);
    return NoError;
  }
  const size_t count = std::min<size_t>(image.palette_count, 16);
  for (size_t j = 0; j < count; ++j) {
    set_entry(image, j, header.colours[3 * j], header.colours[3 * j + 1], header.colours[3 * j + 2]);
  }
  return NoError;
}

// Decodes one scan line. A byte with both top bits set counts (its low six
// bits) how often the next byte repeats; any other byte stands for itself. A
// run reaching past the line's end is cut there.
bool decode_line(ByteReader& in, bool encoded, std::vector<uint8_t>& line) {
  if (!encoded) return in.bytes(line.data(), line.size());
  size_t filled = 0;
  while (filled < line.size()) {
    uint8_t value = 0;
    if (!in.u8(value)) return false;
    size_t count = 1;
    if ((value & 0xC0) == 0xC0) {
      count = value & 0x3F;
      if (!in.u8(value)) return false;
    }
    count = std::min(count, line.size() - filled);
    std::memset(line.data() + filled, value, count);
    filled += count;
  }
  return true;
}

// Turns one decoded scan line into one record row.
void place_line(const PcxHeader& header, const std::vector<uint8_t>& line, ImageRecord& image, uint8_t* row) {
  const size_t plane_bytes = header.bytes_per_line;
  if (header.planes == 1) {
    std::memcpy(row, line.data(), (size_t{header.bits} * image.width + 7) / 8);
  } else if (header.bits == 8) {
    for (size_t p = 0; p < header.planes; ++p) {
      const size_t target = p < 3 ? 2 - p : 3;
      for (uint32_t x = 0; x < image.width; ++x) row[x * header.planes + target] = line[p * plane_bytes + x];
    }
  } else {
    for (uint32_t x = 0; x < image.width; ++x) {
      unsigned index = 0;
      for (size_t p = 0; p < header.planes; ++p) {
        index |= ((line[p * plane_bytes + x / 8] >> (7 - x % 8)) & 1u) << p;
      }
      row[x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
  }
}

ImageLibraryError decode_pcx(std::span<const uint8_t> file, ImageRecord& image) {
  ByteReader in(file);
  PcxHeader header;
  if (!read_header(in, header)) return ReadError;
  if (header.manufacturer != 10) return UnsupportedOption;
  if (header.x_max < header.x_min || header.y_max < header.y_min) return BadImageSize;
  const uint32_t width = header.x_max - header.x_min + 1u;
  const uint32_t height = header.y_max - header.y_min + 1u;
  if (above_pixel_limit(image, width, height)) return BadImageSize;
  const uint8_t depth = record_depth(header);
  if (depth == 0) return BadBitsPerPixel;
  if (header.bytes_per_line < (size_t{header.bits} * width + 7) / 8) return CorruptFile;
  if (least_data_bytes(header, height) > in.remaining()) return ReadError;

  image.width = width;
  image.height = height;
  image.bits_per_pixel = depth;
  image.palette_count = 0;
  if (const auto code = image_allocate(image)) return code;
  std::vector<uint8_t> line(size_t{header.planes} * header.bytes_per_line);
  for (uint32_t i = 0; i < height; ++i) {
    if (!decode_line(in, run_length(header), line)) return ReadError;
    place_line(header, line, image, image.row(height - 1 - i));
  }
  if (image.has_palette()) return fill_palette(file, in.position(), header, image);
  return NoError;
}

}  // namespace

ImageLibraryError read_pcx(const std::string& filename, ImageRecord& image) {
  return read_whole_file_with(filename, image, decode_pcx);
}
