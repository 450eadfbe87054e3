#include <gtest/gtest.h>

#include "imagelib/grey_narrowing.h"
#include "imagelib/formats/grey_palette.h"
#include "tests/cli/cli_helpers.h"
#include "tests/support/temp_dir.h"

namespace {

// The formats whose files record a resolution.
const std::vector<std::string> kWithResolution = {"png", "tif", "bmp", "jpg"};

class GreyOutput : public ::testing::Test {
 protected:
  ImageRecord load(const std::string& name) {
    ImageRecord image;
    EXPECT_EQ(load_image(dir.file(name), image), NoError) << name << ": " << get_last_error_message();
    return image;
  }
  TempDir dir;
};

TEST_F(GreyOutput, WsqBecomesEightBitGreyWithItsResolutionInEveryFormat) {
  const ImageRecord source = picture(90, 70, true, 1000);
  save_picture(dir.file("print.wsq"), source);
  const ImageRecord decoded = load("print.wsq");
  for (const std::string extension : {"png", "tif", "bmp", "jpg", "tga", "rgb", "pgm", "pnm"}) {
    const std::string name = "print." + extension;
    ASSERT_EQ(run_cli({"-q", dir.file("print.wsq"), dir.file(name)}), 0) << name;
    const ImageRecord image = load(name);
    EXPECT_EQ(image.bits_per_pixel, 8) << name;
    EXPECT_TRUE(palette_is_grey_ramp(image)) << name;
    ASSERT_EQ(image.width, 90u);
    const bool lossy = extension == "jpg";
    for (uint32_t y = 0; y < image.height && !lossy; ++y) {
      for (uint32_t x = 0; x < image.width; ++x) ASSERT_EQ(image.row(y)[x], decoded.row(y)[3 * x]) << name;
    }
    const bool recorded = std::find(kWithResolution.begin(), kWithResolution.end(), extension) != kWithResolution.end();
    EXPECT_EQ(image.ppi, recorded ? 1000 : -1) << name;
  }
}

TEST_F(GreyOutput, PpiOverridesAndResolutionTravelsBackIntoWsq) {
  save_picture(dir.file("print.wsq"), picture(90, 70, true, 500));
  ASSERT_EQ(run_cli({"-q", "--ppi", "600", dir.file("print.wsq"), dir.file("a.png")}), 0);
  EXPECT_EQ(load("a.png").ppi, 600);
  ASSERT_EQ(run_cli({"-q", "--ppi", "-1", dir.file("print.wsq"), dir.file("none.tif")}), 0);
  EXPECT_EQ(load("none.tif").ppi, -1);
  // A PNG's resolution becomes the WSQ file's.
  ASSERT_EQ(run_cli({"-q", dir.file("a.png"), dir.file("back.wsq")}), 0);
  ImageRecord image;
  ImageInfo info;
  ASSERT_EQ(load_image(dir.file("back.wsq"), image, &info), NoError);
  EXPECT_EQ(info.ppi, 600);
  EXPECT_EQ(image.ppi, 600);
}

TEST_F(GreyOutput, ColourStaysColourAndGreyDetectionNeedsEveryPixel) {
  ImageRecord colour = picture(20, 10, true);
  colour.row(9)[3 * 19 + 2] ^= 1;  // one pixel slightly off grey
  EXPECT_FALSE(record_is_grey_true_colour(colour));
  save_picture(dir.file("c.bmp"), colour);
  ASSERT_EQ(run_cli({"-q", dir.file("c.bmp"), dir.file("c.png")}), 0);
  EXPECT_EQ(load("c.png").bits_per_pixel, 24);
  ASSERT_EQ(run_cli({"-q", dir.file("c.bmp"), dir.file("c.ppm")}), 0);
  const ImageRecord back = load("c.ppm");
  EXPECT_EQ(back.bits_per_pixel, 24);
  EXPECT_EQ(back.pixels, load("c.png").pixels);

  ImageRecord grey = picture(20, 10, true);
  ASSERT_TRUE(record_is_grey_true_colour(grey));
  ASSERT_EQ(narrow_grey_record(grey), NoError);
  EXPECT_EQ(grey.bits_per_pixel, 8);
  EXPECT_EQ(grey.row(3)[5], picture(20, 10, true).row(3)[15]);
}

}  // namespace

namespace {

// A 96 x 80 palette picture: the left half entry 0, the right half entry 1.
ImageRecord two_colour_palette_picture() {
  ImageRecord image;
  image.width = 96;
  image.height = 80;
  image.bits_per_pixel = 8;
  image.palette_count = 2;
  EXPECT_EQ(image_allocate(image), NoError);
  const uint8_t entries[2][3] = {{210, 90, 0}, {255, 255, 255}};  // blue, green, red
  for (int i = 0; i < 2; ++i) std::copy_n(entries[i], 3, image.palette.data() + i * image.palette_entry_size);
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) image.row(y)[x] = x < 48 ? 0 : 1;
  }
  return image;
}

TEST_F(GreyOutput, PaletteAndAlphaPicturesBecomeWsqByTheirColours) {
  ASSERT_EQ(save_image(two_colour_palette_picture(), dir.file("pal.bmp")), NoError);
  ASSERT_EQ(run_cli({"-q", "--bitrate", "4", dir.file("pal.bmp"), dir.file("pal.wsq")}), 0);
  const ImageRecord decoded = load("pal.wsq");
  // The library's rule makes the first colour (210 + 90 + 0) / 3 = 100, not
  // its index 0; white stays white.
  EXPECT_NEAR(decoded.row(40)[3 * 10], 100, 3);
  EXPECT_NEAR(decoded.row(40)[3 * 80], 255, 3);

  ImageRecord alpha = picture(90, 70, true);
  ImageRecord with_alpha;
  with_alpha.width = alpha.width;
  with_alpha.height = alpha.height;
  with_alpha.bits_per_pixel = 32;
  ASSERT_EQ(image_allocate(with_alpha), NoError);
  for (uint32_t y = 0; y < alpha.height; ++y) {
    for (uint32_t x = 0; x < alpha.width; ++x) {
      std::copy_n(alpha.row(y) + 3 * x, 3, with_alpha.row(y) + 4 * x);
      with_alpha.row(y)[4 * x + 3] = 255;
    }
  }
  ASSERT_EQ(save_image(with_alpha, dir.file("alpha.png")), NoError);
  ASSERT_EQ(run_cli({"-q", "--bitrate", "4", dir.file("alpha.png"), dir.file("alpha.wsq")}), 0);
  EXPECT_NEAR(load("alpha.wsq").row(30)[3 * 40], alpha.row(30)[3 * 40], 3);
}

}  // namespace
