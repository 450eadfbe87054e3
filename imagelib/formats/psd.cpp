// Photoshop documents (big-endian): the merged image after the header, the
// colour-mode data, the image resources and the layer information; channel
// after channel, raw or PackBits-compressed. RGB of 3 or 4 channels becomes a
// 24-bit or 32-bit record; greyscale, indexed and duotone pictures an 8-bit
// record with a palette, from their first channel.
#include "imagelib/formats/psd.h"

#include <array>
#include <cstring>
#include <vector>

#include "imagelib/byte_reader.h"
#include "imagelib/formats/hand_reader.h"
#include "imagelib/formats/packbits.h"

namespace {

constexpr size_t kHeaderBytes = 26;
constexpr size_t kColourTableBytes = 768;

enum ColourMode : uint16_t { kGreyscale = 1, kIndexed = 2, kRgb = 3, kDuotone = 8 };
enum Compression : uint16_t { kRaw = 0, kPackBits = 1 };

// The byte of a record pixel that RGB channels red, green, blue, alpha fill.
constexpr std::array<size_t, 4> kRgbChannelOffsets = {2, 1, 0, 3};

struct PsdHeader {
  uint16_t channels = 0;
  uint32_t height = 0;
  uint32_t width = 0;
  uint16_t depth = 0;
  uint16_t mode = 0;

  bool rgb() const { return mode == kRgb; }
  // Channels that reach the record: all of an RGB picture, else the first.
  size_t planes() const { return rgb() ? channels : 1; }
};

ImageLibraryError read_header(ByteReader& in, PsdHeader& header) {
  if (in.remaining() < kHeaderBytes) return ReadError;
  const auto signature = in.view(4);
  uint16_t version = 0;
  in.u16be(version);
  in.skip(6);
  in.u16be(header.channels);
  in.u32be(header.height);
  in.u32be(header.width);
  in.u16be(header.depth);
  in.u16be(header.mode);
  if (std::memcmp(signature.data(), "8BPS", 4) != 0 || version != 1) return CorruptData;
  const bool known_mode = header.mode == kGreyscale || header.mode == kIndexed || header.mode == kRgb ||
                          header.mode == kDuotone;
  if (!known_mode || header.depth != 8 || header.channels == 0 || header.channels > 4) return UnsupportedOption;
  if (header.rgb() && header.channels < 3) return UnsupportedOption;
  return NoError;
}

// A length-prefixed section; false when the file is shorter than it says.
bool read_section(ByteReader& in, std::span<const uint8_t>& section) {
  uint32_t length = 0;
  if (!in.u32be(length)) return false;
  section = in.view(length);
  return section.size() == length;
}

// Where a channel's bytes go in a record pixel, and how far apart pixels are.
struct PlaneTarget {
  size_t offset;
  size_t step;
};

PlaneTarget plane_target(const PsdHeader& header, const ImageRecord& image, size_t channel) {
  return {header.rgb() ? kRgbChannelOffsets[channel] : 0, size_t{image.bits_per_pixel} / 8};
}

// Places a row of width channel bytes into the record row that holds file
// row r (the file stores rows from the top).
void place_row(ImageRecord& image, uint32_t r, const uint8_t* bytes, PlaneTarget target) {
  uint8_t* pixel = image.row(image.height - 1 - r) + target.offset;
  for (uint32_t x = 0; x < image.width; ++x) pixel[x * target.step] = bytes[x];
}

// An uncompressed plane: height rows of width bytes. The caller has checked
// that the file holds them.
void read_psd_plane(ByteReader& in, ImageRecord& image, PlaneTarget target) {
  for (uint32_t r = 0; r < image.height; ++r) place_row(image, r, in.view(image.width).data(), target);
}

// A PackBits row that must use exactly count bytes; work holds width bytes.
ImageLibraryError decode_psd_rle_row(ByteReader& in, ImageRecord& image, PlaneTarget target, uint16_t count,
                                     uint32_t r, std::vector<uint8_t>& work) {
  ByteReader packed(in.view(count));
  if (decode_packbits_row(packed, work.data(), work.size(), LiteralOverrun::DropExcess) != PackBitsResult::Filled ||
      !packed.at_end()) {
    return CorruptData;
  }
  place_row(image, r, work.data(), target);
  return NoError;
}

// counts holds one byte count per row of every plane that is decoded.
ImageLibraryError decode_packbits_planes(ByteReader& in, const PsdHeader& header, const std::vector<uint16_t>& counts,
                                         ImageRecord& image) {
  std::vector<uint8_t> work(header.width);
  for (size_t c = 0; c < header.planes(); ++c) {
    for (uint32_t r = 0; r < header.height; ++r) {
      const auto code = decode_psd_rle_row(in, image, plane_target(header, image, c), counts[c * header.height + r],
                                           r, work);
      if (code != NoError) return code;
    }
  }
  return NoError;
}

// Reads the row byte counts of the decoded planes and checks that the file
// holds the rows they describe. The table lists every channel's rows.
ImageLibraryError read_row_counts(ByteReader& in, const PsdHeader& header, std::vector<uint16_t>& counts) {
  const uint64_t table_bytes = uint64_t{header.channels} * header.height * 2;
  if (in.remaining() < table_bytes) return ReadError;
  ByteReader table(in.view(table_bytes));
  counts.resize(header.planes() * header.height);
  uint64_t total = 0;
  for (auto& count : counts) {
    table.u16be(count);
    if (count < packbits_min_row_bytes(header.width)) return CorruptData;
    total += count;
  }
  return total <= in.remaining() ? NoError : ReadError;
}

void fill_palette(const PsdHeader& header, std::span<const uint8_t> colour_data, ImageRecord& image) {
  for (size_t i = 0; i < 256; ++i) {
    uint8_t* entry = image.palette.data() + i * image.palette_entry_size;
    if (header.mode == kIndexed) {
      // The table holds 256 reds, then 256 greens, then 256 blues.
      if (colour_data.empty()) continue;
      entry[0] = colour_data[512 + i];
      entry[1] = colour_data[256 + i];
      entry[2] = colour_data[i];
    } else {
      entry[0] = entry[1] = entry[2] = static_cast<uint8_t>(i);
    }
  }
}

ImageLibraryError decode_psd(std::span<const uint8_t> file, ImageRecord& image) {
  ByteReader in(file);
  PsdHeader header;
  if (const auto code = read_header(in, header); code != NoError) return code;
  if (const auto code = check_picture_size(image, header.width, header.height); code != NoError) return code;

  std::span<const uint8_t> colour_data, skipped;
  if (!read_section(in, colour_data)) return ReadError;
  if (!colour_data.empty()) {
    if (header.mode == kIndexed && colour_data.size() < kColourTableBytes) return CorruptData;
    if (header.mode != kIndexed && header.mode != kDuotone) return UnsupportedOption;
  }
  if (!read_section(in, skipped) || !read_section(in, skipped)) return ReadError;  // resources, layers
  uint16_t compression = 0;
  if (!in.u16be(compression)) return ReadError;
  if (compression != kRaw && compression != kPackBits) return UnsupportedOption;

  // Refuse what the file cannot hold before allocating.
  std::vector<uint16_t> counts;
  if (compression == kRaw) {
    if (in.remaining() < uint64_t{header.planes()} * header.width * header.height) return ReadError;
  } else if (const auto code = read_row_counts(in, header, counts); code != NoError) {
    return code;
  }

  image.width = header.width;
  image.height = header.height;
  image.bits_per_pixel = static_cast<uint8_t>(header.rgb() ? header.channels * 8 : 8);
  image.palette_count = header.rgb() ? 0 : 256;
  if (const auto code = image_allocate(image); code != NoError) return code;
  if (!header.rgb()) fill_palette(header, colour_data, image);
  if (compression == kPackBits) return decode_packbits_planes(in, header, counts, image);
  for (size_t c = 0; c < header.planes(); ++c) read_psd_plane(in, image, plane_target(header, image, c));
  return NoError;
}

}  // namespace

ImageLibraryError read_psd(const std::string& filename, ImageRecord& image) {
  return read_whole_file_with(filename, image, decode_psd);
}
