#include <gtest/gtest.h>

#include "imagelib/image_record.h"

namespace {

ImageRecord sized(uint32_t width, uint32_t height, uint8_t bits, int32_t pad_rows = 0) {
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bits;
  image.pad_rows = pad_rows;
  return image;
}

uint32_t stride_of(uint32_t width, uint8_t bits, int32_t pad_rows) {
  ImageRecord image = sized(width, 1, bits, pad_rows);
  EXPECT_EQ(image_allocate(image), NoError);
  return image.row_stride;
}

TEST(ImageAllocate, RowStrideFollowsDepthAndPadding) {
  EXPECT_EQ(stride_of(5, 8, 0), 5u);
  EXPECT_EQ(stride_of(5, 8, 1), 8u);
  EXPECT_EQ(stride_of(9, 1, 0), 2u);
  EXPECT_EQ(stride_of(9, 1, 1), 4u);
  EXPECT_EQ(stride_of(5, 24, 0), 15u);
  EXPECT_EQ(stride_of(5, 24, 1), 16u);
}

TEST(ImageAllocate, PaletteDefaultsToFullSizeAndEntrySizeFollowsPadding) {
  ImageRecord packed = sized(4, 4, 8, 0);
  ASSERT_EQ(image_allocate(packed), NoError);
  EXPECT_EQ(packed.palette_count, 256);
  EXPECT_EQ(packed.palette_entry_size, 3);
  EXPECT_EQ(packed.palette.size(), 768u);

  ImageRecord padded = sized(4, 4, 4, 1);
  ASSERT_EQ(image_allocate(padded), NoError);
  EXPECT_EQ(padded.palette_count, 16);
  EXPECT_EQ(padded.palette_entry_size, 4);

  ImageRecord wide_entries = sized(4, 4, 8, 0);
  wide_entries.palette_entry_size = 4;
  wide_entries.palette_count = 17;
  ASSERT_EQ(image_allocate(wide_entries), NoError);
  EXPECT_EQ(wide_entries.palette_entry_size, 4);
  EXPECT_EQ(wide_entries.palette.size(), 68u);

  ImageRecord true_colour = sized(4, 4, 24);
  true_colour.palette_count = 5;
  ASSERT_EQ(image_allocate(true_colour), NoError);
  EXPECT_EQ(true_colour.palette_count, 0);
  EXPECT_FALSE(true_colour.has_palette());
}

TEST(ImageAllocate, RefusesBadDepthAndSizeAndRecordsTheCode) {
  ImageRecord two_bits = sized(4, 4, 2);
  EXPECT_EQ(image_allocate(two_bits), BadBitsPerPixel);
  EXPECT_EQ(get_last_error(), BadBitsPerPixel);
  ImageRecord empty = sized(0, 4, 8);
  EXPECT_EQ(image_allocate(empty), BadImageSize);
  EXPECT_EQ(get_last_error(), BadImageSize);
}

TEST(ImageAllocate, RefusesImagesAboveThePixelLimitBeforeAllocating) {
  ImageRecord huge = sized(100000, 100000, 32);
  EXPECT_EQ(image_allocate(huge), BadImageSize);
  EXPECT_TRUE(huge.pixels.empty());

  ImageRecord limited = sized(10, 10, 8);
  limited.max_pixels = 99;
  EXPECT_EQ(image_allocate(limited), BadImageSize);
  limited.max_pixels = 100;
  EXPECT_EQ(image_allocate(limited), NoError);
}

TEST(ImageRecordLifecycle, FreeEmptiesButKeepsThePixelLimit) {
  ImageRecord image = sized(3, 3, 8, 1);
  image.transparent_index = 4;
  image.max_pixels = 1000;
  image.codec_threads = 3;
  ASSERT_EQ(image_allocate(image), NoError);
  image_free(image);
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_TRUE(image.palette.empty());
  EXPECT_EQ(image.width, 0u);
  EXPECT_EQ(image.pad_rows, 0);
  EXPECT_EQ(image.transparent_index, -1);
  EXPECT_EQ(image.max_pixels, 1000u);
  EXPECT_EQ(image.codec_threads, 3u);
  ImageRecord copy;
  ASSERT_EQ(image_copy(image, copy), NoError);
  EXPECT_EQ(copy.codec_threads, 3u);
}

TEST(ImageCopy, CopiesFieldsAndBuffers) {
  ImageRecord source = sized(3, 2, 8, 1);
  source.palette_count = 4;
  source.transparent_index = 1;
  ASSERT_EQ(image_allocate(source), NoError);
  source.pixels[5] = 9;
  source.palette[7] = 200;
  ImageRecord copy;
  ASSERT_EQ(image_copy(source, copy), NoError);
  EXPECT_EQ(copy.pixels, source.pixels);
  EXPECT_EQ(copy.palette, source.palette);
  EXPECT_EQ(copy.row_stride, source.row_stride);
  EXPECT_EQ(copy.palette_count, 4);
  EXPECT_EQ(copy.transparent_index, 1);
  EXPECT_EQ(image_copy(copy, copy), NoError);
  EXPECT_EQ(copy.pixels, source.pixels);
}

TEST(PixelHelpers, SwapsExchangeBytes) {
  EXPECT_EQ(swap_u16(0x1234), 0x3412);
  EXPECT_EQ(swap_i16(static_cast<int16_t>(0x80FF)), static_cast<int16_t>(0xFF80));
  EXPECT_EQ(swap_u32(0x12345678u), 0x78563412u);
  EXPECT_EQ(swap_i32(0x000000FF), static_cast<int32_t>(0xFF000000));
}

TEST(PixelHelpers, UnpackGivesOneIndexPerPixelLeftmostFirst) {
  ImageRecord one = sized(9, 2, 1, 1);
  ASSERT_EQ(image_allocate(one), NoError);
  one.row(0)[0] = 0b10000001;
  one.row(0)[1] = 0b10000000;
  one.row(1)[1] = 0b01111111;  // bits beyond the ninth pixel are not pixels
  std::vector<uint8_t> indices(18);
  unpack_1bit_rows(one, indices.data());
  EXPECT_EQ(indices, (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  ImageRecord four = sized(3, 1, 4);
  ASSERT_EQ(image_allocate(four), NoError);
  four.row(0)[0] = 0xAB;
  four.row(0)[1] = 0xCD;
  std::vector<uint8_t> nibbles(3);
  unpack_4bit_rows(four, nibbles.data());
  EXPECT_EQ(nibbles, (std::vector<uint8_t>{0xA, 0xB, 0xC}));
}

}  // namespace
