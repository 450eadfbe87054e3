#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <jpeglib.h>

#include "imagelib/formats/jpeg.h"
#include "imagelib/image_library.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "wsq/diagnostics.h"

namespace {

// Writes a JPEG with libjpeg from interleaved rows, top first.
void make_jpeg(const std::string& path, uint32_t width, uint32_t height, J_COLOR_SPACE space, int components,
               std::vector<uint8_t> samples) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  for (uint32_t y = 0; y < height; ++y) {
    JSAMPROW row = samples.data() + static_cast<size_t>(y) * width * components;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
}

// The number of components in the frame header of a JPEG file.
int frame_components(const std::string& path) {
  const std::vector<uint8_t> bytes = read_file_bytes(path);
  for (size_t i = 0; i + 9 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) return bytes[i + 9];
  }
  return 0;
}

bool near(int a, int b) { return std::abs(a - b) <= 3; }

ImageRecord solid_record(uint8_t bits, uint32_t width = 8, uint32_t height = 8) {
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bits;
  EXPECT_EQ(image_allocate(image), NoError);
  return image;
}

class JpegTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) { return dir_.file(name); }
  TempDir dir_;
};

TEST_F(JpegTest, GreyReadsAsEightBitsWithIdentityPalette) {
  std::vector<uint8_t> samples(16 * 16);
  for (uint32_t y = 0; y < 16; ++y) std::fill_n(samples.begin() + y * 16, 16, y < 8 ? 40 : 200);
  make_jpeg(path("grey.jpg"), 16, 16, JCS_GRAYSCALE, 1, samples);
  ImageRecord image;
  ASSERT_EQ(read_jpeg(path("grey.jpg"), image), NoError);
  ASSERT_EQ(image.bits_per_pixel, 8);
  EXPECT_TRUE(near(image.row(15)[3], 40));  // top of the picture is the last row
  EXPECT_TRUE(near(image.row(0)[3], 200));
  EXPECT_EQ(image.palette[3 * 90 + 1], 90);
}

TEST_F(JpegTest, ColourReadsAsBlueGreenRed) {
  std::vector<uint8_t> samples;
  for (int i = 0; i < 64; ++i) samples.insert(samples.end(), {250, 128, 10});
  make_jpeg(path("rgb.jpg"), 8, 8, JCS_RGB, 3, samples);
  ImageRecord image;
  ASSERT_EQ(read_jpeg(path("rgb.jpg"), image), NoError);
  ASSERT_EQ(image.bits_per_pixel, 24);
  EXPECT_TRUE(near(image.pixels[0], 10));
  EXPECT_TRUE(near(image.pixels[1], 128));
  EXPECT_TRUE(near(image.pixels[2], 250));
}

TEST_F(JpegTest, CmykIsRefused) {
  make_jpeg(path("cmyk.jpg"), 8, 8, JCS_CMYK, 4, std::vector<uint8_t>(8 * 8 * 4, 100));
  ImageRecord image;
  EXPECT_EQ(read_jpeg(path("cmyk.jpg"), image), UnsupportedOption);
  EXPECT_TRUE(image.pixels.empty());
}

TEST_F(JpegTest, DamagedAndTruncatedFilesFailWithTheLibraryMessage) {
  std::vector<uint8_t> samples(32 * 32);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 37);
  make_jpeg(path("good.jpg"), 32, 32, JCS_GRAYSCALE, 1, samples);
  const std::vector<uint8_t> bytes = read_file_bytes(path("good.jpg"));
  write_file_bytes(path("cut.jpg"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
  write_file_bytes(path("header.jpg"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 30));
  ImageRecord image;
  for (const char* name : {"cut.jpg", "header.jpg"}) {
    CapturedDiagnostics diagnostics;
    EXPECT_EQ(read_jpeg(path(name), image), CorruptFile) << name;
    EXPECT_FALSE(diagnostics.text().empty()) << name;
    EXPECT_TRUE(image.pixels.empty());
  }
  EXPECT_EQ(read_jpeg(path("missing.jpg"), image), CannotOpenFile);
  image.max_pixels = 100;
  EXPECT_EQ(read_jpeg(path("good.jpg"), image), BadImageSize);
}

TEST_F(JpegTest, GreyPalettesAreWrittenAsGreyLevels) {
  ImageRecord ramp = solid_record(8);
  std::fill(ramp.pixels.begin(), ramp.pixels.end(), 60);
  for (uint32_t i = 0; i < 256; ++i) std::fill_n(ramp.palette.begin() + 3 * i, 3, static_cast<uint8_t>(i));
  ASSERT_EQ(write_jpeg(path("ramp.jpg"), ramp, 90), NoError);
  EXPECT_EQ(frame_components(path("ramp.jpg")), 1);
  ImageRecord again;
  ASSERT_EQ(read_jpeg(path("ramp.jpg"), again), NoError);
  EXPECT_TRUE(near(again.pixels[0], 60));

  ImageRecord inverted = ramp;
  for (uint32_t i = 0; i < 256; ++i) std::fill_n(inverted.palette.begin() + 3 * i, 3, static_cast<uint8_t>(255 - i));
  ASSERT_EQ(write_jpeg(path("inverted.jpg"), inverted, 90), NoError);
  EXPECT_EQ(frame_components(path("inverted.jpg")), 1);
  ASSERT_EQ(read_jpeg(path("inverted.jpg"), again), NoError);
  EXPECT_TRUE(near(again.pixels[0], 195));

  ImageRecord colour = ramp;
  colour.palette[3 * 60] = 0;  // entry 60 turns yellow
  ASSERT_EQ(write_jpeg(path("colour.jpg"), colour, 90), NoError);
  EXPECT_EQ(frame_components(path("colour.jpg")), 3);
}

TEST_F(JpegTest, TrueColourRecordsAreWrittenAsRgbAndLowDepthsRefused) {
  ImageRecord rgba = solid_record(32);
  for (size_t i = 0; i < rgba.pixels.size(); i += 4) {
    rgba.pixels[i] = 30;
    rgba.pixels[i + 1] = 140;
    rgba.pixels[i + 2] = 220;
    rgba.pixels[i + 3] = 7;
  }
  ASSERT_EQ(write_jpeg(path("rgba.jpg"), rgba, 100), NoError);
  ImageRecord again;
  ASSERT_EQ(read_jpeg(path("rgba.jpg"), again), NoError);
  ASSERT_EQ(again.bits_per_pixel, 24);
  EXPECT_TRUE(near(again.pixels[0], 30));
  EXPECT_TRUE(near(again.pixels[2], 220));

  ImageRecord four = solid_record(4);
  write_file_bytes(path("keep.jpg"), {1});
  EXPECT_EQ(write_jpeg(path("keep.jpg"), four, 100), BadBitsPerPixel);
  EXPECT_EQ(get_last_error(), BadBitsPerPixel);
  EXPECT_EQ(read_file_bytes(path("keep.jpg")), std::vector<uint8_t>{1});
  EXPECT_EQ(write_jpeg(path("no/folder.jpg"), rgba, 100), CannotOpenFile);
}

TEST_F(JpegTest, LibraryFailureWhileWritingLeavesNoFile) {
  ImageRecord wide = solid_record(8, 70000, 1);  // beyond the JPEG dimension limit
  CapturedDiagnostics diagnostics;
  EXPECT_EQ(write_jpeg(path("wide.jpg"), wide, 100), CorruptFile);
  EXPECT_FALSE(diagnostics.text().empty());
  EXPECT_FALSE(std::filesystem::exists(path("wide.jpg")));
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

TEST_F(JpegTest, ExtensionDispatchUsesQualityHundredUnlessGiven) {
  ImageRecord image = solid_record(24, 16, 16);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i * 29);
  ASSERT_EQ(write_jpeg(path("q100.jpg"), image, 100), NoError);
  ASSERT_EQ(write_jpeg(path("q40.jpg"), image, 40), NoError);
  ASSERT_EQ(save_image(image, path("default.jpg")), NoError);
  EXPECT_EQ(read_file_bytes(path("default.jpg")), read_file_bytes(path("q100.jpg")));
  ImageInfo info;
  info.depth_or_quality = 40;
  ASSERT_EQ(save_image(image, path("given.jpg"), &info), NoError);
  EXPECT_EQ(read_file_bytes(path("given.jpg")), read_file_bytes(path("q40.jpg")));
  ImageRecord again;
  ASSERT_EQ(load_image(path("given.jpg"), again), NoError);
  EXPECT_EQ(again.bits_per_pixel, 24);
}

}  // namespace
