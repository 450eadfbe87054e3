#include <gtest/gtest.h>

#include "imagelib/image_record.h"

namespace {

ImageRecord palette_image(uint32_t width, uint32_t height, uint8_t bits, uint16_t colours, int32_t pad_rows = 0) {
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bits;
  image.palette_count = colours;
  image.pad_rows = pad_rows;
  EXPECT_EQ(image_allocate(image), NoError);
  for (uint32_t i = 0; i < image.palette_count; ++i) {
    uint8_t* entry = image.palette.data() + i * image.palette_entry_size;
    entry[0] = static_cast<uint8_t>(i);        // blue
    entry[1] = static_cast<uint8_t>(i + 100);  // green
    entry[2] = static_cast<uint8_t>(i + 200);  // red
  }
  return image;
}

TEST(PackIndices, TwoColoursPackToOneBit) {
  ImageRecord image = palette_image(9, 2, 8, 2);
  for (uint32_t x = 0; x < 9; ++x) image.row(0)[x] = x % 2 == 0 ? 1 : 0;
  image.row(1)[8] = 1;
  ASSERT_EQ(image_pack_indices(image), NoError);
  EXPECT_EQ(image.bits_per_pixel, 1);
  EXPECT_EQ(image.row_stride, 2u);
  EXPECT_EQ(image.row(0)[0], 0b10101010);
  EXPECT_EQ(image.row(0)[1], 0b10000000);
  EXPECT_EQ(image.row(1)[0], 0);
  EXPECT_EQ(image.row(1)[1], 0b10000000);  // the ninth pixel in bit 7 of the second byte
  EXPECT_EQ(image.palette_count, 2);
}

TEST(PackIndices, SixteenColoursPackToFourBitsAndSeventeenStay) {
  ImageRecord image = palette_image(3, 1, 8, 16, 1);
  image.row(0)[0] = 0x1F;  // only the low nibble is an index
  image.row(0)[1] = 2;
  image.row(0)[2] = 15;
  ASSERT_EQ(image_pack_indices(image), NoError);
  EXPECT_EQ(image.bits_per_pixel, 4);
  EXPECT_EQ(image.row_stride, 4u);
  EXPECT_EQ(image.row(0)[0], 0xF2);
  EXPECT_EQ(image.row(0)[1], 0xF0);

  ImageRecord many = palette_image(3, 1, 8, 17);
  const std::vector<uint8_t> before = many.pixels;
  ASSERT_EQ(image_pack_indices(many), NoError);
  EXPECT_EQ(many.bits_per_pixel, 8);
  EXPECT_EQ(many.pixels, before);
}

TEST(SixteenToTwentyFour, WidensFiveBitChannels) {
  ImageRecord image;
  image.width = 1;
  image.height = 1;
  image.bits_per_pixel = 16;
  ASSERT_EQ(image_allocate(image), NoError);
  const uint16_t v = (31 << 10) | (1 << 5) | 2;
  image.pixels[0] = static_cast<uint8_t>(v);
  image.pixels[1] = static_cast<uint8_t>(v >> 8);
  ASSERT_EQ(image_16_to_24(image), NoError);
  EXPECT_EQ(image.bits_per_pixel, 24);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{16, 8, 248}));

  ImageRecord not16 = palette_image(1, 1, 8, 2);
  set_last_error(NoError);
  EXPECT_EQ(image_16_to_24(not16), BadBitsPerPixel);
  EXPECT_EQ(get_last_error(), NoError);
}

TEST(TrueColour, TransparentIndexGivesAlphaZeroExactlyThere) {
  ImageRecord image = palette_image(4, 2, 4, 16);
  image.transparent_index = 2;
  image.row(0)[0] = 0x21;
  image.row(0)[1] = 0x22;
  image.row(1)[0] = 0x03;
  ImageRecord colour;
  ASSERT_EQ(image_to_true_colour(image, colour), NoError);
  ASSERT_EQ(colour.bits_per_pixel, 32);
  const uint8_t expected_alpha[2][4] = {{0, 255, 0, 0}, {255, 255, 255, 255}};
  for (uint32_t y = 0; y < 2; ++y) {
    for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(colour.row(y)[4 * x + 3], expected_alpha[y][x]) << x << "," << y;
  }
  EXPECT_EQ(colour.row(1)[0], 0);
  EXPECT_EQ(colour.row(1)[1], 100);
  EXPECT_EQ(colour.row(1)[2], 200);
  EXPECT_EQ(colour.row(1)[4 + 2], 203);
}

TEST(TrueColour, IndicesOutsideThePaletteBecomeBlack) {
  ImageRecord image = palette_image(2, 1, 8, 2);
  image.row(0)[0] = 1;
  image.row(0)[1] = 250;
  ImageRecord colour;
  ASSERT_EQ(image_to_true_colour(image, colour), NoError);
  EXPECT_EQ(colour.bits_per_pixel, 24);
  EXPECT_EQ(std::vector<uint8_t>(colour.pixels.begin(), colour.pixels.begin() + 6),
            (std::vector<uint8_t>{1, 101, 201, 0, 0, 0}));
}

TEST(TrueColour, SixteenBitSourceIsWidenedAndEmptySourceRefused) {
  ImageRecord image;
  image.width = 2;
  image.height = 1;
  image.bits_per_pixel = 16;
  ASSERT_EQ(image_allocate(image), NoError);
  ImageRecord colour;
  ASSERT_EQ(image_to_true_colour(image, colour), NoError);
  EXPECT_EQ(colour.bits_per_pixel, 24);
  EXPECT_EQ(image.bits_per_pixel, 16);

  ImageRecord empty;
  EXPECT_EQ(image_to_true_colour(empty, colour), BadImageSize);
  EXPECT_TRUE(colour.pixels.empty());
}

TEST(Grey, WeightedLevels) {
  const uint8_t red[3] = {0, 0, 255};
  const uint8_t white[3] = {255, 255, 255};
  const uint8_t black[3] = {0, 0, 0};
  EXPECT_EQ(grey_value(red), 76);
  EXPECT_EQ(grey_value(white), 255);
  EXPECT_EQ(grey_value(black), 0);
}

TEST(Grey, TrueColourBecomesEightBitGreyWithRamp) {
  ImageRecord image;
  image.width = 2;
  image.height = 1;
  image.bits_per_pixel = 24;
  image.pad_rows = 1;
  ASSERT_EQ(image_allocate(image), NoError);
  image.row(0)[2] = 255;  // red
  image.row(0)[3] = image.row(0)[4] = image.row(0)[5] = 255;
  ASSERT_EQ(image_to_grey(image), NoError);
  EXPECT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(image.row_stride, 4u);
  EXPECT_EQ(image.palette_count, 256);
  EXPECT_EQ(image.palette_entry_size, 4);
  EXPECT_EQ(image.row(0)[0], 76);
  EXPECT_EQ(image.row(0)[1], 255);
  EXPECT_EQ(image.palette[4 * 76 + 1], 76);
}

TEST(Grey, PaletteEntriesTurnGreyAndDesaturateSparesNearGreys) {
  ImageRecord image = palette_image(1, 1, 8, 2);
  ASSERT_EQ(image_to_grey(image), NoError);
  EXPECT_EQ(image.palette[3], image.palette[4]);
  EXPECT_EQ(image.palette[4], image.palette[5]);

  ImageRecord colour;
  colour.width = 2;
  colour.height = 1;
  colour.bits_per_pixel = 32;
  ASSERT_EQ(image_allocate(colour), NoError);
  const uint8_t pixels[8] = {10, 11, 12, 7, 0, 0, 255, 9};
  std::copy(pixels, pixels + 8, colour.pixels.begin());
  ASSERT_EQ(image_desaturate(colour), NoError);
  EXPECT_EQ(colour.pixels, (std::vector<uint8_t>{10, 11, 12, 7, 76, 76, 76, 9}));
  EXPECT_EQ(image_desaturate(image), BadBitsPerPixel);
}

}  // namespace
