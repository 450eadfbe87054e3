#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "imagelib/formats/png.h"
#include "imagelib/image_library.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "wsq/diagnostics.h"

namespace {

// A PNG to be written by libpng for the reader to take.
struct PngSpec {
  uint32_t width = 4;
  uint32_t height = 2;
  int bit_depth = 8;
  int colour_type = PNG_COLOR_TYPE_GRAY;
  int interlace = PNG_INTERLACE_NONE;
  std::vector<png_color> palette;
  std::vector<png_byte> trans_alpha;
  const png_color_16* trans_colour = nullptr;
  const png_color_16* background = nullptr;
};

// rows: the packed rows, top first, one after another.
void make_png(const std::string& path, const PngSpec& spec, std::vector<uint8_t> rows) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, spec.width, spec.height, spec.bit_depth, spec.colour_type, spec.interlace,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!spec.palette.empty()) png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
  if (!spec.trans_alpha.empty() || spec.trans_colour != nullptr) {
    png_set_tRNS(png, info, spec.trans_alpha.empty() ? nullptr : spec.trans_alpha.data(),
                 spec.trans_alpha.empty() ? 1 : static_cast<int>(spec.trans_alpha.size()), spec.trans_colour);
  }
  if (spec.background != nullptr) png_set_bKGD(png, info, spec.background);
  png_write_info(png, info);
  if (spec.bit_depth == 16) png_set_swap(png);
  const size_t row_bytes = rows.size() / spec.height;
  std::vector<png_bytep> pointers;
  for (uint32_t y = 0; y < spec.height; ++y) pointers.push_back(rows.data() + y * row_bytes);
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

// The IHDR bit depth and colour type of a PNG file.
std::pair<int, int> png_kind(const std::string& path) {
  const std::vector<uint8_t> bytes = read_file_bytes(path);
  if (bytes.size() < 26) return {0, 0};
  return {bytes[24], bytes[25]};
}

const uint8_t* entry(const ImageRecord& image, int i) { return image.palette.data() + i * image.palette_entry_size; }
std::vector<uint8_t> bytes_of(const uint8_t* p, size_t n) { return {p, p + n}; }

class PngTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) { return dir_.file(name); }
  ImageRecord read(const std::string& name, const PngSpec& spec, const std::vector<uint8_t>& rows) {
    make_png(path(name), spec, rows);
    ImageRecord image;
    EXPECT_EQ(read_png(path(name), image), NoError);
    return image;
  }
  TempDir dir_;
};

TEST_F(PngTest, GreyReadsWithIdentityPaletteAndWritesBackUnchanged) {
  ImageRecord image = read("grey.png", {}, {0, 1, 2, 3, 250, 251, 252, 255});
  ASSERT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(image.row(1)[1], 1);
  EXPECT_EQ(image.row(0)[3], 255);
  EXPECT_EQ(entry(image, 200)[0], 200);
  ASSERT_EQ(write_png(path("out.png"), image), NoError);
  EXPECT_EQ(png_kind(path("out.png")), std::make_pair(8, 0));
  ImageRecord again;
  ASSERT_EQ(read_png(path("out.png"), again), NoError);
  EXPECT_EQ(again.pixels, image.pixels);
}

TEST_F(PngTest, LowDepthGreyGetsPalettesSpanningBlackToWhite) {
  PngSpec spec;
  spec.bit_depth = 1;
  ImageRecord one = read("one.png", spec, {0xA0, 0x50});
  ASSERT_EQ(one.bits_per_pixel, 1);
  EXPECT_EQ(entry(one, 1)[0], 255);
  EXPECT_EQ(one.row(1)[0], 0xA0);

  spec.bit_depth = 4;
  ImageRecord four = read("four.png", spec, {0x12, 0x34, 0x56, 0x7F});
  ASSERT_EQ(four.bits_per_pixel, 4);
  EXPECT_EQ(entry(four, 1)[0], 17);
  EXPECT_EQ(four.row(0)[1], 0x7F);

  spec.bit_depth = 2;
  ImageRecord two = read("two.png", spec, {0x1B, 0xE4});
  ASSERT_EQ(two.bits_per_pixel, 4);
  EXPECT_EQ(two.palette_count, 4);
  EXPECT_EQ(entry(two, 2)[0], 170);
  EXPECT_EQ(bytes_of(two.row(1), 2), (std::vector<uint8_t>{0x01, 0x23}));
}

TEST_F(PngTest, TwoBitPaletteKeepsItsFifthPixel) {
  PngSpec spec;
  spec.width = 5;
  spec.height = 1;
  spec.bit_depth = 2;
  spec.colour_type = PNG_COLOR_TYPE_PALETTE;
  spec.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  ImageRecord image = read("pal2.png", spec, {0x1B, 0x80});
  ASSERT_EQ(image.bits_per_pixel, 4);
  EXPECT_EQ(bytes_of(image.row(0), 3), (std::vector<uint8_t>{0x01, 0x23, 0x20}));
  EXPECT_EQ(entry(image, 1)[2], 255);
}

TEST_F(PngTest, SixteenBitRgbIsReducedToTwentyFourBits) {
  PngSpec spec;
  spec.width = 1;
  spec.height = 1;
  spec.bit_depth = 16;
  spec.colour_type = PNG_COLOR_TYPE_RGB;
  // Little-endian samples (the writer swaps them): red 0x1234, green 0x5678, blue 0x9ABC.
  ImageRecord image = read("rgb16.png", spec, {0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A});
  ASSERT_EQ(image.bits_per_pixel, 24);
  EXPECT_EQ(bytes_of(image.pixels.data(), 3), (std::vector<uint8_t>{0x9A, 0x56, 0x12}));
}

TEST_F(PngTest, PaletteTransparencyGivesAlphaOrATransparentIndex) {
  PngSpec spec;
  spec.width = 3;
  spec.height = 1;
  spec.colour_type = PNG_COLOR_TYPE_PALETTE;
  spec.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
  spec.trans_alpha = {0, 128};
  ImageRecord alpha = read("alpha.png", spec, {0, 1, 2});
  ASSERT_EQ(alpha.bits_per_pixel, 32);
  EXPECT_EQ(bytes_of(alpha.pixels.data(), 12), (std::vector<uint8_t>{30, 20, 10, 0, 60, 50, 40, 128, 90, 80, 70, 255}));

  spec.trans_alpha = {0};
  ImageRecord keyed = read("keyed.png", spec, {0, 1, 2});
  ASSERT_EQ(keyed.bits_per_pixel, 8);
  EXPECT_EQ(keyed.transparent_index, 0);

  // A background is only a display hint: the entry keeps its colour and
  // its alpha.
  spec.trans_alpha = {128};
  const png_color_16 third_entry = {2, 0, 0, 0, 0};  // bKGD of a palette image is an index
  spec.background = &third_entry;
  ImageRecord blended = read("blended.png", spec, {0, 1, 2});
  ASSERT_EQ(blended.bits_per_pixel, 32);
  EXPECT_EQ(bytes_of(blended.pixels.data(), 8), (std::vector<uint8_t>{30, 20, 10, 128, 60, 50, 40, 255}));

  // One fully transparent entry among opaque ones keeps the indices.
  spec.background = nullptr;
  spec.trans_alpha = {255, 255, 0};
  ImageRecord third = read("third.png", spec, {0, 1, 2});
  ASSERT_EQ(third.bits_per_pixel, 8);
  EXPECT_EQ(third.transparent_index, 2);
}

TEST_F(PngTest, KeyColoursBecomeTransparentWithOrWithoutABackground) {
  PngSpec spec;
  spec.width = 2;
  spec.height = 1;
  spec.colour_type = PNG_COLOR_TYPE_RGB;
  const png_color_16 key = {0, 1, 2, 3, 0};
  const png_color_16 background = {0, 200, 100, 50, 0};
  spec.trans_colour = &key;
  for (const png_color_16* shown : {static_cast<const png_color_16*>(nullptr), &background}) {
    spec.background = shown;
    ImageRecord image = read("rgbkey.png", spec, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(image.bits_per_pixel, 32);
    EXPECT_EQ(bytes_of(image.pixels.data(), 8), (std::vector<uint8_t>{3, 2, 1, 0, 6, 5, 4, 255}));
  }

  spec.colour_type = PNG_COLOR_TYPE_GRAY;
  const png_color_16 grey_key = {0, 0, 0, 0, 7};
  const png_color_16 grey_background = {0, 0, 0, 0, 99};
  spec.trans_colour = &grey_key;
  spec.background = &grey_background;
  ImageRecord grey = read("greykey.png", spec, {7, 8});
  ASSERT_EQ(grey.bits_per_pixel, 32);
  EXPECT_EQ(bytes_of(grey.pixels.data(), 8), (std::vector<uint8_t>{7, 7, 7, 0, 8, 8, 8, 255}));

  // 2-bit grey: the key is a 2-bit sample; levels span black to white.
  spec.bit_depth = 2;
  spec.width = 4;
  const png_color_16 low_key = {0, 0, 0, 0, 2};
  spec.trans_colour = &low_key;
  ImageRecord low = read("lowkey.png", spec, {0x1B});  // samples 0 1 2 3
  ASSERT_EQ(low.bits_per_pixel, 32);
  EXPECT_EQ(bytes_of(low.pixels.data(), 16),
            (std::vector<uint8_t>{0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 0, 255, 255, 255, 255}));
}

TEST_F(PngTest, SixteenBitKeysAreComparedAtSixteenBits) {
  PngSpec spec;
  spec.width = 2;
  spec.height = 1;
  spec.bit_depth = 16;
  spec.colour_type = PNG_COLOR_TYPE_RGB;
  // Both pixels strip to 1 2 3; only the first equals the key.
  const png_color_16 key = {0, 0x0100, 0x0200, 0x0300, 0};
  spec.trans_colour = &key;
  // Little-endian samples (the test writer swaps them).
  ImageRecord image = read("key16.png", spec, {0x00, 1, 0x00, 2, 0x00, 3, 0x01, 1, 0x00, 2, 0x00, 3});
  ASSERT_EQ(image.bits_per_pixel, 32);
  EXPECT_EQ(bytes_of(image.pixels.data(), 8), (std::vector<uint8_t>{3, 2, 1, 0, 3, 2, 1, 255}));
}

TEST_F(PngTest, TransparentIndexIsWrittenAsTrns) {
  ImageRecord image;
  image.width = 3;
  image.height = 1;
  image.bits_per_pixel = 8;
  image.palette_count = 256;
  ASSERT_EQ(image_allocate(image), NoError);
  for (size_t j = 0; j < 256; ++j) std::fill_n(image.palette.begin() + j * image.palette_entry_size, 3, j);
  image.pixels = {0, 5, 9};
  image.transparent_index = 5;  // a grey ramp, which would otherwise be grey samples
  ASSERT_EQ(write_png(path("out.png"), image), NoError);
  EXPECT_EQ(png_kind(path("out.png")), std::make_pair(8, PNG_COLOR_TYPE_PALETTE));
  ImageRecord back;
  ASSERT_EQ(read_png(path("out.png"), back), NoError);
  EXPECT_EQ(back.transparent_index, 5);
  EXPECT_EQ(bytes_of(back.pixels.data(), 3), (std::vector<uint8_t>{0, 5, 9}));
}

TEST_F(PngTest, AlphaChannelsAndInterlacingAreRead) {
  PngSpec spec;
  spec.width = 1;
  spec.height = 1;
  spec.colour_type = PNG_COLOR_TYPE_GRAY_ALPHA;
  ImageRecord grey = read("ga.png", spec, {77, 33});
  ASSERT_EQ(grey.bits_per_pixel, 32);
  EXPECT_EQ(bytes_of(grey.pixels.data(), 4), (std::vector<uint8_t>{77, 77, 77, 33}));

  spec.width = 9;
  spec.height = 9;
  spec.colour_type = PNG_COLOR_TYPE_GRAY;
  spec.interlace = PNG_INTERLACE_ADAM7;
  std::vector<uint8_t> rows(81);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i);
  ImageRecord interlaced = read("adam7.png", spec, rows);
  for (uint32_t y = 0; y < 9; ++y) EXPECT_EQ(interlaced.row(8 - y)[4], y * 9 + 4);
}

TEST_F(PngTest, RecordsAreWrittenInTheMatchingColourType) {
  ImageRecord rgba;
  rgba.width = 1;
  rgba.height = 1;
  rgba.bits_per_pixel = 32;
  ASSERT_EQ(image_allocate(rgba), NoError);
  rgba.pixels = {1, 2, 3, 4};
  ASSERT_EQ(write_png(path("rgba.png"), rgba), NoError);
  EXPECT_EQ(png_kind(path("rgba.png")), std::make_pair(8, 6));
  ImageRecord again;
  ASSERT_EQ(read_png(path("rgba.png"), again), NoError);
  EXPECT_EQ(again.pixels, rgba.pixels);

  ImageRecord rgb16 = rgba;
  rgb16.bits_per_pixel = 16;
  rgb16.row_stride = 2;
  rgb16.pixels = {0x1F, 0x7C};  // red and blue full
  ASSERT_EQ(write_png(path("rgb16.png"), rgb16), NoError);
  EXPECT_EQ(png_kind(path("rgb16.png")), std::make_pair(8, 2));
  ASSERT_EQ(read_png(path("rgb16.png"), again), NoError);
  EXPECT_EQ(bytes_of(again.pixels.data(), 3), (std::vector<uint8_t>{248, 0, 248}));
}

TEST_F(PngTest, PalettesThatAreNotTheGreyRampKeepTheirLook) {
  ImageRecord image;
  image.width = 2;
  image.height = 1;
  image.bits_per_pixel = 1;
  image.palette_count = 2;
  ASSERT_EQ(image_allocate(image), NoError);
  image.pixels[0] = 0x40;
  image.palette = {255, 255, 255, 0, 0, 0};  // white is zero
  ASSERT_EQ(write_png(path("inverted.png"), image), NoError);
  EXPECT_EQ(png_kind(path("inverted.png")), std::make_pair(8, 0));
  ImageRecord again;
  ASSERT_EQ(read_png(path("inverted.png"), again), NoError);
  EXPECT_EQ(bytes_of(again.pixels.data(), 2), (std::vector<uint8_t>{255, 0}));

  image.palette = {0, 0, 255, 0, 255, 0};
  ASSERT_EQ(write_png(path("colour.png"), image), NoError);
  EXPECT_EQ(png_kind(path("colour.png")), std::make_pair(1, 3));
  ASSERT_EQ(read_png(path("colour.png"), again), NoError);
  EXPECT_EQ(again.palette, image.palette);
  EXPECT_EQ(again.pixels[0], 0x40);
}

TEST_F(PngTest, BadFilesFailWithTheirCodes) {
  ImageRecord image;
  EXPECT_EQ(read_png(path("missing.png"), image), CannotOpenFile);
  write_file_bytes(path("text.png"), {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
  EXPECT_EQ(read_png(path("text.png"), image), UnsupportedOption);

  std::vector<uint8_t> rows(64 * 64);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i * 13);
  PngSpec spec;
  spec.width = spec.height = 64;
  make_png(path("big.png"), spec, rows);
  std::vector<uint8_t> bytes = read_file_bytes(path("big.png"));
  bytes.resize(bytes.size() / 2);
  write_file_bytes(path("cut.png"), bytes);
  CapturedDiagnostics diagnostics;
  EXPECT_EQ(read_png(path("cut.png"), image), CorruptFile);
  EXPECT_EQ(get_last_error(), CorruptFile);
  EXPECT_NE(diagnostics.text().find("libpng error"), std::string::npos);
  EXPECT_TRUE(image.pixels.empty());

  image.max_pixels = 100;
  EXPECT_EQ(read_png(path("big.png"), image), BadImageSize);
}

TEST_F(PngTest, WriteFailureLeavesNoFile) {
  ImageRecord image;
  image.width = 1;
  image.height = 1;
  image.bits_per_pixel = 24;
  ASSERT_EQ(image_allocate(image), NoError);
  EXPECT_EQ(write_png(path("no/such/folder.png"), image), CannotOpenFile);
  image.bits_per_pixel = 2;
  write_file_bytes(path("keep.png"), {9});
  EXPECT_EQ(write_png(path("keep.png"), image), BadBitsPerPixel);
  EXPECT_EQ(read_file_bytes(path("keep.png")), std::vector<uint8_t>{9});
}

TEST_F(PngTest, ExtensionDispatchReadsAndWritesPng) {
  make_png(path("grey.png"), {}, std::vector<uint8_t>(8, 44));
  ImageRecord image;
  ASSERT_EQ(load_image(path("grey.png"), image), NoError);
  ASSERT_EQ(save_image(image, path("copy.PNG")), NoError);
  ASSERT_EQ(write_png(path("direct.png"), image), NoError);
  EXPECT_EQ(read_file_bytes(path("copy.PNG")), read_file_bytes(path("direct.png")));
}

TEST_F(PngTest, PaddedRowsWhenTheCallerAsks) {
  PngSpec spec;
  spec.width = 5;
  spec.height = 1;
  make_png(path("odd.png"), spec, {1, 2, 3, 4, 5});
  ImageRecord image;
  image.pad_rows = 1;
  ASSERT_EQ(read_png(path("odd.png"), image), NoError);
  EXPECT_EQ(image.row_stride, 8u);
  EXPECT_EQ(image.palette_entry_size, 4);
  EXPECT_EQ(image.pixels[4], 5);
}

}  // namespace
