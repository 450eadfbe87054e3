// Targa writer tests: header choices, colour-map byte order, and round trips
// through the reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "imagelib/formats/tga.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

ImageRecord make_record(uint32_t width, uint32_t height, uint8_t bits, int32_t pad_rows = 0,
                        uint16_t palette_count = 0) {
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bits;
  image.pad_rows = pad_rows;
  image.palette_count = palette_count;
  EXPECT_EQ(image_allocate(image), NoError);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i * 7 + 1);
  return image;
}

void set_grey_palette(ImageRecord& image, bool reversed) {
  for (size_t j = 0; j < image.palette_count; ++j) {
    const auto level = static_cast<uint8_t>(reversed ? 255 - j : j);
    for (size_t i = 0; i < 3; ++i) image.palette[j * image.palette_entry_size + i] = level;
  }
}

// The first width x bytes of every row, bottom row first.
Bytes pixel_rows(const ImageRecord& image) {
  Bytes out;
  const size_t size = (size_t{image.bits_per_pixel} * image.width + 7) / 8;
  for (uint32_t y = 0; y < image.height; ++y) out.insert(out.end(), image.row(y), image.row(y) + size);
  return out;
}

class TgaWriteTest : public ::testing::Test {
 protected:
  // Writes the record, checks it reads back, and returns the file's bytes.
  Bytes write_and_read(const ImageRecord& source) {
    EXPECT_EQ(write_tga(path, source), NoError);
    EXPECT_EQ(read_tga(path, back), NoError);
    return read_file_bytes(path);
  }

  TempDir dir;
  std::string path = dir.file("out.tga");
  ImageRecord back;
};

TEST_F(TgaWriteTest, TrueColourRoundTripsTopRowFirst) {
  for (const uint8_t bits : {16, 24, 32}) {
    const ImageRecord source = make_record(3, 2, bits, 1);
    const Bytes file = write_and_read(source);
    EXPECT_EQ(file[2], 2);
    EXPECT_EQ(file[16], bits);
    EXPECT_EQ(file[17], bits == 32 ? 0x28 : 0x20);
    const size_t row_size = 3u * bits / 8;
    ASSERT_EQ(file.size(), 18 + 2 * row_size);
    EXPECT_EQ(Bytes(file.begin() + 18, file.begin() + 18 + row_size), Bytes(source.row(1), source.row(1) + row_size));
    EXPECT_EQ(back.bits_per_pixel, bits);
    EXPECT_EQ(pixel_rows(back), pixel_rows(source));
  }
}

TEST_F(TgaWriteTest, ColourMapStoresEntriesLikePixels) {
  // 3- and 4-byte palettes without alpha both give a 24-bit map, blue first.
  for (const int32_t pad_rows : {0, 1}) {
    ImageRecord source = make_record(2, 2, 8, pad_rows, 2);
    for (size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] &= 1;
    source.palette[0] = 1;
    source.palette[1] = 2;
    source.palette[2] = 3;
    const Bytes file = write_and_read(source);
    EXPECT_EQ(file[1], 1);
    EXPECT_EQ(file[2], 1);
    EXPECT_EQ(file[5], 2);
    EXPECT_EQ(file[7], 24);
    EXPECT_EQ(file[17], 0x20);
    EXPECT_EQ(Bytes(file.begin() + 18, file.begin() + 21), (Bytes{1, 2, 3}));
    ASSERT_EQ(file.size(), 18u + 2 * 3 + 4);
    back.pad_rows = pad_rows;
    ASSERT_EQ(read_tga(path, back), NoError);
    EXPECT_EQ(back.palette, source.palette);
    EXPECT_EQ(pixel_rows(back), pixel_rows(source));
  }
}

TEST_F(TgaWriteTest, PaletteAlphaGivesAThirtyTwoBitMap) {
  ImageRecord source = make_record(2, 1, 8, 1, 2);
  for (size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] &= 1;
  source.palette = {1, 2, 3, 255, 4, 5, 6, 0};
  const Bytes file = write_and_read(source);
  EXPECT_EQ(file[7], 32);
  EXPECT_EQ(file[17], 0x28);
  EXPECT_EQ(Bytes(file.begin() + 18, file.begin() + 26), source.palette);
  back.pad_rows = 1;
  ASSERT_EQ(read_tga(path, back), NoError);
  EXPECT_EQ(back.palette, source.palette);
}

TEST_F(TgaWriteTest, TransparentIndexGoesIntoThirtyTwoBitMapAndBack) {
  ImageRecord source = make_record(2, 1, 8, 0, 256);
  set_grey_palette(source, false);  // a grey ramp, written as a map all the same
  source.transparent_index = 7;
  const Bytes file = write_and_read(source);
  EXPECT_EQ(file[2], 1);
  EXPECT_EQ(file[7], 32);
  EXPECT_EQ(Bytes(file.begin() + 18 + 6 * 4, file.begin() + 18 + 8 * 4), (Bytes{6, 6, 6, 255, 7, 7, 7, 0}));
  EXPECT_EQ(back.transparent_index, 7);
  EXPECT_EQ(pixel_rows(back), pixel_rows(source));
}

TEST_F(TgaWriteTest, OnlyTheIdentityGreyRampIsWrittenAsGreySamples) {
  ImageRecord identity = make_record(4, 2, 8, 0, 256);
  set_grey_palette(identity, false);
  Bytes file = write_and_read(identity);
  EXPECT_EQ(file[1], 0);
  EXPECT_EQ(file[2], 3);
  EXPECT_EQ(file.size(), 18u + 8);
  EXPECT_EQ(pixel_rows(back), pixel_rows(identity));

  // A reversed ramp is grey too, but its indices are not its grey levels.
  ImageRecord reversed = make_record(4, 2, 8, 0, 256);
  set_grey_palette(reversed, true);
  file = write_and_read(reversed);
  EXPECT_EQ(file[1], 1);
  EXPECT_EQ(file[2], 1);
  EXPECT_EQ(back.palette, reversed.palette);
  EXPECT_EQ(pixel_rows(back), pixel_rows(reversed));
}

TEST_F(TgaWriteTest, SmallDepthsAreWrittenOneIndexPerPixel) {
  ImageRecord four = make_record(3, 2, 4, 0, 16);
  set_grey_palette(four, false);
  Bytes file = write_and_read(four);
  EXPECT_EQ(file[2], 1);
  EXPECT_EQ(file[16], 8);
  const size_t data = 18 + 16 * 3;
  ASSERT_EQ(file.size(), data + 6);
  // Top row first: the record's row 1, one index per pixel, high nibble first.
  EXPECT_EQ(Bytes(file.begin() + data, file.begin() + data + 3),
            (Bytes{static_cast<uint8_t>(four.row(1)[0] >> 4), static_cast<uint8_t>(four.row(1)[0] & 15),
                   static_cast<uint8_t>(four.row(1)[1] >> 4)}));

  const ImageRecord one = make_record(9, 1, 1);
  file = write_and_read(one);
  EXPECT_EQ(back.bits_per_pixel, 8);
  for (uint32_t x = 0; x < 9; ++x) {
    EXPECT_EQ(back.row(0)[x], (one.row(0)[x / 8] >> (7 - x % 8)) & 1) << x;
  }
}

TEST_F(TgaWriteTest, FailuresLeaveExistingFilesUntouched) {
  write_file_bytes(path, {1, 2, 3});
  ImageRecord empty;
  EXPECT_EQ(write_tga(path, empty), BadImagePointer);
  ImageRecord wide = make_record(70000, 1, 8);
  EXPECT_EQ(write_tga(path, wide), BadImageSize);
  EXPECT_EQ(get_last_error(), BadImageSize);
  EXPECT_EQ(read_file_bytes(path), (Bytes{1, 2, 3}));
  EXPECT_EQ(write_tga(dir.file("no/such/folder.tga"), make_record(1, 1, 24)), CannotOpenFile);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
