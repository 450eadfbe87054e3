// PCX reader tests on small files built byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "imagelib/formats/pcx.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct PcxFile {
  uint8_t version = 5;
  uint8_t encoding = 1;
  uint8_t bits = 8;
  uint16_t x_min = 0;
  uint16_t y_min = 0;
  uint16_t x_max = 0;
  uint16_t y_max = 0;
  uint8_t planes = 1;
  uint16_t bytes_per_line = 2;
  uint16_t palette_info = 1;
  Bytes colours = Bytes(48, 0);  // header palette, red, green, blue
  Bytes data;

  Bytes bytes() const {
    Bytes out(128, 0);
    out[0] = 10;
    out[1] = version;
    out[2] = encoding;
    out[3] = bits;
    put(out, 4, x_min);
    put(out, 6, y_min);
    put(out, 8, x_max);
    put(out, 10, y_max);
    std::copy(colours.begin(), colours.end(), out.begin() + 16);
    out[65] = planes;
    put(out, 66, bytes_per_line);
    put(out, 68, palette_info);
    out.insert(out.end(), data.begin(), data.end());
    return out;
  }
  static void put(Bytes& out, size_t at, uint16_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
  }
};

// The 256-colour table: marker 12, then red 255 for entry 0 and the identity
// grey for the others.
Bytes colour_table() {
  Bytes table = {12, 255, 0, 0};
  for (int j = 1; j < 256; ++j) table.insert(table.end(), 3, static_cast<uint8_t>(j));
  return table;
}

class PcxTest : public ::testing::Test {
 protected:
  ImageLibraryError read(const Bytes& bytes) {
    write_file_bytes(dir.file("in.pcx"), bytes);
    return read_pcx(dir.file("in.pcx"), image);
  }
  Bytes row(uint32_t y, size_t count) const { return Bytes(image.row(y), image.row(y) + count); }

  TempDir dir;
  ImageRecord image;
};

TEST_F(PcxTest, EightBitVersionFiveTakesTheTableAtTheEnd) {
  PcxFile file;
  file.x_max = 3;
  file.y_max = 1;
  file.bytes_per_line = 4;
  // Top line: a run of three 0x55 and a run of one 0xD0; bottom line: 0x3F,
  // 1, 2 and 9, each standing for itself.
  file.data = {0xC3, 0x55, 0xC1, 0xD0, 0x3F, 1, 2, 9};
  const Bytes table = colour_table();
  file.data.insert(file.data.end(), table.begin(), table.end());
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.width, 4u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(row(1, 4), (Bytes{0x55, 0x55, 0x55, 0xD0}));
  EXPECT_EQ(row(0, 4), (Bytes{0x3F, 1, 2, 9}));
  EXPECT_EQ(Bytes(image.palette.begin(), image.palette.begin() + 6), (Bytes{0, 0, 255, 1, 1, 1}));

  // An older version that still carries the marked table uses it too.
  file.version = 3;
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(Bytes(image.palette.begin(), image.palette.begin() + 6), (Bytes{0, 0, 255, 1, 1, 1}));

  file.version = 5;
  file.data.resize(file.data.size() - 1);  // the table loses its last byte
  EXPECT_EQ(read(file.bytes()), UnsupportedOption);
  EXPECT_TRUE(image.pixels.empty());
}

TEST_F(PcxTest, EightBitOlderVersionWithoutTableHoldsGreyLevels) {
  PcxFile file;
  file.version = 3;
  file.x_max = 2;
  file.bytes_per_line = 3;
  file.data = {0, 0x80, 0xC1, 0xFF};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(row(0, 3), (Bytes{0, 0x80, 0xFF}));
  ASSERT_EQ(image.palette_count, 256);
  for (size_t j = 0; j < 256; ++j) {
    EXPECT_EQ(Bytes(image.palette.begin() + j * image.palette_entry_size,
                    image.palette.begin() + j * image.palette_entry_size + 3),
              Bytes(3, static_cast<uint8_t>(j)));
  }
}

TEST_F(PcxTest, SizeComesFromTheCorners) {
  PcxFile file;
  file.version = 3;
  file.x_min = 10;
  file.x_max = 109;
  file.y_max = 49;
  file.bytes_per_line = 100;
  for (int i = 0; i < 50; ++i) file.data.insert(file.data.end(), {0xFF, 7, 0xE5, 7});
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.width, 100u);
  EXPECT_EQ(image.height, 50u);
  EXPECT_EQ(row(25, 100), Bytes(100, 7));
}

TEST_F(PcxTest, OneBitPalettes) {
  PcxFile file;
  file.bits = 1;
  file.x_max = 9;
  file.colours[0] = 10;  // entry 0: red 10, green 20, blue 30
  file.colours[1] = 20;
  file.colours[2] = 30;
  file.data = {0xA5, 0x80};
  file.palette_info = 0;
  image.pad_rows = 1;
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.bits_per_pixel, 1);
  EXPECT_EQ(image.row_stride, 4u);
  EXPECT_EQ(row(0, 2), (Bytes{0xA5, 0x80}));
  EXPECT_EQ(image.palette, (Bytes{0, 0, 0, 0, 255, 255, 255, 0}));
  file.palette_info = 1;
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.palette, (Bytes{30, 20, 10, 0, 0, 0, 0, 0}));
}

TEST_F(PcxTest, ThreeEightBitPlanesGiveBlueGreenRedPixels) {
  PcxFile file;
  file.x_max = 1;
  file.y_max = 1;
  // Each line holds the red, green and blue planes of one row; the top
  // line's green and blue planes share one run.
  file.data = {1, 2, 0xC4, 3, 4, 5, 6, 7, 8, 9};
  file.planes = 3;
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.bits_per_pixel, 24);
  EXPECT_FALSE(image.has_palette());
  EXPECT_EQ(row(1, 6), (Bytes{3, 3, 1, 3, 3, 2}));
  EXPECT_EQ(row(0, 6), (Bytes{8, 6, 4, 9, 7, 5}));
}

TEST_F(PcxTest, FourOneBitPlanesGiveSixteenColours) {
  PcxFile file;
  file.bits = 1;
  file.x_max = 2;
  file.bytes_per_line = 1;
  // Pixel 0 has plane bits 1, 0, 0, 0 (index 1); pixel 1 has 0, 1, 1, 1
  // (index 14); pixel 2 has 1, 1, 1, 1 (index 15).
  file.data = {0xA0, 0x60, 0x60, 0x60};
  file.planes = 4;
  for (int j = 0; j < 48; ++j) file.colours[j] = static_cast<uint8_t>(j);
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.bits_per_pixel, 4);
  EXPECT_EQ(row(0, 2), (Bytes{0x1E, 0xF0}));
  EXPECT_EQ(image.palette_count, 16);
  EXPECT_EQ(Bytes(image.palette.begin() + 45, image.palette.end()), (Bytes{47, 46, 45}));
}

TEST_F(PcxTest, StoredFilesAreReadLineByLine) {
  PcxFile file;
  file.version = 3;
  file.encoding = 0;
  file.x_max = 2;
  file.y_max = 1;
  file.bytes_per_line = 4;  // one padding byte per line, dropped
  file.data = {0xC1, 0xC2, 0xC3, 0, 4, 5, 6, 0};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(row(1, 3), (Bytes{0xC1, 0xC2, 0xC3}));
  EXPECT_EQ(row(0, 3), (Bytes{4, 5, 6}));
  file.data.pop_back();
  EXPECT_EQ(read(file.bytes()), ReadError);
}

TEST_F(PcxTest, BadFilesFailWithTheirCodes) {
  PcxFile good;
  good.version = 3;
  good.data = {1, 2};
  EXPECT_EQ(read(good.bytes()), NoError);

  Bytes short_header = good.bytes();
  short_header.resize(100);
  EXPECT_EQ(read(short_header), ReadError);

  struct Case {
    size_t offset;
    uint8_t value;
    ImageLibraryError code;
  };
  for (const Case& c : {Case{0, 11, UnsupportedOption}, Case{4, 1, BadImageSize}, Case{6, 1, BadImageSize},
                        Case{3, 2, BadBitsPerPixel}, Case{65, 2, BadBitsPerPixel}, Case{65, 0, BadBitsPerPixel},
                        Case{66, 0, CorruptFile}, Case{10, 1, ReadError}}) {
    Bytes bad = good.bytes();
    bad[c.offset] = c.value;
    EXPECT_EQ(read(bad), c.code) << c.offset;
    EXPECT_EQ(get_last_error(), c.code);
    EXPECT_TRUE(image.pixels.empty());
  }
  EXPECT_EQ(read_pcx(dir.file("missing.pcx"), image), CannotOpenFile);
}

TEST_F(PcxTest, DeclaredSizesAreCheckedBeforeAllocating) {
  PcxFile file;
  file.x_max = 59999;
  file.y_max = 59999;
  file.bytes_per_line = 60000;
  file.data = {0xC1, 0};
  EXPECT_EQ(read(file.bytes()), BadImageSize);
  image.max_pixels = uint64_t{60000} * 60000;
  EXPECT_EQ(read(file.bytes()), ReadError);
  EXPECT_TRUE(image.pixels.empty());
}

}  // namespace
