// Narrowing grey true-colour records and preparing records for a target.
#include <gtest/gtest.h>

#include <array>

#include "imagelib/conversion.h"
#include "imagelib/grey_narrowing.h"
#include "imagelib/record_checks.h"

namespace {

// A 24-bit record whose pixel (x, y) has the bytes of level(x, y), rows padded
// to four bytes when padded.
template <typename Level>
ImageRecord true_colour(uint32_t width, uint32_t height, bool padded, Level level) {
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = 24;
  image.pad_rows = padded ? 1 : 0;
  EXPECT_EQ(image_allocate(image), NoError);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const std::array<uint8_t, 3> bytes = level(x, y);
      std::copy(bytes.begin(), bytes.end(), image.row(y) + 3 * x);
    }
  }
  return image;
}

ConversionSettings with_ppi(int32_t ppi) {
  ConversionSettings settings;
  settings.ppi = ppi;
  return settings;
}

std::array<uint8_t, 3> grey_level(uint32_t x, uint32_t y) {
  const auto v = static_cast<uint8_t>(x + 16 * y);
  return {v, v, v};
}

TEST(GreyNarrowing, EveryLevelKeepsItsValueInPaddedAndPackedRows) {
  for (const bool padded : {false, true}) {
    ImageRecord image = true_colour(16, 16, padded, grey_level);  // all 256 levels
    image.ppi = 1000;
    ASSERT_TRUE(record_is_grey_true_colour(image));
    ASSERT_EQ(narrow_grey_record(image), NoError);
    EXPECT_EQ(image.bits_per_pixel, 8);
    EXPECT_EQ(image.palette_count, 256u);
    EXPECT_EQ(image.ppi, 1000);
    for (uint32_t y = 0; y < 16; ++y) {
      for (uint32_t x = 0; x < 16; ++x) ASSERT_EQ(image.row(y)[x], x + 16 * y) << padded;
    }
    for (uint32_t i = 0; i < 256; ++i) {
      const uint8_t* entry = palette_entry(image, i);
      ASSERT_NE(entry, nullptr);
      EXPECT_TRUE(entry[0] == i && entry[1] == i && entry[2] == i);
    }
  }
}

TEST(GreyNarrowing, AnyColouredPixelOrOtherDepthLeavesTheRecordAsItIs) {
  ImageRecord colour = true_colour(9, 5, true, grey_level);
  colour.row(4)[3 * 8 + 1] ^= 1;  // the last pixel read, slightly green
  EXPECT_FALSE(record_is_grey_true_colour(colour));
  const ImageRecord before = colour;
  ASSERT_EQ(narrow_grey_record(colour), NoError);
  EXPECT_EQ(colour.bits_per_pixel, 24);
  EXPECT_EQ(colour.pixels, before.pixels);

  ImageRecord grey = true_colour(4, 4, false, grey_level);
  grey.bits_per_pixel = 32;  // the same bytes read as 32-bit pixels
  EXPECT_FALSE(record_is_grey_true_colour(grey));
  ImageRecord short_pixels = true_colour(4, 4, false, grey_level);
  short_pixels.pixels.resize(10);  // rows the buffer does not hold
  EXPECT_FALSE(record_is_grey_true_colour(short_pixels));
  EXPECT_EQ(narrow_grey_record(short_pixels), NoError);
  EXPECT_EQ(short_pixels.bits_per_pixel, 24);
}

TEST(Conversion, TheResolutionTravelsUnlessTheSettingsNameOne) {
  ImageRecord image = true_colour(8, 8, false, grey_level);
  image.ppi = 600;
  ASSERT_EQ(prepare_for_target(image, "out.png", {}), NoError);
  EXPECT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(image.ppi, 600);
  ImageInfo info;
  EXPECT_EQ(target_info("in.png", "out.png", image, {}, info), nullptr);
  ConversionSettings settings;
  settings.bitrate = 1.5;
  settings.comment = "card";
  const ImageInfo* wsq = target_info("in.png", "out.wsq", image, settings, info);
  ASSERT_NE(wsq, nullptr);
  EXPECT_EQ(wsq->ppi, 600);
  EXPECT_EQ(wsq->bitrate, 1.5);
  EXPECT_EQ(wsq->comment, "card");

  ASSERT_EQ(prepare_for_target(image, "out.tif", with_ppi(-1)), NoError);
  EXPECT_EQ(image.ppi, -1);
  // Without a resolution a WSQ source keeps none, any other gets the default.
  EXPECT_EQ(target_info("in.wsq", "out.wsq", image, {}, info)->ppi, -1);
  EXPECT_EQ(target_info("in.bmp", "out.WSQ", image, {}, info)->ppi, kDefaultWsqPpi);
  EXPECT_EQ(target_info("in.bmp", "out.wsq", image, with_ppi(750), info)->ppi, 750);
}

TEST(Conversion, AColourPaletteBecomesTrueColourForAWsqTargetOnly) {
  ImageRecord image;
  image.width = 3;
  image.height = 2;
  image.bits_per_pixel = 8;
  image.palette_count = 2;
  image.ppi = 300;
  ASSERT_EQ(image_allocate(image), NoError);
  image.palette[2] = 200;  // entry 0 red
  image.row(1)[2] = 1;
  ImageRecord for_png = image;
  ASSERT_EQ(prepare_for_target(for_png, "out.png", {}), NoError);
  EXPECT_EQ(for_png.bits_per_pixel, 8);
  EXPECT_EQ(for_png.pixels, image.pixels);
  ASSERT_EQ(prepare_for_target(image, "out.wsq", {}), NoError);
  EXPECT_EQ(image.bits_per_pixel, 24);
  EXPECT_EQ(image.ppi, 300);
  EXPECT_EQ(image.row(0)[2], 200);
}

}  // namespace

namespace {

// A 4-bit record of two entries: the left half entry 0, the right half entry 1.
ImageRecord four_bit(const std::array<uint8_t, 3>& left, const std::array<uint8_t, 3>& right) {
  ImageRecord image;
  image.width = 8;
  image.height = 4;
  image.bits_per_pixel = 4;
  image.palette_count = 2;
  EXPECT_EQ(image_allocate(image), NoError);
  std::copy(left.begin(), left.end(), image.palette.begin());
  std::copy(right.begin(), right.end(), image.palette.begin() + image.palette_entry_size);
  for (uint32_t y = 0; y < 4; ++y) image.row(y)[2] = image.row(y)[3] = 0x11;
  return image;
}

TEST(Conversion, FewerThanEightBitsAreWidenedForAJpegTargetAndGreyNarrowedAgain) {
  ImageRecord colour = four_bit({0, 0, 255}, {255, 0, 0});
  colour.ppi = 200;
  ASSERT_EQ(prepare_for_target(colour, "out.jpg", {}), NoError);
  EXPECT_EQ(colour.bits_per_pixel, 24);
  EXPECT_EQ(colour.ppi, 200);
  EXPECT_EQ(colour.row(0)[2], 255);     // left: red
  EXPECT_EQ(colour.row(0)[3 * 7], 255);  // right: blue

  ImageRecord grey = four_bit({0, 0, 0}, {255, 255, 255});
  ASSERT_EQ(prepare_for_target(grey, "out.JPG", {}), NoError);
  EXPECT_EQ(grey.bits_per_pixel, 8);
  EXPECT_EQ(grey.row(1)[0], 0);
  EXPECT_EQ(grey.row(1)[7], 255);

  ImageRecord kept = four_bit({0, 0, 255}, {255, 0, 0});
  ASSERT_EQ(prepare_for_target(kept, "out.png", {}), NoError);
  EXPECT_EQ(kept.bits_per_pixel, 4);
}

}  // namespace
