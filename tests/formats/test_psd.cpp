// Reading Photoshop documents: RGB, RGBA, greyscale, indexed and duotone,
// raw and PackBits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/formats/psd.h"
#include "tests/formats/reader_test.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

enum Mode : uint16_t { kGrey = 1, kIndexed = 2, kRgb = 3, kDuotone = 8 };

struct PsdFile {
  uint16_t channels = 1;
  uint32_t width = 2;
  uint32_t height = 2;
  uint16_t mode = kGrey;
  uint16_t depth = 8;
  uint16_t version = 1;
  FileBytes colour_data;
  uint16_t compression = 0;
  FileBytes data;

  FileBytes bytes() const {
    FileBytes file;
    file.text("8BPS").u16be(version).repeat(0, 6).u16be(channels).u32be(height).u32be(width);
    file.u16be(depth).u16be(mode);
    file.u32be(static_cast<uint32_t>(colour_data.size())).append(colour_data);
    file.u32be(4).u32be(0xAABBCCDD);  // image resources
    file.u32be(0);                     // no layers
    file.u16be(compression).append(data);
    return file;
  }
};

class PsdTest : public ReaderTest<read_psd> {
 protected:
  PsdTest() : ReaderTest("picture.psd") {}
  using ReaderTest::expect_failure;
  using ReaderTest::read;
  ImageLibraryError read(const PsdFile& psd) { return read(psd.bytes()); }
  void expect_failure(const PsdFile& psd, ImageLibraryError code) { expect_failure(psd.bytes(), code); }
};

PsdFile rgb_raw() {
  PsdFile psd;
  psd.channels = 3;
  psd.mode = kRgb;
  psd.data.u8s({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});  // red, green, blue planes
  return psd;
}

TEST_F(PsdTest, RgbRawGivesBlueGreenRedBottomUp) {
  ASSERT_EQ(read(rgb_raw()), NoError);
  EXPECT_EQ(image_.bits_per_pixel, 24);
  EXPECT_EQ(image_.palette_count, 0);
  EXPECT_TRUE(image_.palette.empty());
  EXPECT_EQ(row(1), (Bytes{9, 5, 1, 10, 6, 2}));
  EXPECT_EQ(row(0), (Bytes{11, 7, 3, 12, 8, 4}));
}

TEST_F(PsdTest, RgbaPackBitsKeepsAlphaInTheFourthByte) {
  PsdFile psd;
  psd.channels = 4;
  psd.mode = kRgb;
  psd.height = 1;
  psd.compression = 1;
  psd.data.u16be(3).u16be(3).u16be(3).u16be(2);  // one row per channel
  psd.data.u8s({0x01, 1, 2, 0x01, 3, 4, 0x01, 5, 6, 0xFF, 0x80});
  ASSERT_EQ(read(psd), NoError);
  EXPECT_EQ(image_.bits_per_pixel, 32);
  EXPECT_EQ(row(0), (Bytes{5, 3, 1, 0x80, 6, 4, 2, 0x80}));
}

TEST_F(PsdTest, PackBitsNoOpBytesAreSkippedInsideAndAfterRows) {
  // Rows of 3 bytes: the first starts with a no-op, the second ends with two
  // inside its byte count, as common writers pad their rows.
  PsdFile psd;
  psd.width = 3;
  psd.compression = 1;
  psd.data.u16be(3).u16be(6);
  psd.data.u8s({0x80, 0xFE, 7});
  psd.data.u8s({0x02, 1, 2, 3, 0x80, 0x80});
  ASSERT_EQ(read(psd), NoError);
  EXPECT_EQ(row(1), (Bytes{7, 7, 7}));
  EXPECT_EQ(row(0), (Bytes{1, 2, 3}));
}

TEST_F(PsdTest, GreyRawGetsRampPalette) {
  PsdFile psd;
  psd.width = 3;
  psd.data.u8s({1, 2, 3, 200, 201, 202});
  image_.pad_rows = 1;
  ASSERT_EQ(read(psd), NoError);
  EXPECT_EQ(image_.bits_per_pixel, 8);
  EXPECT_EQ(image_.palette_count, 256);
  EXPECT_EQ(image_.row_stride, 4u);
  EXPECT_EQ(entry(0), (Bytes{0, 0, 0}));
  EXPECT_EQ(entry(200), (Bytes{200, 200, 200}));
  EXPECT_EQ(row(1), (Bytes{1, 2, 3}));
  EXPECT_EQ(row(0), (Bytes{200, 201, 202}));
}

TEST_F(PsdTest, GreyWithTwoChannelsReadsTheFirstOnly) {
  PsdFile raw;
  raw.channels = 2;
  raw.data.u8s({1, 2, 3, 4, 90, 91, 92, 93});
  ASSERT_EQ(read(raw), NoError);
  EXPECT_EQ(row(1), (Bytes{1, 2}));
  EXPECT_EQ(row(0), (Bytes{3, 4}));

  PsdFile packed = raw;
  packed.compression = 1;
  packed.data = {};
  packed.data.u16be(3).u16be(2).u16be(2).u16be(2);
  packed.data.u8s({0x01, 1, 2, 0xFF, 3, 0xFF, 90, 0xFF, 91});
  ASSERT_EQ(read(packed), NoError);
  EXPECT_EQ(row(1), (Bytes{1, 2}));
  EXPECT_EQ(row(0), (Bytes{3, 3}));
}

TEST_F(PsdTest, IndexedColourTableBecomesBlueGreenRedEntries) {
  PsdFile psd;
  psd.mode = kIndexed;
  for (int i = 0; i < 256; ++i) psd.colour_data.u8(i);        // reds
  for (int i = 0; i < 256; ++i) psd.colour_data.u8(255 - i);  // greens
  for (int i = 0; i < 256; ++i) psd.colour_data.u8(i / 2);    // blues
  psd.data.u8s({10, 11, 12, 13});
  ASSERT_EQ(read(psd), NoError);
  EXPECT_EQ(image_.palette_count, 256);
  EXPECT_EQ(entry(10), (Bytes{5, 245, 10}));
  EXPECT_EQ(row(1), (Bytes{10, 11}));
}

TEST_F(PsdTest, DuotoneSkipsItsColourDataAndGetsRamp) {
  PsdFile psd;
  psd.mode = kDuotone;
  psd.colour_data.repeat(7, 10);
  psd.data.u8s({1, 2, 3, 4});
  ASSERT_EQ(read(psd), NoError);
  EXPECT_EQ(entry(7), (Bytes{7, 7, 7}));
  EXPECT_EQ(row(0), (Bytes{3, 4}));
}

TEST_F(PsdTest, PackBitsRowMustUseExactlyItsCount) {
  PsdFile psd;
  psd.width = 5;
  psd.height = 1;
  psd.compression = 1;
  psd.data.u16be(4).u8s({0xFE, 0x07, 0x01, 0x08, 0x09});
  expect_failure(psd, CorruptData);
  psd.data = {};
  psd.data.u16be(5).u8s({0xFE, 0x07, 0x01, 0x08, 0x09});
  ASSERT_EQ(read(psd), NoError);
  EXPECT_EQ(row(0), (Bytes{7, 7, 7, 8, 9}));
  psd.data = {};
  psd.data.u16be(6).u8s({0xFE, 0x07, 0x01, 0x08, 0x09, 0x00});
  expect_failure(psd, CorruptData);
}

TEST_F(PsdTest, PackBitsBytesPastTheRowEndAreDropped) {
  PsdFile psd;
  psd.height = 1;
  psd.compression = 1;
  psd.data.u16be(4).u8s({0x02, 5, 6, 7});
  ASSERT_EQ(read(psd), NoError);
  EXPECT_EQ(row(0), (Bytes{5, 6}));
}

TEST_F(PsdTest, HeaderFailures) {
  auto version = rgb_raw();
  version.version = 2;
  expect_failure(version, CorruptData);
  auto signature = rgb_raw().bytes();
  signature.bytes[0] = '7';
  expect_failure(signature, CorruptData);
  for (uint16_t mode : {0, 4, 5, 7, 9}) {  // bitmap, CMYK, unknown, multichannel, Lab
    auto psd = rgb_raw();
    psd.mode = mode;
    expect_failure(psd, UnsupportedOption);
  }
  auto deep = rgb_raw();
  deep.depth = 16;
  expect_failure(deep, UnsupportedOption);
  auto many = rgb_raw();
  many.channels = 5;
  expect_failure(many, UnsupportedOption);
  auto two = rgb_raw();
  two.channels = 2;
  expect_failure(two, UnsupportedOption);
  auto zip = rgb_raw();
  zip.compression = 2;
  expect_failure(zip, UnsupportedOption);
  auto empty = rgb_raw();
  empty.width = 0;
  expect_failure(empty, BadImageSize);
}

TEST_F(PsdTest, ColourDataFailures) {
  PsdFile grey;
  grey.colour_data.repeat(0, 768);
  grey.data.repeat(0, 4);
  expect_failure(grey, UnsupportedOption);
  PsdFile indexed = grey;
  indexed.mode = kIndexed;
  indexed.colour_data = {};
  indexed.colour_data.repeat(0, 300);
  expect_failure(indexed, CorruptData);
}

TEST_F(PsdTest, TruncatedFilesFailWithReadError) {
  auto file = rgb_raw().bytes();
  file.drop_last(1);
  expect_failure(file, ReadError);  // pixel data
  file.bytes.resize(40);
  expect_failure(file, ReadError);  // a section
  file.bytes.resize(20);
  expect_failure(file, ReadError);  // the header

  PsdFile packed;
  packed.compression = 1;
  packed.data.u16be(3);
  expect_failure(packed, ReadError);  // the count table
  packed.data.u16be(3).u8s({0x01, 1});
  expect_failure(packed, ReadError);  // rows the counts describe
  EXPECT_EQ(read_psd(dir_.file("missing.psd"), image_), CannotOpenFile);
}

TEST_F(PsdTest, SizeAboveLimitIsRefusedBeforeAllocating) {
  auto psd = rgb_raw();
  psd.width = 100000;
  psd.height = 100000;
  expect_failure(psd, BadImageSize);
  image_.max_pixels = 3;
  expect_failure(rgb_raw(), BadImageSize);
}

}  // namespace
