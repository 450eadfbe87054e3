// Files written by other programs (ImageMagick, netpbm, libtiff's tools,
// Pillow; see tests/data/interop/make.sh) decode to the pictures those
// programs were given.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "imagelib/image_library.h"
#include "tests/formats/interop_pictures.h"

namespace {

// What a file holds: the colour picture, with its alpha, or keyed at pixel
// (0, 0); or the grey picture, plain or keyed.
enum class Picture { Colour, Alpha, KeyedColour, Grey, KeyedGrey };

struct Case {
  const char* file;
  Picture picture;
  int tolerance = 0;  // largest difference allowed per colour channel
};

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
  std::string name = info.param.file;
  for (char& c : name) {
    if (c == '.') c = '_';
  }
  return name;
}

// Blue, green, red, alpha of pixel (x, y) of the picture.
std::array<int, 4> expected(Picture picture, uint32_t x, uint32_t y) {
  const bool grey = picture == Picture::Grey || picture == Picture::KeyedGrey;
  const auto c = interop::colour(x, y);
  const int g = interop::grey(x, y);
  int a = 255;
  if (picture == Picture::Alpha) a = interop::alpha(x, y);
  if ((picture == Picture::KeyedColour || picture == Picture::KeyedGrey) && interop::key_pixel(x, y)) a = 0;
  if (grey) return {g, g, g, a};
  return {c[2], c[1], c[0], a};
}

class InteropRead : public ::testing::TestWithParam<Case> {
 protected:
  void check() {
    const Case& c = GetParam();
    const std::string path = std::string(INTEROP_DATA_DIR) + "/" + c.file;
    ImageRecord image;
    ASSERT_EQ(load_image(path, image, nullptr, nullptr), NoError) << get_last_error_message();
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> bgra;
    ASSERT_EQ(image_to_bgra(image, width, height, bgra, true), NoError);
    ASSERT_EQ(width, interop::kWidth);
    ASSERT_EQ(height, interop::kHeight);
    for (uint32_t y = 0; y < height; ++y) {
      for (uint32_t x = 0; x < width; ++x) {
        const uint8_t* pixel = bgra.data() + 4 * ((height - 1 - y) * width + x);  // bottom row first
        const auto want = expected(c.picture, x, y);
        ASSERT_EQ(pixel[3], want[3]) << "alpha at " << x << "," << y;
        if (want[3] == 0) continue;  // the colour under full transparency is free
        for (int i = 0; i < 3; ++i) {
          ASSERT_LE(std::abs(pixel[i] - want[i]), c.tolerance) << "byte " << i << " at " << x << "," << y;
        }
      }
    }
  }
};

TEST_P(InteropRead, DecodesToThePictureTheToolWasGiven) { check(); }

INSTANTIATE_TEST_SUITE_P(Targa, InteropRead,
                         ::testing::Values(Case{"im_rgb.tga", Picture::Colour}, Case{"im_rle.tga", Picture::Colour},
                                           Case{"im_rgba.tga", Picture::Alpha},
                                           Case{"im_palette.tga", Picture::Colour},
                                           Case{"im_grey.tga", Picture::Grey}, Case{"nb_rgb.tga", Picture::Colour},
                                           Case{"nb_cmap_rle.tga", Picture::Colour},
                                           Case{"nb_grey.tga", Picture::Grey}, Case{"pil_rle.tga", Picture::Colour},
                                           Case{"pil_rgba.tga", Picture::Alpha},
                                           Case{"pil_palette.tga", Picture::Colour}),
                         case_name);

INSTANTIATE_TEST_SUITE_P(Bmp, InteropRead,
                         ::testing::Values(Case{"im_bmp3.bmp", Picture::Colour}, Case{"im_v5.bmp", Picture::Alpha},
                                           Case{"im_565.bmp", Picture::Colour, 8},
                                           Case{"im_palette.bmp", Picture::Colour},
                                           Case{"im_os2.bmp", Picture::Colour}, Case{"nb_rgb.bmp", Picture::Colour},
                                           Case{"nb_os2.bmp", Picture::Colour}, Case{"pil_rgb.bmp", Picture::Colour},
                                           Case{"pil_palette.bmp", Picture::Colour}),
                         case_name);

INSTANTIATE_TEST_SUITE_P(Psd, InteropRead,
                         ::testing::Values(Case{"im_rgb.psd", Picture::Colour}, Case{"im_rgba.psd", Picture::Alpha},
                                           Case{"im_grey.psd", Picture::Grey}),
                         case_name);

INSTANTIATE_TEST_SUITE_P(Sgi, InteropRead,
                         ::testing::Values(Case{"im_rgb.rgb", Picture::Colour}, Case{"im_rgba.rgb", Picture::Alpha},
                                           Case{"nb_rle.rgb", Picture::Colour}, Case{"nb_grey.rgb", Picture::Grey},
                                           Case{"pil_rgb.rgb", Picture::Colour},
                                           Case{"pil_rgba.rgb", Picture::Alpha}),
                         case_name);

INSTANTIATE_TEST_SUITE_P(Pcx, InteropRead,
                         ::testing::Values(Case{"im_palette.pcx", Picture::Colour}, Case{"im_rgb.pcx", Picture::Colour},
                                           Case{"nb_palette.pcx", Picture::Colour},
                                           Case{"nb_rgb.pcx", Picture::Colour}, Case{"pil_rgb.pcx", Picture::Colour},
                                           Case{"pil_palette.pcx", Picture::Colour}),
                         case_name);

INSTANTIATE_TEST_SUITE_P(Tiff, InteropRead,
                         ::testing::Values(Case{"im_lzw.tif", Picture::Colour}, Case{"im_rgba.tif", Picture::Alpha},
                                           Case{"im_palette.tif", Picture::Colour},
                                           Case{"nb_packbits.tif", Picture::Colour},
                                           Case{"nb_grey.tif", Picture::Grey}, Case{"lt_packbits.tif", Picture::Colour},
                                           Case{"lt_zip.tif", Picture::Colour},
                                           Case{"lt_palette.tif", Picture::Colour},
                                           Case{"pil_deflate.tif", Picture::Colour},
                                           Case{"pil_rgba.tif", Picture::Alpha}),
                         case_name);

INSTANTIATE_TEST_SUITE_P(Png, InteropRead,
                         ::testing::Values(Case{"im_rgba.png", Picture::Alpha},
                                           Case{"nb_key_rgb.png", Picture::KeyedColour},
                                           Case{"nb_key_grey.png", Picture::KeyedGrey},
                                           Case{"pil_key_rgb.png", Picture::KeyedColour},
                                           Case{"pil_key_grey.png", Picture::KeyedGrey},
                                           Case{"pil_key_grey16.png", Picture::KeyedGrey},
                                           Case{"pil_trns.png", Picture::KeyedColour}),
                         case_name);

INSTANTIATE_TEST_SUITE_P(Gif, InteropRead,
                         ::testing::Values(Case{"im_trans.gif", Picture::KeyedColour},
                                           Case{"nb_trans.gif", Picture::KeyedColour},
                                           Case{"pil_trans.gif", Picture::KeyedColour}),
                         case_name);

INSTANTIATE_TEST_SUITE_P(Iff, InteropRead, ::testing::Values(Case{"nb_byterun.iff", Picture::Colour}), case_name);

}  // namespace
