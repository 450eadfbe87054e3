// Targa reader tests on small files built byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "imagelib/formats/tga.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct TgaFile {
  uint8_t colour_map_type = 0;
  uint8_t image_type = 2;
  uint16_t map_length = 0;
  uint8_t map_entry_bits = 0;
  uint16_t width = 1;
  uint16_t height = 1;
  uint8_t depth = 24;
  uint8_t descriptor = 0;
  Bytes id;
  Bytes map;
  Bytes data;

  Bytes bytes() const {
    Bytes out = {static_cast<uint8_t>(id.size()), colour_map_type, image_type, 0, 0,
                 static_cast<uint8_t>(map_length), static_cast<uint8_t>(map_length >> 8), map_entry_bits,
                 0, 0, 0, 0,
                 static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
                 static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), depth, descriptor};
    for (const Bytes* part : {&id, &map, &data}) out.insert(out.end(), part->begin(), part->end());
    return out;
  }
};

class TgaReadTest : public ::testing::Test {
 protected:
  ImageLibraryError read(const Bytes& bytes) {
    write_file_bytes(dir.file("in.tga"), bytes);
    return read_tga(dir.file("in.tga"), image);
  }
  Bytes row(uint32_t y, size_t count) const { return Bytes(image.row(y), image.row(y) + count); }

  TempDir dir;
  ImageRecord image;
};

TEST_F(TgaReadTest, UncompressedTrueColourBottomUpKeepsRowsAndBytes) {
  TgaFile file;
  file.width = 2;
  file.height = 2;
  file.data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.width, 2u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.bits_per_pixel, 24);
  EXPECT_FALSE(image.has_palette());
  EXPECT_EQ(row(0, 6), (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(row(1, 6), (Bytes{7, 8, 9, 10, 11, 12}));
}

// File rows 1 2 / 3 4 under each descriptor, as record rows bottom first.
struct Orientation {
  uint8_t descriptor;
  Bytes bottom;
  Bytes top;
};

class TgaOrientationTest : public TgaReadTest, public ::testing::WithParamInterface<Orientation> {};

TEST_P(TgaOrientationTest, RowsAndColumnsFollowTheDescriptor) {
  for (const uint8_t type : {3, 11}) {
    TgaFile file;
    file.image_type = type;
    file.width = 2;
    file.height = 2;
    file.depth = 8;
    file.descriptor = GetParam().descriptor;
    file.data = type == 3 ? Bytes{1, 2, 3, 4} : Bytes{3, 1, 2, 3, 4};
    ASSERT_EQ(read(file.bytes()), NoError) << int{type};
    EXPECT_EQ(row(0, 2), GetParam().bottom) << int{type};
    EXPECT_EQ(row(1, 2), GetParam().top) << int{type};
  }
}

INSTANTIATE_TEST_SUITE_P(AllFour, TgaOrientationTest,
                         ::testing::Values(Orientation{0x00, {1, 2}, {3, 4}}, Orientation{0x10, {2, 1}, {4, 3}},
                                           Orientation{0x20, {3, 4}, {1, 2}}, Orientation{0x30, {4, 3}, {2, 1}}));

TEST_F(TgaReadTest, GreyFileWithoutColourMapGetsTheIdentityRamp) {
  TgaFile file;
  file.image_type = 3;
  file.depth = 8;
  file.data = {200};
  ASSERT_EQ(read(file.bytes()), NoError);
  ASSERT_EQ(image.palette_count, 256);
  for (size_t j = 0; j < 256; ++j) {
    const uint8_t* entry = image.palette.data() + j * image.palette_entry_size;
    ASSERT_EQ(Bytes(entry, entry + 3), Bytes(3, static_cast<uint8_t>(j))) << j;
  }
  EXPECT_EQ(image.row(0)[0], 200);
}

TEST_F(TgaReadTest, RunLengthPacketsMayCrossRows) {
  TgaFile file;
  file.image_type = 10;
  file.width = 3;
  file.height = 2;
  // A run of four pixels (the whole first row and one of the second), then
  // two raw pixels.
  file.data = {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(row(0, 9), (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3}));
  EXPECT_EQ(row(1, 9), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(TgaReadTest, RunLengthDataMustFillTheImageExactly) {
  TgaFile file;
  file.image_type = 10;
  file.width = 2;
  file.height = 1;
  file.data = {0x82, 1, 2, 3};  // three pixels for two
  EXPECT_EQ(read(file.bytes()), UnsupportedOption);
  EXPECT_TRUE(image.pixels.empty());
  file.width = 3;
  file.height = 4;
  file.data = {0x81, 1, 2, 3, 0x81, 1, 2, 3, 0x83};  // ends in a packet header
  EXPECT_EQ(read(file.bytes()), ReadError);
  EXPECT_EQ(get_last_error(), ReadError);
}

TEST_F(TgaReadTest, Depth32KeepsAlphaOnlyWithEightAlphaBits) {
  for (const uint8_t type : {2, 10}) {
    TgaFile file;
    file.image_type = type;
    file.width = 2;
    file.depth = 32;
    file.data = type == 2 ? Bytes{1, 2, 3, 4, 5, 6, 7, 8} : Bytes{0x01, 1, 2, 3, 4, 5, 6, 7, 8};
    file.descriptor = 0x20;
    ASSERT_EQ(read(file.bytes()), NoError);
    EXPECT_EQ(image.bits_per_pixel, 24);
    EXPECT_EQ(row(0, 6), (Bytes{1, 2, 3, 5, 6, 7}));
    file.descriptor = 0x28;
    ASSERT_EQ(read(file.bytes()), NoError);
    EXPECT_EQ(image.bits_per_pixel, 32);
    EXPECT_EQ(row(0, 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  }
}

TEST_F(TgaReadTest, RunOfDepth32PixelsWithoutAlphaDropsTheFourthByte) {
  TgaFile file;
  file.image_type = 10;
  file.width = 3;
  file.depth = 32;
  file.data = {0x82, 1, 2, 3, 4};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(row(0, 9), (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3}));
}

TEST_F(TgaReadTest, ColourMapEntriesOfEachSize) {
  TgaFile file;
  file.colour_map_type = 1;
  file.image_type = 1;
  file.depth = 8;
  file.map_length = 2;
  file.data = {1};

  // Entries are stored like pixels: blue, green, red (and alpha).
  file.map_entry_bits = 24;
  file.map = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.palette_count, 2);
  EXPECT_EQ(image.palette, (Bytes{1, 2, 3, 4, 5, 6}));

  file.map_entry_bits = 15;
  file.map = {0x1F, 0x00, 0x00, 0x7C};  // blue 31, then red 31
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.palette, (Bytes{248, 0, 0, 0, 0, 248}));

  file.map_entry_bits = 32;
  file.map = {1, 2, 3, 255, 4, 5, 6, 0};
  image.pad_rows = 1;
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.palette, (Bytes{1, 2, 3, 255, 4, 5, 6, 0}));
  image_free(image);  // back to unpadded rows and 3-byte entries
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.palette, (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(image.row(0)[0], 1);
}

TEST_F(TgaReadTest, ColourMapsThatAreNotDecodedAreSkipped) {
  TgaFile file;
  file.colour_map_type = 1;
  file.map_length = 2;
  file.map_entry_bits = 24;
  file.map = {9, 9, 9, 9, 9, 9};
  file.data = {1, 2, 3};
  ASSERT_EQ(read(file.bytes()), NoError);  // a true-colour file carrying a map
  EXPECT_EQ(row(0, 3), (Bytes{1, 2, 3}));

  // A grey file carrying a map still holds grey levels.
  file.image_type = 3;
  file.depth = 8;
  file.data = {1};
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.palette_count, 256);
  EXPECT_EQ(Bytes(image.palette.begin() + 3, image.palette.begin() + 6), Bytes(3, 1));
}

// Files whose pixels cannot be shown with their colours are refused instead
// of being read as something else.
TEST_F(TgaReadTest, CombinationsWithoutAFaithfulReadingAreRefused) {
  TgaFile mapped;
  mapped.colour_map_type = 1;
  mapped.image_type = 1;
  mapped.depth = 8;
  mapped.map_length = 2;
  mapped.map_entry_bits = 24;
  mapped.map = {1, 2, 3, 4, 5, 6};
  mapped.data = {1, 0, 1, 0};
  ASSERT_EQ(read(mapped.bytes()), NoError);

  std::vector<TgaFile> bad(7, mapped);
  bad[0].depth = 16;           // 16-bit indices
  bad[1].map_entry_bits = 8;   // an entry size without a decoding
  bad[1].map = {9, 9};
  bad[2].colour_map_type = 0;  // colour-mapped without a map
  bad[2].map = {};
  bad[3] = bad[2];
  bad[3].image_type = 9;
  bad[4].map_length = 0;
  bad[4].map = {};
  bad[5].image_type = 3;  // grey plus alpha
  bad[5].depth = 16;
  bad[6].image_type = 2;  // 8-bit true colour
  bad[6].colour_map_type = 0;
  bad[6].map_length = 0;
  bad[6].map = {};
  for (size_t i = 0; i < bad.size(); ++i) {
    EXPECT_EQ(read(bad[i].bytes()), UnsupportedOption) << i;
    EXPECT_TRUE(image.pixels.empty());
  }
}

TEST_F(TgaReadTest, ImageIdIsSkippedAndPaddedRowsHonoured) {
  TgaFile file;
  file.id = {7, 7, 7};
  file.depth = 15;
  file.width = 3;
  file.data = {1, 2, 3, 4, 5, 6};
  image.pad_rows = 1;
  ASSERT_EQ(read(file.bytes()), NoError);
  EXPECT_EQ(image.bits_per_pixel, 16);
  EXPECT_EQ(image.row_stride, 8u);
  EXPECT_EQ(row(0, 8), (Bytes{1, 2, 3, 4, 5, 6, 0, 0}));
}

TEST_F(TgaReadTest, BadHeadersFailWithTheirCodes) {
  TgaFile file;
  file.data = {1, 2, 3};
  const Bytes good = file.bytes();
  EXPECT_EQ(read(Bytes(good.begin(), good.begin() + 17)), ReadError);

  struct Case {
    size_t offset;
    uint8_t value;
    ImageLibraryError code;
  };
  for (const Case& c : {Case{2, 0, UnsupportedOption}, Case{2, 5, UnsupportedOption},
                        Case{16, 12, UnsupportedOption}, Case{6, 2, UnsupportedOption},
                        Case{12, 0, BadImageSize}, Case{0, 200, ReadError}}) {
    Bytes bad = good;
    bad[c.offset] = c.value;
    EXPECT_EQ(read(bad), c.code) << c.offset;
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_EQ(get_last_error(), c.code);
  }
  EXPECT_EQ(read_tga(dir.file("missing.tga"), image), CannotOpenFile);
}

TEST_F(TgaReadTest, DeclaredSizesAreCheckedBeforeAllocating) {
  TgaFile file;
  file.width = 60000;
  file.height = 60000;
  file.data = {1, 2, 3};
  EXPECT_EQ(read(file.bytes()), BadImageSize);  // above the pixel limit
  image.max_pixels = uint64_t{60000} * 60000;
  EXPECT_EQ(read(file.bytes()), ReadError);  // the file cannot hold them
  file.image_type = 10;
  EXPECT_EQ(read(file.bytes()), ReadError);
  EXPECT_TRUE(image.pixels.empty());
}

}  // namespace
