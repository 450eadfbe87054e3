#include <gtest/gtest.h>

#include <gif_lib.h>

#include <vector>

#include "imagelib/formats/gif.h"
#include "imagelib/image_library.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "wsq/diagnostics.h"

namespace {

struct GifFrame {
  int left = 0;
  int top = 0;
  int width = 4;
  int height = 4;
  bool interlaced = false;
  int local_colours = 0;            // a local map of this many greys, 0 for none
  std::vector<uint8_t> control;     // graphic control block data, empty for none
  std::vector<uint8_t> rows;        // stored rows, in stored order
};

ColorMapObject* grey_map(int count) {
  std::vector<GifColorType> colours(count);
  for (int i = 0; i < count; ++i) {
    const auto level = static_cast<GifByteType>(i * 255 / (count - 1));
    colours[i] = {level, static_cast<GifByteType>(255 - level), 7};
  }
  return GifMakeMapObject(count, colours.data());
}

// Writes a GIF with giflib: a screen, an optional global map of grey ramp
// colours, then the frames.
void make_gif(const std::string& path, int width, int height, int global_colours, int background,
              const std::vector<GifFrame>& frames) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  ASSERT_NE(gif, nullptr);
  ColorMapObject* global = global_colours > 0 ? grey_map(global_colours) : nullptr;
  ASSERT_EQ(EGifPutScreenDesc(gif, width, height, 8, background, global), GIF_OK);
  for (const GifFrame& frame : frames) {
    if (!frame.control.empty()) {
      ASSERT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(frame.control.size()), frame.control.data()), GIF_OK);
    }
    ColorMapObject* local = frame.local_colours > 0 ? grey_map(frame.local_colours) : nullptr;
    ASSERT_EQ(EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, local), GIF_OK);
    std::vector<uint8_t> rows = frame.rows;
    for (int y = 0; y < frame.height; ++y) {
      ASSERT_EQ(EGifPutLine(gif, rows.data() + y * frame.width, frame.width), GIF_OK);
    }
    GifFreeMapObject(local);
  }
  GifFreeMapObject(global);
  ASSERT_EQ(EGifCloseFile(gif, &error), GIF_OK);
}

std::vector<uint8_t> ramp(size_t count, int modulo) {
  std::vector<uint8_t> values(count);
  for (size_t i = 0; i < count; ++i) values[i] = static_cast<uint8_t>(i % modulo);
  return values;
}

class GifTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) { return dir_.file(name); }
  ImageRecord read(const std::string& name) {
    ImageRecord image;
    EXPECT_EQ(read_gif(path(name), image), NoError);
    return image;
  }
  TempDir dir_;
};

TEST_F(GifTest, FullScreenImageKeepsItsPixelsBottomUp) {
  GifFrame frame;
  frame.rows = ramp(16, 256);
  make_gif(path("full.gif"), 4, 4, 256, 0, {frame});
  ImageRecord image = read("full.gif");
  ASSERT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(image.row(3)[1], 1);  // first screen row is the record's last
  EXPECT_EQ(image.row(0)[3], 15);
  EXPECT_EQ(image.palette[3 * 255], 7);     // blue
  EXPECT_EQ(image.palette[3 * 255 + 2], 255);  // red
  EXPECT_EQ(image.transparent_index, -1);
}

TEST_F(GifTest, SmallerImageShowsTheBackgroundAroundItAndIsClipped) {
  GifFrame frame;
  frame.left = 2;
  frame.top = 1;
  frame.width = 3;
  frame.height = 4;
  frame.rows = std::vector<uint8_t>(12, 9);
  make_gif(path("small.gif"), 4, 3, 256, 200, {frame});
  ImageRecord image = read("small.gif");
  ASSERT_EQ(image.width, 4u);
  EXPECT_EQ(image.row(2)[2], 200);  // screen row 0
  EXPECT_EQ(image.row(1)[1], 200);
  EXPECT_EQ(image.row(1)[2], 9);
  EXPECT_EQ(image.row(0)[3], 9);
}

TEST_F(GifTest, InterlacedImagesReadInPictureOrder) {
  GifFrame frame;
  frame.width = 1;
  frame.height = 10;
  frame.interlaced = true;
  // Stored order of 10 rows: 0, 8, 4, 2, 6, 1, 3, 5, 7, 9; each row holds its picture row number.
  frame.rows = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  make_gif(path("interlaced.gif"), 1, 12, 256, 99, {frame});
  ImageRecord image = read("interlaced.gif");
  for (uint32_t y = 0; y < 10; ++y) EXPECT_EQ(image.row(11 - y)[0], y);
  EXPECT_EQ(image.row(0)[0], 99);
}

TEST_F(GifTest, GraphicControlGivesTheTransparentIndex) {
  GifFrame frame;
  frame.rows = ramp(16, 256);
  frame.control = {1, 0, 0, 200};
  make_gif(path("transparent.gif"), 4, 4, 256, 0, {frame});
  EXPECT_EQ(read("transparent.gif").transparent_index, 200);
  frame.control = {0, 0, 0, 200};
  make_gif(path("opaque.gif"), 4, 4, 256, 0, {frame});
  EXPECT_EQ(read("opaque.gif").transparent_index, -1);
}

TEST_F(GifTest, SmallPalettesArePacked) {
  GifFrame frame;
  frame.rows = ramp(16, 16);
  make_gif(path("sixteen.gif"), 4, 4, 16, 0, {frame});
  ImageRecord sixteen = read("sixteen.gif");
  EXPECT_EQ(sixteen.bits_per_pixel, 4);
  EXPECT_EQ(sixteen.row(3)[0], 0x01);

  frame.rows = ramp(16, 2);
  make_gif(path("two.gif"), 4, 4, 2, 0, {frame});
  ImageRecord two = read("two.gif");
  EXPECT_EQ(two.bits_per_pixel, 1);
  EXPECT_EQ(two.row(3)[0], 0x50);
}

TEST_F(GifTest, AnimationYieldsItsFirstFrameAndLocalMapsServeWithoutAGlobalOne) {
  GifFrame first;
  first.local_colours = 4;
  first.rows = std::vector<uint8_t>(16, 3);
  GifFrame second = first;
  second.rows = std::vector<uint8_t>(16, 1);
  make_gif(path("animated.gif"), 4, 4, 0, 0, {first, second});
  ImageRecord image = read("animated.gif");
  EXPECT_EQ(image.palette_count, 4);
  EXPECT_EQ(image.bits_per_pixel, 4);
  EXPECT_EQ(image.row(0)[0], 0x33);
}

TEST_F(GifTest, FirstImageLocalMapWinsOverTheGlobalOne) {
  GifFrame frame;
  frame.local_colours = 4;
  frame.rows = std::vector<uint8_t>(16, 2);
  make_gif(path("local.gif"), 4, 4, 256, 0, {frame});
  ImageRecord image = read("local.gif");
  ASSERT_EQ(image.palette_count, 4);
  // Entry 2 of the 4-entry map: red 170, green 85, blue 7.
  EXPECT_EQ(std::vector<uint8_t>(image.palette.begin() + 2 * image.palette_entry_size,
                                 image.palette.begin() + 2 * image.palette_entry_size + 3),
            (std::vector<uint8_t>{7, 85, 170}));
}

TEST_F(GifTest, BadFilesFailWithTheirCodes) {
  ImageRecord image;
  EXPECT_EQ(read_gif(path("missing.gif"), image), CannotOpenFile);
  GifFrame frame;
  frame.width = frame.height = 64;
  frame.rows = ramp(64 * 64, 251);
  make_gif(path("big.gif"), 64, 64, 256, 0, {frame});
  std::vector<uint8_t> bytes = read_file_bytes(path("big.gif"));
  bytes.resize(bytes.size() / 2);
  write_file_bytes(path("cut.gif"), bytes);
  CapturedDiagnostics diagnostics;
  EXPECT_EQ(read_gif(path("cut.gif"), image), CorruptFile);
  EXPECT_NE(diagnostics.text().find("giflib"), std::string::npos);
  EXPECT_TRUE(image.pixels.empty());
  image.max_pixels = 1000;
  EXPECT_EQ(read_gif(path("big.gif"), image), BadImageSize);
}

TEST_F(GifTest, ExtensionDispatchReadsGif) {
  GifFrame frame;
  frame.rows = ramp(16, 256);
  make_gif(path("dispatch.gif"), 4, 4, 256, 0, {frame});
  ImageRecord image;
  ASSERT_EQ(load_image(path("dispatch.gif"), image), NoError);
  EXPECT_EQ(image.row(0)[3], 15);
}

}  // namespace
