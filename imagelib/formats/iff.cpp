// IFF/ILBM files (big-endian): a FORM of chunks, of which BMHD gives the size
// and depth, CMAP the palette and BODY the pixels as interleaved bit planes,
// uncompressed or ByteRun1-compressed. Pictures of 1 to 8 planes become 8-bit
// records with a palette.
#include "imagelib/formats/iff.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "imagelib/byte_reader.h"
#include "imagelib/formats/hand_reader.h"
#include "imagelib/formats/packbits.h"

namespace {

constexpr uint32_t kBitmapHeaderBytes = 20;
constexpr uint8_t kMaskPlane = 1;          // masking: a mask plane follows the bit planes
constexpr uint8_t kTransparentColour = 2;  // masking: one palette index is transparent
constexpr uint8_t kUncompressed = 0;
constexpr uint8_t kByteRun1 = 1;
constexpr uint32_t kHoldAndModify = 0x800;  // display mode: pixels modify their left neighbour
constexpr uint32_t kExtraHalfBrite = 0x80;  // display mode: indices 32-63 are 0-31 at half brightness

bool is_id(std::span<const uint8_t> id, const char* text) { return std::memcmp(id.data(), text, 4) == 0; }

struct BitmapHeader {
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t planes = 0;
  uint8_t masking = 0;
  uint8_t compression = 0;
  uint16_t transparent_colour = 0;

  // Each plane row is padded to a whole number of 16-bit words.
  size_t plane_row_bytes() const { return (size_t{width} + 15) / 16 * 2; }
  size_t stored_planes() const { return planes + (masking == kMaskPlane ? 1 : 0); }
};

class IlbmFile {
 public:
  IlbmFile(std::span<const uint8_t> file, ImageRecord& image) : in_(file), image_(image) {}

  ImageLibraryError decode() {
    const auto form = in_.view(4);
    uint32_t form_size = 0;
    if (form.empty()) return ReadError;
    if (!is_id(form, "FORM")) return CorruptData;
    if (!in_.u32be(form_size)) return ReadError;
    const auto type = in_.view(4);
    if (type.empty()) return ReadError;
    if (!is_id(type, "ILBM")) return CorruptData;

    // The form ends form_size bytes after the size field; chunks are read
    // while a chunk header fits before that end.
    const uint64_t form_end = 8 + uint64_t{form_size};
    while (in_.position() + 8 <= form_end) {
      const auto id = in_.view(4);
      uint32_t size = 0;
      if (id.empty() || !in_.u32be(size)) return ReadError;
      const auto body = in_.view(size);
      if (body.size() != size) return ReadError;
      // Chunks of odd size are followed by a pad byte.
      if (size % 2 == 1 && !in_.at_end()) in_.skip(1);
      if (const auto code = read_chunk(id, body); code != NoError) return code;
    }
    return body_done_ ? NoError : CorruptData;
  }

 private:
  ImageLibraryError read_chunk(std::span<const uint8_t> id, std::span<const uint8_t> body) {
    if (is_id(id, "BMHD")) return read_bitmap_header(ByteReader(body));
    if (is_id(id, "CMAP")) return read_colour_map(body);
    if (is_id(id, "CAMG")) return read_display_mode(ByteReader(body));
    if (is_id(id, "CRNG")) return NoError;
    if (is_id(id, "BODY")) return decode_ilbm_body(ByteReader(body));
    // Other chunks (GRAB, DPPS, ANNO, ...) carry nothing the picture needs;
    // IFF readers skip what they do not know, so real files still open.
    return NoError;
  }

  ImageLibraryError read_bitmap_header(ByteReader body) {
    if (body.size() < kBitmapHeaderBytes) return CorruptData;
    BitmapHeader header;
    body.u16be(header.width);
    body.u16be(header.height);
    body.skip(4);  // position
    body.u8(header.planes);
    body.u8(header.masking);
    body.u8(header.compression);
    body.skip(1);
    body.u16be(header.transparent_colour);
    if (header.planes < 1 || header.planes > 8) return UnsupportedOption;
    if (header.compression != kUncompressed && header.compression != kByteRun1) return UnsupportedOption;
    if (const auto code = check_picture_size(image_, header.width, header.height); code != NoError) return code;
    header_ = header;
    have_header_ = true;
    return NoError;
  }

  // Colours of red, green, blue; at most 256 are kept.
  ImageLibraryError read_colour_map(std::span<const uint8_t> body) {
    if (!have_header_) return BadImageSize;
    colour_count_ = std::min<size_t>(body.size() / 3, 256);
    std::copy_n(body.begin(), colour_count_ * 3, colours_.begin());
    have_colours_ = true;
    return NoError;
  }

  ImageLibraryError read_display_mode(ByteReader body) {
    body.u32be(display_mode_);  // a short chunk leaves the mode plain
    return NoError;
  }

  // Six planes in extra half-brite mode use 64 colours, the last 32 being the
  // first 32 at half brightness.
  void add_half_bright_colours() {
    if (!(display_mode_ & kExtraHalfBrite) || header_.planes != 6) return;
    for (size_t i = 0; i < 32 * 3; ++i) colours_[32 * 3 + i] = colours_[i] / 2;
    colour_count_ = 64;
  }

  ImageLibraryError allocate() {
    image_.width = header_.width;
    image_.height = header_.height;
    image_.bits_per_pixel = 8;
    image_.palette_count = static_cast<uint16_t>(colour_count_);
    if (const auto code = image_allocate(image_); code != NoError) return code;
    for (size_t i = 0; i < colour_count_; ++i) {
      uint8_t* entry = image_.palette.data() + i * image_.palette_entry_size;
      entry[2] = colours_[3 * i];
      entry[1] = colours_[3 * i + 1];
      entry[0] = colours_[3 * i + 2];
    }
    if (header_.masking == kTransparentColour && header_.transparent_colour < 256) {
      image_.transparent_index = static_cast<int16_t>(header_.transparent_colour);
    }
    return NoError;
  }

  // Each picture row, from the top, holds one row of every plane in turn
  // (and of the mask plane, which is skipped); bit p of a pixel's index comes
  // from plane p, the leftmost pixel in the most significant bit.
  ImageLibraryError decode_ilbm_body(ByteReader body) {
    if (!have_colours_) return CorruptData;
    if (display_mode_ & kHoldAndModify) return UnsupportedOption;
    const size_t plane_bytes = header_.plane_row_bytes();
    const uint64_t plane_rows = uint64_t{header_.stored_planes()} * header_.height;
    if (header_.compression == kUncompressed ? body.size() != plane_bytes * plane_rows
                                             : body.size() < packbits_min_row_bytes(plane_bytes) * plane_rows) {
      return CorruptData;
    }
    add_half_bright_colours();
    if (const auto code = allocate(); code != NoError) return code;

    std::vector<uint8_t> plane(plane_bytes);
    for (uint32_t y = header_.height; y-- > 0;) {
      uint8_t* row = image_.row(y);
      std::fill_n(row, header_.width, uint8_t{0});
      for (size_t p = 0; p < header_.stored_planes(); ++p) {
        if (header_.compression == kUncompressed) {
          body.bytes(plane.data(), plane_bytes);
        } else if (decode_packbits_row(body, plane.data(), plane_bytes, LiteralOverrun::Refuse) !=
                   PackBitsResult::Filled) {
          return CorruptData;
        }
        if (p < header_.planes) add_plane(plane.data(), row, static_cast<uint8_t>(1u << p));
      }
    }
    if (!body.at_end()) return CorruptData;
    body_done_ = true;
    return NoError;
  }

  void add_plane(const uint8_t* plane, uint8_t* row, uint8_t bit) const {
    for (size_t x = 0; x < header_.width; ++x) {
      if (plane[x / 8] & (0x80 >> (x % 8))) row[x] |= bit;
    }
  }

  ByteReader in_;
  ImageRecord& image_;
  BitmapHeader header_;
  bool have_header_ = false;
  std::array<uint8_t, 256 * 3> colours_{};
  size_t colour_count_ = 0;
  bool have_colours_ = false;
  uint32_t display_mode_ = 0;
  bool body_done_ = false;
};

ImageLibraryError decode_iff(std::span<const uint8_t> file, ImageRecord& image) {
  return IlbmFile(file, image).decode();
}

}  // namespace

ImageLibraryError read_iff(const std::string& filename, ImageRecord& image) {
  return read_whole_file_with(filename, image, decode_iff);
}
