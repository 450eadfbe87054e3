// Loading and saving by file extension, and the BGRA conversions.
#include <gtest/gtest.h>

#include "imagelib/extension.h"
#include "imagelib/image_library.h"
#include "tests/imagelib/bmp_bytes.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

class Dispatch : public ::testing::Test {
 protected:
  std::string bmp_file(const std::string& name, int32_t width = 3, int32_t height = 2, uint16_t bits = 24) {
    const std::string path = dir.file(name);
    write_file_bytes(path, pattern_bmp(width, height, bits));
    return path;
  }
  TempDir dir;
};

TEST_F(Dispatch, ExtensionCaseIsIgnoredAndOnlyThreeLettersCount) {
  ImageRecord image;
  EXPECT_EQ(load_image(bmp_file("scan.Bmp"), image), NoError);
  EXPECT_EQ(image.width, 3u);
  EXPECT_EQ(load_image(bmp_file("scan.bmpx"), image), NoError);
  EXPECT_EQ(load_image(bmp_file("scan.jpeg"), image), UnsupportedExtension);
  EXPECT_EQ(get_last_error(), UnsupportedExtension);
  EXPECT_TRUE(image.pixels.empty());
  // .tiff goes to the TIFF reader, which does not take a bitmap file.
  const ImageLibraryError tiff = load_image(bmp_file("scan.tiff"), image);
  EXPECT_NE(tiff, NoError);
  EXPECT_NE(tiff, UnsupportedExtension);
}

TEST_F(Dispatch, NameWithoutDotFailsWithDifferentCodesOnLoadAndSave) {
  ImageRecord image;
  EXPECT_EQ(load_image(bmp_file("scan"), image), UnsupportedOption);
  EXPECT_EQ(get_last_error(), UnsupportedOption);
  ASSERT_EQ(load_image(bmp_file("scan.bmp"), image), NoError);
  EXPECT_EQ(save_image(image, dir.file("out")), UnsupportedExtension);
  EXPECT_EQ(get_last_error(), UnsupportedExtension);
  const uint8_t pixel[3] = {1, 2, 3};
  EXPECT_EQ(save_pixels(dir.file("out"), 3, 1, 1, pixel, true), UnsupportedExtension);
  BitmapHandle bitmap = image_to_dib_section(image);
  EXPECT_EQ(save_bitmap(bitmap.get(), dir.file("out")), UnsupportedExtension);
  EXPECT_EQ(save_bitmap(bitmap.get(), dir.file("out.xyz")), UnsupportedExtension);
  EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

TEST_F(Dispatch, DotInAFolderNameIsNoExtension) {
  std::filesystem::create_directory(dir.file("folder.bmp"));
  const std::string path = dir.file("folder.bmp/scan");
  write_file_bytes(path, pattern_bmp(2, 2, 24));
  ImageRecord image;
  EXPECT_EQ(load_image(path, image), UnsupportedOption);
}

TEST_F(Dispatch, LoadToBitmapPadsRowsAndReportsMissingFiles) {
  BitmapHandle bitmap = load_image_to_bitmap(bmp_file("a.bmp", 5, 2, 8), nullptr, nullptr);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->header.biBitCount, 8);
  EXPECT_EQ(bitmap->colour_table.size(), 256u);
  EXPECT_EQ(bitmap->colour_table[1].green, 254);
  EXPECT_FALSE(load_image_to_bitmap(dir.file("missing.bmp"), nullptr, nullptr));
  EXPECT_EQ(get_last_error(), CannotOpenFile);
}

TEST_F(Dispatch, SaveBitmapWritesThroughTheWriterOfTheExtension) {
  const std::string source = bmp_file("a.bmp", 5, 3, 24);
  BitmapHandle bitmap = load_image_to_bitmap(source, nullptr, nullptr);
  ASSERT_EQ(save_bitmap(bitmap.get(), dir.file("b.BMP")), NoError);
  EXPECT_EQ(read_file_bytes(dir.file("b.BMP")), read_file_bytes(source));
  EXPECT_EQ(save_bitmap(nullptr, dir.file("c.bmp")), BadBitmapHandle);
}

TEST_F(Dispatch, SavePixelsCopiesRowsInOrderAndSwapsRedAndBlue) {
  const uint8_t data[2 * 2 * 4] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  ASSERT_EQ(save_pixels(dir.file("p.bmp"), 4, 2, 2, data, false), NoError);
  ImageRecord image;
  ASSERT_EQ(load_image(dir.file("p.bmp"), image), NoError);
  ASSERT_EQ(image.bits_per_pixel, 24);  // bitmap files drop alpha
  EXPECT_EQ(std::vector<uint8_t>(image.row(0), image.row(0) + 6), (std::vector<uint8_t>{3, 2, 1, 7, 6, 5}));
  EXPECT_EQ(std::vector<uint8_t>(image.row(1), image.row(1) + 3), (std::vector<uint8_t>{11, 10, 9}));

  ASSERT_EQ(save_pixels(dir.file("q.bmp"), 3, 1, 1, data, true), NoError);
  ASSERT_EQ(load_image(dir.file("q.bmp"), image), NoError);
  EXPECT_EQ(std::vector<uint8_t>(image.row(0), image.row(0) + 3), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(save_pixels(dir.file("r.bmp"), 5, 1, 1, data, true), BadBitsPerPixel);
  EXPECT_EQ(save_pixels(dir.file("r.bmp"), 3, 0, 1, data, true), BadImageSize);
}

TEST_F(Dispatch, SavePixelsOfOneByteKeepsGreyLevels) {
  const uint8_t data[3] = {0, 90, 255};
  ASSERT_EQ(save_pixels(dir.file("g.bmp"), 1, 3, 1, data, false), NoError);
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> bgra;
  ASSERT_EQ(load_image_to_bgra(dir.file("g.bmp"), width, height, bgra, true), NoError);
  EXPECT_EQ(bgra, (std::vector<uint8_t>{0, 0, 0, 255, 90, 90, 90, 255, 255, 255, 255, 255}));
}

ImageRecord palette_record() {
  ImageRecord image;
  image.width = 2;
  image.height = 2;
  image.bits_per_pixel = 8;
  image.palette_count = 4;
  EXPECT_EQ(image_allocate(image), NoError);
  for (int i = 0; i < 4; ++i) {
    image.palette[3 * i] = static_cast<uint8_t>(i);             // blue
    image.palette[3 * i + 2] = static_cast<uint8_t>(100 + i);   // red
  }
  image.pixels = {3, 1, 0, 3};
  return image;
}

TEST(Bgra, TransparentIndexAndChannelOrder) {
  ImageRecord image = palette_record();
  image.transparent_index = 3;
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> buffer;
  ASSERT_EQ(image_to_bgra(image, width, height, buffer, false), NoError);
  EXPECT_EQ(width, 2u);
  EXPECT_EQ(height, 2u);
  EXPECT_EQ(buffer, (std::vector<uint8_t>{103, 0, 3, 0, 101, 0, 1, 255, 100, 0, 0, 255, 103, 0, 3, 0}));
  ASSERT_EQ(image_to_bgra(image, width, height, buffer, true), NoError);
  EXPECT_EQ(buffer[0], 3);
  EXPECT_EQ(buffer[2], 103);
}

TEST(Bgra, TrueColourDepthsAndFailures) {
  ImageRecord image;
  image.width = 1;
  image.height = 1;
  image.bits_per_pixel = 16;
  ASSERT_EQ(image_allocate(image), NoError);
  image.pixels = {0x1F, 0x7C};  // red 31, blue 31
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> buffer;
  ASSERT_EQ(image_to_bgra(image, width, height, buffer, true), NoError);
  EXPECT_EQ(buffer, (std::vector<uint8_t>{248, 0, 248, 255}));

  image.bits_per_pixel = 32;
  image.row_stride = 4;
  image.pixels = {1, 2, 3, 4};
  ASSERT_EQ(image_to_bgra(image, width, height, buffer, false), NoError);
  EXPECT_EQ(buffer, (std::vector<uint8_t>{3, 2, 1, 4}));

  image.pixels.clear();
  EXPECT_EQ(image_to_bgra(image, width, height, buffer, false), BadImagePointer);
  EXPECT_TRUE(buffer.empty());
  EXPECT_EQ(get_last_error(), BadImagePointer);

  ImageRecord no_palette = palette_record();
  no_palette.palette.clear();
  no_palette.palette_count = 0;
  EXPECT_EQ(image_to_bgra(no_palette, width, height, buffer, false), BadBitsPerPixel);
}

TEST_F(Dispatch, TheListedKeysAreExactlyTheOnesThatChooseAReaderOrAWriter) {
  const std::vector<std::string>& readable = readable_extension_keys();
  const std::vector<std::string>& writable = writable_extension_keys();
  EXPECT_EQ(readable.front(), "WSQ");
  for (const std::string& key : writable) {
    EXPECT_NE(std::find(readable.begin(), readable.end(), key), readable.end()) << key;
  }
  ImageRecord grey;
  grey.width = grey.height = 70;  // large enough for every writer
  grey.bits_per_pixel = 8;
  ASSERT_EQ(image_allocate(grey), NoError);
  for (uint32_t i = 0; i < 256; ++i) std::fill_n(grey.palette.data() + i * grey.palette_entry_size, 3, i);
  const ImageInfo info{.depth_or_quality = 90, .bitrate = 0.75, .ppi = 500, .comment = std::nullopt};
  for (const std::string& key : readable) {
    const std::string name = dir.file("image." + key);
    const bool writes = std::find(writable.begin(), writable.end(), key) != writable.end();
    EXPECT_EQ(save_image(grey, name, &info), writes ? NoError : UnsupportedExtension) << key;
    ImageRecord image;
    // A written file reads back; a key without a writer still has a reader.
    EXPECT_EQ(load_image(writes ? name : dir.file("missing." + key), image), writes ? NoError : CannotOpenFile) << key;
  }
  EXPECT_EQ(save_image(grey, dir.file("image.xyz"), &info), UnsupportedExtension);
  EXPECT_EQ(std::find(readable.begin(), readable.end(), "XYZ"), readable.end());
}

}  // namespace
