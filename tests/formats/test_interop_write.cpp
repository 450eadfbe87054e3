// Our writers' files read back with the same picture through libpng and
// libtiff themselves, as other programs read them, and through our readers;
// transparency survives conversions from GIF and PNG files made elsewhere.
#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "imagelib/image_library.h"
#include "tests/formats/interop_pictures.h"
#include "tests/support/temp_dir.h"

namespace {

using interop::kHeight;
using interop::kWidth;
using Rgba = std::vector<std::array<int, 4>>;  // top row first, red first

// The pictures as records and as what another program should show.
struct Picture {
  ImageRecord record;
  Rgba shown;
};

void put(Picture& picture, uint32_t x, uint32_t y, std::array<int, 4> rgba) { picture.shown[y * kWidth + x] = rgba; }

Picture colour_picture(bool with_alpha) {
  Picture picture{{}, Rgba(kWidth * kHeight)};
  ImageRecord& image = picture.record;
  image.width = kWidth;
  image.height = kHeight;
  image.bits_per_pixel = with_alpha ? 32 : 24;
  EXPECT_EQ(image_allocate(image), NoError);
  const uint32_t bytes = image.bits_per_pixel / 8;
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      const auto c = interop::colour(x, y);
      const uint8_t a = with_alpha ? interop::alpha(x, y) : 255;
      uint8_t* pixel = image.row(kHeight - 1 - y) + x * bytes;
      pixel[0] = c[2];
      pixel[1] = c[1];
      pixel[2] = c[0];
      if (with_alpha) pixel[3] = a;
      put(picture, x, y, {c[0], c[1], c[2], a});
    }
  }
  return picture;
}

// One palette entry per pixel. With grey set the entries are the grey
// picture's levels (not a ramp); otherwise its colours, with pixel (0, 0)'s
// entry transparent.
Picture palette_picture(bool grey) {
  Picture picture{{}, Rgba(kWidth * kHeight)};
  ImageRecord& image = picture.record;
  image.width = kWidth;
  image.height = kHeight;
  image.bits_per_pixel = 8;
  image.palette_count = kWidth * kHeight;
  EXPECT_EQ(image_allocate(image), NoError);
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      const uint32_t index = y * kWidth + x;
      image.row(kHeight - 1 - y)[x] = static_cast<uint8_t>(index);
      uint8_t* entry = image.palette.data() + index * image.palette_entry_size;
      const auto c = interop::colour(x, y);
      const uint8_t g = interop::grey(x, y);
      entry[0] = grey ? g : c[2];
      entry[1] = grey ? g : c[1];
      entry[2] = grey ? g : c[0];
      const bool clear = !grey && interop::key_pixel(x, y);
      put(picture, x, y, grey ? std::array<int, 4>{g, g, g, 255} : std::array<int, 4>{c[0], c[1], c[2], clear ? 0 : 255});
    }
  }
  if (!grey) image.transparent_index = 0;
  return picture;
}

void expect_same(const Rgba& shown, const Rgba& want, int tolerance = 0) {
  ASSERT_EQ(shown.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(shown[i][3], want[i][3]) << "alpha of pixel " << i;
    if (want[i][3] == 0) continue;
    for (int c = 0; c < 3; ++c) {
      EXPECT_LE(std::abs(shown[i][c] - want[i][c]), tolerance) << "channel " << c << " of pixel " << i;
    }
  }
}

// What libpng's own reader delivers as 8-bit RGBA.
Rgba read_with_libpng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGBA;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  Rgba out(image.width * image.height);
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = {pixels[4 * i], pixels[4 * i + 1], pixels[4 * i + 2], pixels[4 * i + 3]};
  }
  return out;
}

// What libtiff's RGBA interface delivers (colours multiplied by alpha when
// the file stores unassociated alpha), top row first.
Rgba read_with_libtiff(const std::string& path) {
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  if (tiff == nullptr) return {};
  uint32_t width = 0, height = 0;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
  std::vector<uint32_t> raster(size_t{width} * height);
  const int ok = TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 0);
  TIFFClose(tiff);
  if (!ok) return {};
  Rgba out(raster.size());
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = {static_cast<int>(TIFFGetR(raster[i])), static_cast<int>(TIFFGetG(raster[i])),
              static_cast<int>(TIFFGetB(raster[i])), static_cast<int>(TIFFGetA(raster[i]))};
  }
  return out;
}

Rgba premultiplied(Rgba rgba) {
  for (auto& pixel : rgba) {
    for (int c = 0; c < 3; ++c) pixel[c] = pixel[c] * pixel[3] / 255;
  }
  return rgba;
}

// What our own readers give, through load_image and image_to_bgra.
Rgba read_with_library(const std::string& path) {
  ImageRecord image;
  if (load_image(path, image, nullptr, nullptr) != NoError) return {};
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> bgra;
  if (image_to_bgra(image, width, height, bgra, true) != NoError) return {};
  Rgba out(size_t{width} * height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* p = bgra.data() + 4 * ((height - 1 - y) * width + x);
      out[y * width + x] = {p[2], p[1], p[0], p[3]};
    }
  }
  return out;
}

class InteropWrite : public ::testing::Test {
 protected:
  std::string save(const Picture& picture, const std::string& name) {
    const std::string path = dir_.file(name);
    EXPECT_EQ(save_image(picture.record, path, nullptr, nullptr), NoError) << name;
    return path;
  }
  TempDir dir_;
};

TEST_F(InteropWrite, PngFilesShowTheSamePictureInLibpng) {
  for (const Picture& picture : {colour_picture(false), colour_picture(true), palette_picture(false),
                                 palette_picture(true)}) {
    const std::string path = save(picture, "out.png");
    expect_same(read_with_libpng(path), picture.shown);
    expect_same(read_with_library(path), picture.shown);
  }
}

TEST_F(InteropWrite, TiffFilesShowTheSamePictureInLibtiff) {
  for (const Picture& picture : {colour_picture(false), palette_picture(true)}) {
    const std::string path = save(picture, "out.tif");
    expect_same(read_with_libtiff(path), picture.shown);
    expect_same(read_with_library(path), picture.shown);
  }
  const Picture alpha = colour_picture(true);
  const std::string path = save(alpha, "alpha.tif");
  expect_same(read_with_libtiff(path), premultiplied(alpha.shown), 1);
  expect_same(read_with_library(path), alpha.shown);
}

TEST_F(InteropWrite, TargaFilesReadBackWithTheSamePicture) {
  for (const Picture& picture :
       {colour_picture(false), colour_picture(true), palette_picture(false), palette_picture(true)}) {
    expect_same(read_with_library(save(picture, "out.tga")), picture.shown);
  }
}

// A GIF's transparent index and a PNG key colour, both made by other
// programs, are still transparent in our PNG output as libpng reads it.
TEST_F(InteropWrite, TransparencySurvivesConversionToPng) {
  for (const char* name : {"nb_trans.gif", "pil_trans.gif", "pil_key_rgb.png", "nb_key_grey.png", "pil_trns.png"}) {
    ImageRecord image;
    ASSERT_EQ(load_image(std::string(INTEROP_DATA_DIR) + "/" + name, image, nullptr, nullptr), NoError) << name;
    const std::string path = dir_.file("converted.png");
    ASSERT_EQ(save_image(image, path, nullptr, nullptr), NoError);
    const Rgba shown = read_with_libpng(path);
    ASSERT_EQ(shown.size(), size_t{kWidth} * kHeight) << name;
    for (uint32_t i = 0; i < shown.size(); ++i) {
      EXPECT_EQ(shown[i][3], i == 0 ? 0 : 255) << name << " pixel " << i;
    }
  }
}

}  // namespace
