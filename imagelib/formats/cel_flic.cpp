// FLIC-structured cels: a 128-byte animation header followed by frames of
// chunks (all little-endian). The first frame that carries a palette or pixels
// gives the picture.
#include "imagelib/formats/cel_flic.h"

#include <algorithm>
#include <cstring>

#include "imagelib/byte_reader.h"
#include "imagelib/formats/hand_reader.h"

namespace {

constexpr uint16_t kFlicMagic = 0xAF11;
constexpr uint16_t kFlicProMagic = 0xAF12;
constexpr size_t kHeaderBytes = 128;
constexpr uint32_t kFrameHeaderBytes = 16;
constexpr uint32_t kChunkHeaderBytes = 6;
constexpr uint16_t kPrefixFrame = 0xF100;
constexpr uint16_t kChunkFrame = 0xF1FA;

enum ChunkType : uint16_t {
  kColour256 = 4,
  kDelta = 7,
  kColour64 = 11,
  kLineDelta = 12,
  kBlack = 13,
  kByteRun = 15,
  kLiteral = 16,
  kStamp = 18,
};

class FlicCel {
 public:
  FlicCel(std::span<const uint8_t> file, ImageRecord& image) : in_(file), image_(image) {}

  ImageLibraryError decode() {
    uint16_t magic = 0, depth = 0;
    if (!in_.skip(4) || !in_.u16le(magic) || !in_.skip(2) || !in_.u16le(width_) || !in_.u16le(height_) ||
        !in_.u16le(depth) || !in_.seek(kHeaderBytes)) {
      return ReadError;
    }
    if ((magic != kFlicMagic && magic != kFlicProMagic) || depth != 8) return UnsupportedOption;
    if (const auto code = check_picture_size(image_, width_, height_); code != NoError) return code;

    while (!palette_done_ && !pixels_done_) {
      uint32_t size = 0;
      uint16_t type = 0, chunks = 0;
      if (!in_.u32le(size) || !in_.u16le(type) || !in_.u16le(chunks) || !in_.skip(8)) return ReadError;
      if (type == kPrefixFrame) {
        if (size < kFrameHeaderBytes) return CorruptData;
        if (!in_.skip(size - kFrameHeaderBytes)) return ReadError;
      } else if (type == kChunkFrame) {
        if (const auto code = read_flic_frame_chunks(chunks); code != NoError) return code;
      }
    }
    return NoError;
  }

 private:
  ImageLibraryError read_flic_frame_chunks(uint16_t count) {
    for (uint16_t i = 0; i < count && !(palette_done_ && pixels_done_); ++i) {
      uint32_t size = 0;
      uint16_t type = 0;
      if (!in_.u32le(size) || !in_.u16le(type)) return ReadError;
      if (size < kChunkHeaderBytes) return CorruptData;
      const size_t body_size = size - kChunkHeaderBytes;
      if (type == kDelta || type == kLineDelta || type == kStamp) {
        // Skipped chunks may run past the end; the next read then falls short.
        in_.seek(std::min(in_.size(), in_.position() + body_size));
        continue;
      }
      const auto body = in_.view(body_size);
      if (body.size() != body_size) return ReadError;
      if (const auto code = read_chunk(type, ByteReader(body)); code != NoError) return code;
    }
    return NoError;
  }

  ImageLibraryError read_chunk(uint16_t type, ByteReader body) {
    switch (type) {
      case kColour256: return read_flic_palette(body, 1);
      case kColour64: return read_flic_palette(body, 4);
      case kBlack: return black_frame();
      case kByteRun: return decode_flic_brun(body);
      case kLiteral: return decode_literal(body);
      default: return UnsupportedOption;
    }
  }

  ImageLibraryError allocate() {
    if (allocated_) return NoError;
    image_.width = width_;
    image_.height = height_;
    image_.bits_per_pixel = 8;
    image_.palette_count = 256;
    const auto code = image_allocate(image_);
    allocated_ = code == NoError;
    return code;
  }

  // Packets of (skip, count, count colours of red, green, blue); a count of 0
  // means 256. Each value is multiplied by scale and kept to 8 bits.
  ImageLibraryError read_flic_palette(ByteReader body, int scale) {
    if (const auto code = allocate(); code != NoError) return code;
    uint16_t packets = 0;
    if (!body.u16le(packets)) return CorruptData;
    size_t index = 0;
    for (uint16_t p = 0; p < packets; ++p) {
      uint8_t skip = 0, count_byte = 0;
      if (!body.u8(skip) || !body.u8(count_byte)) return CorruptData;
      index += skip;
      const size_t count = count_byte == 0 ? 256 : count_byte;
      for (size_t c = 0; c < count; ++c, ++index) {
        const auto colour = body.view(3);
        if (colour.empty()) return CorruptData;
        if (index >= image_.palette_count) continue;  // read and dropped
        uint8_t* entry = image_.palette.data() + index * image_.palette_entry_size;
        entry[2] = static_cast<uint8_t>(colour[0] * scale);
        entry[1] = static_cast<uint8_t>(colour[1] * scale);
        entry[0] = static_cast<uint8_t>(colour[2] * scale);
      }
    }
    if (!body.at_end()) return CorruptData;
    palette_done_ = true;
    return NoError;
  }

  ImageLibraryError black_frame() {
    if (const auto code = allocate(); code != NoError) return code;
    std::fill(image_.pixels.begin(), image_.pixels.end(), uint8_t{0});
    pixels_done_ = true;
    return NoError;
  }

  // Per row from the top: a packet-count byte (ignored), then packets until the
  // row is full: a signed count c, c > 0 one byte repeated c times, c <= 0 -c
  // bytes as they stand. Bytes past the row end are dropped. One trailing pad
  // byte is allowed.
  ImageLibraryError decode_flic_brun(ByteReader body) {
    // A row needs its count byte and at least two bytes per 127 pixels.
    const uint64_t min_row = 1 + 2 * ((uint64_t{width_} + 126) / 127);
    if (body.size() < min_row * height_) return CorruptData;
    if (const auto code = allocate(); code != NoError) return code;
    for (uint32_t y = height_; y-- > 0;) {
      uint8_t* row = image_.row(y);
      if (!body.skip(1)) return CorruptData;
      size_t filled = 0;
      while (filled < width_) {
        uint8_t count_byte = 0;
        if (!body.u8(count_byte)) return CorruptData;
        const int count = static_cast<int8_t>(count_byte);
        const size_t left = width_ - filled;
        if (count > 0) {
          uint8_t value = 0;
          if (!body.u8(value)) return CorruptData;
          const size_t kept = std::min<size_t>(count, left);
          std::memset(row + filled, value, kept);
          filled += kept;
        } else {
          const auto literal = body.view(static_cast<size_t>(-count));
          if (literal.size() != static_cast<size_t>(-count)) return CorruptData;
          const size_t kept = std::min(literal.size(), left);
          std::memcpy(row + filled, literal.data(), kept);
          filled += kept;
        }
      }
    }
    if (body.remaining() > 1) return CorruptData;
    pixels_done_ = true;
    return NoError;
  }

  // Rows of width bytes from the top of the picture.
  ImageLibraryError decode_literal(ByteReader body) {
    if (body.size() != uint64_t{width_} * height_) return CorruptData;
    if (const auto code = allocate(); code != NoError) return code;
    for (uint32_t y = height_; y-- > 0;) body.bytes(image_.row(y), width_);
    pixels_done_ = true;
    return NoError;
  }

  ByteReader in_;
  ImageRecord& image_;
  uint16_t width_ = 0;
  uint16_t height_ = 0;
  bool palette_done_ = false;
  bool pixels_done_ = false;
  bool allocated_ = false;
};

}  // namespace

ImageLibraryError decode_flic_cel(std::span<const uint8_t> file, ImageRecord& image) {
  return FlicCel(file, image).decode();
}
