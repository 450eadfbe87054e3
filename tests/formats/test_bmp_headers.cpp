// Bitmap files with the header kinds other programs write: OS/2 core
// headers, V3/V4/V5 headers, bit-field masks, pixel offsets and alpha.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imagelib/formats/bmp.h"
#include "tests/formats/hand_format_bytes.h"
#include "tests/formats/reader_test.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Masks {
  uint32_t red, green, blue, alpha;
};

// A file with an information header of header_size bytes. Masks go into
// headers of 52 bytes or more, or after a 40-byte header of a bit-field
// file; gap bytes lie between the colour table and the pixels.
struct Bitmap {
  uint32_t header_size = 40;
  int32_t width = 2;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t colours_used = 0;
  Masks masks{0, 0, 0, 0};
  Bytes table;
  size_t gap = 0;
  Bytes pixels;
  int64_t offset_change = 0;

  FileBytes bytes() const {
    FileBytes info;
    info.u32le(header_size);
    if (header_size == 12) {
      info.u16le(static_cast<uint32_t>(width)).u16le(static_cast<uint32_t>(height)).u16le(1).u16le(bits);
    } else {
      info.u32le(static_cast<uint32_t>(width)).u32le(static_cast<uint32_t>(height)).u16le(1).u16le(bits);
      info.u32le(compression).u32le(0).u32le(2835).u32le(2835).u32le(colours_used).u32le(0);
      if (header_size >= 52 || compression == 3) info.u32le(masks.red).u32le(masks.green).u32le(masks.blue);
      if (header_size >= 56) info.u32le(masks.alpha);
      info.repeat(0, header_size > info.size() ? header_size - info.size() : 0);
    }
    const auto offset = static_cast<uint32_t>(14 + info.size() + table.size() + gap + offset_change);
    FileBytes file;
    file.text("BM").u32le(static_cast<uint32_t>(offset + pixels.size())).u32le(0).u32le(offset);
    file.append(info);
    file.bytes.insert(file.bytes.end(), table.begin(), table.end());
    file.repeat(0xEE, gap);
    file.bytes.insert(file.bytes.end(), pixels.begin(), pixels.end());
    return file;
  }
};

class BmpHeaders : public ReaderTest<read_bmp> {
 protected:
  BmpHeaders() : ReaderTest("picture.bmp") {}
};

TEST_F(BmpHeaders, CoreHeaderHasThreeByteColours) {
  Bitmap file;
  file.header_size = 12;
  file.bits = 8;
  file.table.resize(256 * 3);
  for (size_t j = 0; j < 256; ++j) {
    file.table[3 * j] = static_cast<uint8_t>(j);
    file.table[3 * j + 1] = 7;
    file.table[3 * j + 2] = static_cast<uint8_t>(255 - j);
  }
  file.pixels = {1, 200, 0, 0};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image_.width, 2u);
  EXPECT_EQ(row(0), (Bytes{1, 200}));
  EXPECT_EQ(entry(1), (Bytes{1, 7, 254}));
  EXPECT_EQ(entry(200), (Bytes{200, 7, 55}));
}

TEST_F(BmpHeaders, LongerHeadersMoveTheTableAndTheOffsetPlacesThePixels) {
  for (const uint32_t size : {40u, 52u, 56u, 108u, 124u}) {
    Bitmap file;
    file.header_size = size;
    file.bits = 4;
    file.colours_used = 2;
    file.table = {10, 20, 30, 0, 40, 50, 60, 0};
    file.gap = 6;
    file.pixels = {0x10, 0, 0, 0};
    ASSERT_EQ(read(file.bytes()), NoError) << size;
    EXPECT_EQ(image_.palette_count, 2);
    EXPECT_EQ(entry(1), (Bytes{40, 50, 60})) << size;
    EXPECT_EQ(image_.row(0)[0], 0x10) << size;
  }
}

TEST_F(BmpHeaders, OffsetsAndArraysOutsideTheFileAreRefused) {
  Bitmap file;
  file.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
  ASSERT_EQ(read(file.bytes()), NoError);
  file.offset_change = 1;  // the last row runs one byte past the end
  expect_failure(file.bytes(), ReadError);
  file.offset_change = 1000;
  expect_failure(file.bytes(), ReadError);
  file.offset_change = -20;  // inside the information header
  expect_failure(file.bytes(), CorruptFile);
  file.offset_change = 0;
  file.header_size = 64;
  expect_failure(file.bytes(), UnsupportedOption);
}

TEST_F(BmpHeaders, SixteenBitMasks) {
  Bitmap file;
  file.bits = 16;
  file.compression = 3;
  // 5-6-5: white, then red 31 green 32 blue 1.
  file.masks = {0xF800, 0x07E0, 0x001F, 0};
  file.pixels = {0xFF, 0xFF, 0x01, 0xFC, 0, 0, 0, 0};
  for (const uint32_t size : {40u, 56u, 124u}) {
    file.header_size = size;
    ASSERT_EQ(read(file.bytes()), NoError) << size;
    EXPECT_EQ(image_.bits_per_pixel, 24);
    EXPECT_EQ(row(0), (Bytes{255, 255, 255, 8, 130, 255})) << size;
  }
  // 5-5-5 masks are the record's own 16-bit layout.
  file.masks = {0x7C00, 0x03E0, 0x001F, 0};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image_.bits_per_pixel, 16);
  EXPECT_EQ(row(0), (Bytes{0xFF, 0xFF, 0x01, 0xFC}));
  // 1-5-5-5 with alpha: the top bit is alpha.
  file.masks = {0x7C00, 0x03E0, 0x001F, 0x8000};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image_.bits_per_pixel, 32);
  EXPECT_EQ(row(0), (Bytes{255, 255, 255, 255, 8, 0, 255, 255}));
}

TEST_F(BmpHeaders, ThirtyTwoBitMasksWithAndWithoutAlpha) {
  Bitmap file;
  file.bits = 32;
  file.compression = 3;
  file.pixels = {1, 2, 3, 0, 4, 5, 6, 128};
  file.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  file.header_size = 124;
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image_.bits_per_pixel, 32);
  EXPECT_EQ(row(0), (Bytes{1, 2, 3, 0, 4, 5, 6, 128}));

  // Red and blue swapped, no alpha mask: decoded to 24 bits.
  file.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image_.bits_per_pixel, 24);
  EXPECT_EQ(row(0), (Bytes{3, 2, 1, 6, 5, 4}));

  file.masks = {0x00FF00FF, 0x0000FF00, 0x000000FF, 0};  // not one run of bits
  expect_failure(file.bytes(), UnsupportedOption);
  file.masks = {0x00FF0000, 0x00FFFF00, 0x000000FF, 0};  // overlapping
  expect_failure(file.bytes(), UnsupportedOption);
  file.bits = 24;
  expect_failure(file.bytes(), UnsupportedOption);
}

TEST_F(BmpHeaders, ThirtyTwoBitFourthBytesAreAlphaOnlyWhenUsed) {
  Bitmap file;
  file.bits = 32;
  file.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image_.bits_per_pixel, 32);
  EXPECT_EQ(row(0), (Bytes{1, 2, 3, 255, 4, 5, 6, 255}));

  file.pixels = {1, 2, 3, 0, 4, 5, 6, 9};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(row(0), (Bytes{1, 2, 3, 0, 4, 5, 6, 9}));

  // A declared alpha mask makes zeros transparent.
  file.header_size = 108;
  file.masks = {0, 0, 0, 0xFF000000};
  file.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(row(0), (Bytes{1, 2, 3, 0, 4, 5, 6, 0}));
}

}  // namespace
