// The platform bitmap model and the conversions between records and bitmaps.
#include <gtest/gtest.h>

#include "imagelib/image_library.h"

namespace {

ImageRecord record(uint32_t width, uint32_t height, uint8_t bits, int32_t pad_rows = 1) {
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bits;
  image.pad_rows = pad_rows;
  EXPECT_EQ(image_allocate(image), NoError);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i * 7 + 1);
  return image;
}

class BackgroundReset : public ::testing::Test {
 protected:
  void TearDown() override {
    const uint8_t black[4] = {0, 0, 0, 0};
    set_background_colour(black);
    image_free(*background_image());
  }
};

TEST(BitmapInfo, BitCountIsRoundedUpToAPlatformDepth) {
  BitmapInfo info = get_bitmap_info(3, 2, 2, 0);
  EXPECT_EQ(info.header.biBitCount, 4);
  EXPECT_EQ(info.header.biClrUsed, 16u);
  info = get_bitmap_info(3, 2, 15, 0);
  EXPECT_EQ(info.header.biBitCount, 16);
  EXPECT_EQ(info.header.biClrUsed, 0u);
  info = get_bitmap_info(3, 2, 40, 0);
  EXPECT_EQ(info.header.biBitCount, 8);
  EXPECT_EQ(info.header.biClrUsed, 256u);
  EXPECT_EQ(info.header.biClrImportant, 256u);
  info = get_bitmap_info(3, 2, 24, 0);
  EXPECT_EQ(info.header.biSizeImage, 24u);
  EXPECT_EQ(info.header.biSize, 40u);
  EXPECT_EQ(info.header.biPlanes, 1);
}

TEST(BitmapModel, ObjectQueryAnswersBySize) {
  DibSectionObject object;
  EXPECT_EQ(get_object(nullptr, object), 0);
  uint8_t* bits = nullptr;
  BitmapHandle section = create_dib_section(get_bitmap_info(5, 3, 8, 0), &bits);
  ASSERT_TRUE(section);
  EXPECT_EQ(bits, section->bits.data());
  EXPECT_EQ(get_object(section.get(), object), kDibSectionObjectSize);
  EXPECT_EQ(object.dsBmih.biWidth, 5);
  EXPECT_EQ(object.dsBm.bmWidthBytes, 8);
  EXPECT_EQ(section->colour_table.size(), 256u);

  BitmapHandle device = create_device_bitmap(5, 3, 24);
  ASSERT_TRUE(device);
  EXPECT_EQ(get_object(device.get(), object), kBitmapObjectSize);
  EXPECT_EQ(object.dsBm.bmBitsPixel, 24);
  RgbQuad colours[4];
  EXPECT_EQ(get_dib_colour_table(device.get(), 0, 4, colours), 0u);

  device->bits.resize(10);  // shorter than its rows: no longer a valid object
  EXPECT_EQ(get_object(device.get(), object), 0);
}

TEST(BitmapModel, CreationRefusesBadHeadersAndColourTablesClamp) {
  EXPECT_FALSE(create_dib_section(get_bitmap_info(0, 3, 8, 0), nullptr));
  EXPECT_FALSE(create_dib_section(get_bitmap_info(3, 3, 8, 1), nullptr));
  EXPECT_FALSE(create_dib_section(get_bitmap_info(1 << 30, 1 << 10, 32, 0), nullptr));
  BitmapInfo info = get_bitmap_info(2, 2, 1, 0);
  info.header.biClrUsed = 2;
  BitmapHandle section = create_dib_section(info, nullptr);
  ASSERT_TRUE(section);
  const RgbQuad colours[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  EXPECT_EQ(set_dib_colour_table(section.get(), 0, 3, colours), 2u);
  EXPECT_EQ(set_dib_colour_table(section.get(), 2, 1, colours), 0u);
  RgbQuad read[2];
  EXPECT_EQ(get_dib_colour_table(section.get(), 1, 2, read), 1u);
  EXPECT_EQ(read[0].red, 6);
}

TEST(BitmapModel, DibBitsCopyRowsBottomFirstInTheBitmapsOwnFormat) {
  BitmapHandle device = create_device_bitmap(2, 3, 32);
  ASSERT_TRUE(device);
  for (size_t i = 0; i < device->bits.size(); ++i) device->bits[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> rows(24);
  EXPECT_EQ(get_dib_bits(device.get(), 1, 5, rows.data(), get_bitmap_info(2, 3, 32, 0)), 2);
  EXPECT_EQ(rows[0], 8);
  EXPECT_EQ(get_dib_bits(device.get(), 0, 3, rows.data(), get_bitmap_info(2, 3, 24, 0)), 0);
  EXPECT_EQ(get_dib_bits(device.get(), 3, 1, rows.data(), get_bitmap_info(2, 3, 32, 0)), 0);
}

TEST(BitmapConversion, RecordRoundTripsThroughADibSection) {
  for (const uint8_t bits : {1, 4, 8, 16, 24, 32}) {
    for (const int32_t pad_rows : {0, 1}) {
      ImageRecord image = record(5, 3, bits, pad_rows);
      for (size_t i = 0; i < image.palette.size(); i += image.palette_entry_size) {
        image.palette[i] = static_cast<uint8_t>(i);
        image.palette[i + 2] = static_cast<uint8_t>(i + 1);
      }
      BitmapHandle section = image_to_dib_section(image);
      ASSERT_TRUE(section) << int(bits);
      ImageRecord back;
      ASSERT_EQ(image_from_bitmap(section.get(), back, 0), NoError);
      EXPECT_EQ(back.bits_per_pixel, bits);
      EXPECT_EQ(back.pad_rows, 1);
      EXPECT_EQ(back.palette_count, image.palette_count);
      const size_t used = (bits * 5 + 7) / 8;
      for (uint32_t y = 0; y < 3; ++y) {
        EXPECT_TRUE(std::equal(image.row(y), image.row(y) + used, back.row(y))) << int(bits) << " row " << y;
      }
      for (uint32_t i = 0; i < image.palette_count; ++i) {
        EXPECT_EQ(back.palette[4 * i + 2], image.palette[i * image.palette_entry_size + 2]);
      }
    }
  }
}

TEST(BitmapConversion, FromBitmapFailures) {
  ImageRecord image = record(2, 2, 24);
  EXPECT_EQ(image_from_bitmap(nullptr, image, 0), BadBitmapHandle);
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_EQ(get_last_error(), BadBitmapHandle);

  BitmapHandle palette_device = create_device_bitmap(2, 2, 8);
  EXPECT_EQ(image_from_bitmap(palette_device.get(), image, 0), BadBitsPerPixel);

  BitmapHandle broken = create_device_bitmap(2, 2, 24);
  broken->bits.clear();
  EXPECT_EQ(image_from_bitmap(broken.get(), image, 0), PlatformApiError);
  EXPECT_STRNE(get_last_error_message(), "No Error");

  BitmapHandle big = create_device_bitmap(11, 10, 24);
  image.max_pixels = 100;
  EXPECT_EQ(image_from_bitmap(big.get(), image, 0), BadImageSize);
}

TEST(BitmapConversion, DeviceBitmapOf32BitsBecomesOpaque) {
  BitmapHandle device = create_device_bitmap(2, 1, 32);
  device->bits = {1, 2, 3, 0, 4, 5, 6, 77};
  ImageRecord image;
  ASSERT_EQ(image_from_bitmap(device.get(), image, 1), NoError);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255}));
}

TEST(BitmapConversion, TopDownSectionGivesBottomUpRecord) {
  BitmapHandle section = create_dib_section(get_bitmap_info(1, 2, 8, 0), nullptr);
  section->header.biHeight = -2;
  section->bits = {10, 0, 0, 0, 20, 0, 0, 0};  // top row first
  ImageRecord image;
  ASSERT_EQ(image_from_bitmap(section.get(), image, 0), NoError);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.row(0)[0], 20);
  EXPECT_EQ(image.row(1)[0], 10);
}

TEST_F(BackgroundReset, UnblendTakesTheBackgroundOutOfDibSectionPixels) {
  const uint8_t grey[4] = {0, 0, 100, 0};  // red, green, blue, spare
  set_background_colour(grey);
  ImageRecord image = record(1, 1, 32);
  image.pixels = {100, 128, 50, 128};
  BitmapHandle section = image_to_dib_section(image);
  ImageRecord back;
  ASSERT_EQ(image_from_bitmap(section.get(), back, 1), NoError);
  EXPECT_EQ(back.pixels[0], 100);  // blue against the background blue
  EXPECT_EQ(back.pixels[1], 255);
  EXPECT_EQ(back.pixels[2], 99);   // red against the background red
  EXPECT_EQ(back.pixels[3], 128);
}

TEST_F(BackgroundReset, TransparentPaletteEntryTakesTheBackgroundColour) {
  const uint8_t colour[4] = {10, 20, 30, 0};
  set_background_colour(colour);
  ImageRecord image = record(2, 2, 8, 0);
  image.transparent_index = 3;
  BitmapHandle section = image_to_dib_section(image);
  ASSERT_TRUE(section);
  EXPECT_EQ(section->colour_table[3].blue, 30);
  EXPECT_EQ(section->colour_table[3].red, 10);
  EXPECT_EQ(section->colour_table[2].red, 0);
}

TEST_F(BackgroundReset, CompositeOverColour) {
  const uint8_t white[4] = {255, 255, 255, 0};
  set_background_colour(white);
  ImageRecord image = record(1, 1, 32);
  image.pixels = {0, 0, 0, 0};
  BitmapHandle section = image_to_dib_section(image, CompositeOverColour);
  EXPECT_EQ(std::vector<uint8_t>(section->bits.begin(), section->bits.end()), (std::vector<uint8_t>{255, 255, 255, 0}));
  BitmapHandle plain = image_to_dib_section(image, CompositeNone);
  EXPECT_EQ(plain->bits[0], 0);
}

TEST_F(BackgroundReset, CompositeOverImageNeedsALargeEnoughBackground) {
  ImageRecord image = record(3, 2, 32);
  EXPECT_FALSE(image_to_dib_section(image, CompositeOverImage));
  EXPECT_EQ(get_last_error(), NoBackgroundImage);

  ASSERT_EQ(set_background_image(record(2, 2, 24)), NoError);
  EXPECT_FALSE(image_to_dib_section(image, CompositeOverImage));
  EXPECT_EQ(get_last_error(), BackgroundTooSmall);

  ImageRecord under = record(4, 2, 24);
  under.row(1)[0] = 90;
  ASSERT_EQ(set_background_image(under), NoError);
  image.row(1)[3] = 0;  // transparent: shows the background
  BitmapHandle section = image_to_dib_section(image, CompositeOverImage);
  ASSERT_TRUE(section);
  EXPECT_EQ(section->bits[section->row_size()], 90);
  EXPECT_EQ(background_image()->bits_per_pixel, 24);
}

TEST_F(BackgroundReset, BackgroundFromBitmapAndReset) {
  BitmapHandle device = create_device_bitmap(3, 3, 16);
  ASSERT_EQ(set_background_from_bitmap(device.get()), NoError);
  EXPECT_EQ(background_image()->bits_per_pixel, 24);
  EXPECT_EQ(background_image()->width, 3u);
  EXPECT_EQ(set_background_from_bitmap(nullptr), BadBitmapHandle);
  EXPECT_EQ(background_image()->width, 3u);
  reset_background();
  EXPECT_EQ(background_image()->width, 0u);
  EXPECT_EQ(background_colour()[BackgroundRed], 255);
  EXPECT_EQ(background_colour()[BackgroundSpare], 0);
}

TEST(BitmapConversion, ToDibSectionRefusesRecordsWithoutPixels) {
  ImageRecord empty;
  empty.width = 2;
  empty.height = 2;
  empty.bits_per_pixel = 24;
  EXPECT_FALSE(image_to_dib_section(empty));
  EXPECT_EQ(get_last_error(), BadImagePointer);
}

}  // namespace
