// Reading Autodesk Animator cels and FLIC-structured cels.
#include <gtest/gtest.h>

#include <vector>

#include "imagelib/formats/cel.h"
#include "tests/formats/reader_test.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

FileBytes animator_cel(uint16_t width, uint16_t height, const std::vector<int>& top_down_pixels, int bits = 8,
                       int compression = 0) {
  FileBytes file;
  file.u16le(0x9119).u16le(width).u16le(height).u32le(0).u8(bits).u8(compression).repeat(0, 20);
  file.u8s({0, 0, 0, 63, 0, 32}).repeat(0, 768 - 6);  // colour 1 = (63, 0, 32)
  for (int value : top_down_pixels) file.u8(value);
  return file;
}

FileBytes flic_header(uint16_t width, uint16_t height, uint16_t magic = 0xAF12, uint16_t depth = 8) {
  FileBytes file;
  file.u32le(0).u16le(magic).u16le(1).u16le(width).u16le(height).u16le(depth).repeat(0, 114);
  return file;
}

FileBytes chunk(uint16_t type, const FileBytes& body) {
  FileBytes result;
  result.u32le(static_cast<uint32_t>(6 + body.size())).u16le(type).append(body);
  return result;
}

FileBytes frame(const std::vector<FileBytes>& chunks, uint16_t type = 0xF1FA) {
  FileBytes body;
  for (const auto& c : chunks) body.append(c);
  FileBytes result;
  result.u32le(static_cast<uint32_t>(16 + body.size())).u16le(type).u16le(static_cast<uint16_t>(chunks.size()));
  result.repeat(0, 8).append(body);
  return result;
}

// One packet of two colours from index 1: (10, 20, 30) and (40, 50, 60).
FileBytes colour_body() {
  FileBytes body;
  body.u16le(1).u8s({1, 2, 10, 20, 30, 40, 50, 60});
  return body;
}

// A 4 x 2 picture: top row 1 2 3 9, bottom row 9 9 9 9.
FileBytes byte_run_body() {
  FileBytes body;
  body.u8s({2, 0xFD, 1, 2, 3, 1, 9});  // literal 1 2 3, then 9 once
  body.u8s({1, 4, 9});                 // 9 four times
  return body;
}

class CelTest : public ReaderTest<read_cel> {
 protected:
  CelTest() : ReaderTest("picture.cel") {}
};

TEST_F(CelTest, AnimatorCelScalesPaletteAndFlipsRows) {
  ASSERT_EQ(read(animator_cel(3, 2, {1, 2, 3, 4, 5, 6})), NoError);
  EXPECT_EQ(image_.width, 3u);
  EXPECT_EQ(image_.height, 2u);
  EXPECT_EQ(image_.bits_per_pixel, 8);
  EXPECT_EQ(image_.palette_count, 256);
  EXPECT_EQ(entry(1), (std::vector<uint8_t>{128, 0, 252}));
  EXPECT_EQ(row(1), (std::vector<uint8_t>{1, 2, 3}));  // the top row is the record's last
  EXPECT_EQ(row(0), (std::vector<uint8_t>{4, 5, 6}));
}

TEST_F(CelTest, AnimatorCelHonoursPaddedRows) {
  image_.pad_rows = 1;
  ASSERT_EQ(read(animator_cel(3, 2, {1, 2, 3, 4, 5, 6})), NoError);
  EXPECT_EQ(image_.row_stride, 4u);
  EXPECT_EQ(image_.palette_entry_size, 4);
  EXPECT_EQ(row(1), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(CelTest, AnimatorCelFailures) {
  expect_failure(animator_cel(3, 2, {1, 2, 3, 4, 5, 6}, 4), UnsupportedOption);
  expect_failure(animator_cel(3, 2, {1, 2, 3, 4, 5, 6}, 8, 1), UnsupportedOption);
  expect_failure(animator_cel(3, 2, {1, 2, 3, 4, 5}), ReadError);
  expect_failure(animator_cel(0, 2, {}), BadImageSize);
  FileBytes header_only;
  header_only.u16le(0x9119).u16le(3);
  expect_failure(header_only, ReadError);
}

TEST_F(CelTest, DeclaredSizeAboveLimitIsRefused) {
  image_.max_pixels = 5;
  expect_failure(animator_cel(3, 2, {1, 2, 3, 4, 5, 6}), BadImageSize);
  expect_failure(flic_header(3, 2).append(frame({chunk(13, {})})), BadImageSize);
}

TEST_F(CelTest, UnknownMagicMissingFileAndShortFile) {
  FileBytes other;
  other.u32le(0).u16le(0x1234).repeat(0, 200);
  expect_failure(other, UnsupportedOption);
  FileBytes one_byte;
  one_byte.u8(0x19);
  expect_failure(one_byte, ReadError);
  EXPECT_EQ(read_cel(dir_.file("missing.cel"), image_), CannotOpenFile);
}

TEST_F(CelTest, FlicColourAndByteRunChunksGivePaletteAndPixels) {
  auto file = flic_header(4, 2).append(frame({chunk(4, colour_body()), chunk(15, byte_run_body())}));
  file.append(frame({chunk(99, {})}));  // never reached: reading stops after the first frame
  ASSERT_EQ(read(file), NoError);
  EXPECT_EQ(entry(1), (std::vector<uint8_t>{30, 20, 10}));
  EXPECT_EQ(entry(2), (std::vector<uint8_t>{60, 50, 40}));
  EXPECT_EQ(row(1), (std::vector<uint8_t>{1, 2, 3, 9}));
  EXPECT_EQ(row(0), (std::vector<uint8_t>{9, 9, 9, 9}));
}

TEST_F(CelTest, FlicOldMagicPrefixFrameAndSkippedChunks) {
  FileBytes prefix;
  prefix.u32le(20).u16le(0xF100).u16le(0).repeat(0, 8).u32le(0xDEADBEEF);
  FileBytes delta;
  delta.u8s({1, 2, 3});
  auto file = flic_header(4, 2, 0xAF11).append(prefix);
  file.append(frame({chunk(7, delta), chunk(15, byte_run_body()), chunk(4, colour_body())}));
  ASSERT_EQ(read(file), NoError);
  EXPECT_EQ(row(1), (std::vector<uint8_t>{1, 2, 3, 9}));
  EXPECT_EQ(entry(2), (std::vector<uint8_t>{60, 50, 40}));
}

TEST_F(CelTest, FlicSixBitColoursAreScaled) {
  FileBytes body;
  body.u16le(1).u8s({0, 1, 63, 0, 32});
  ASSERT_EQ(read(flic_header(4, 2).append(frame({chunk(11, body)}))), NoError);
  EXPECT_EQ(entry(0), (std::vector<uint8_t>{128, 0, 252}));
  EXPECT_EQ(row(0), (std::vector<uint8_t>{0, 0, 0, 0}));  // a palette alone ends the read
}

TEST_F(CelTest, FlicColoursPastTheLastEntryAreDropped) {
  FileBytes body;
  body.u16le(2).u8s({255, 1, 1, 1, 1}).u8s({0, 2, 7, 8, 9, 4, 5, 6});
  ASSERT_EQ(read(flic_header(4, 2).append(frame({chunk(4, body)}))), NoError);
  EXPECT_EQ(entry(255), (std::vector<uint8_t>{1, 1, 1}));
  EXPECT_EQ(entry(0), (std::vector<uint8_t>{0, 0, 0}));
}

TEST_F(CelTest, FlicByteRunAllowsOnePadByte) {
  auto padded = byte_run_body();
  padded.u8(0);
  ASSERT_EQ(read(flic_header(4, 2).append(frame({chunk(15, padded), chunk(4, colour_body())}))), NoError);
  EXPECT_EQ(entry(1), (std::vector<uint8_t>{30, 20, 10}));  // the next chunk is still found
  padded.u8(0);
  expect_failure(flic_header(4, 2).append(frame({chunk(15, padded)})), CorruptData);
}

TEST_F(CelTest, FlicLiteralAndBlackFrames) {
  FileBytes literal;
  literal.u8s({1, 2, 3, 4, 5, 6, 7, 8});
  ASSERT_EQ(read(flic_header(4, 2).append(frame({chunk(16, literal)}))), NoError);
  EXPECT_EQ(row(1), (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(row(0), (std::vector<uint8_t>{5, 6, 7, 8}));

  ASSERT_EQ(read(flic_header(4, 2).append(frame({chunk(13, {})}))), NoError);
  EXPECT_EQ(row(1), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(CelTest, FlicFailures) {
  expect_failure(flic_header(4, 2, 0xAF12, 16).append(frame({chunk(13, {})})), UnsupportedOption);
  expect_failure(flic_header(4, 2).append(frame({chunk(99, {})})), UnsupportedOption);
  FileBytes short_literal;
  short_literal.u8s({1, 2, 3});
  expect_failure(flic_header(4, 2).append(frame({chunk(16, short_literal)})), CorruptData);
  auto long_colours = colour_body();
  long_colours.u8(0);
  expect_failure(flic_header(4, 2).append(frame({chunk(4, long_colours)})), CorruptData);
  FileBytes tiny_chunk;
  tiny_chunk.u32le(3).u16le(4);
  expect_failure(flic_header(4, 2).append(frame({tiny_chunk})), CorruptData);
  expect_failure(flic_header(4, 2), ReadError);
  auto truncated = flic_header(4, 2).append(frame({chunk(15, byte_run_body())}));
  truncated.drop_last(2);
  expect_failure(truncated, ReadError);
  FileBytes short_header;
  short_header.u32le(0).u16le(0xAF12).repeat(0, 20);
  expect_failure(short_header, ReadError);
}

TEST_F(CelTest, ReusedRecordGetsFreshBuffers) {
  ASSERT_EQ(read(animator_cel(3, 2, {1, 2, 3, 4, 5, 6})), NoError);
  ASSERT_EQ(read(flic_header(4, 2).append(frame({chunk(15, byte_run_body())}))), NoError);
  EXPECT_EQ(image_.width, 4u);
  EXPECT_EQ(image_.pixels.size(), 8u);
  EXPECT_EQ(row(1), (std::vector<uint8_t>{1, 2, 3, 9}));
  EXPECT_EQ(entry(1), (std::vector<uint8_t>{0, 0, 0}));
}

TEST_F(CelTest, LayoutReadersCanBeCalledDirectly) {
  write_file_bytes(path_, animator_cel(3, 2, {1, 2, 3, 4, 5, 6}).bytes);
  EXPECT_EQ(read_animator_cel(path_, image_), NoError);
  EXPECT_EQ(read_flic_cel(path_, image_), UnsupportedOption);
}

}  // namespace
