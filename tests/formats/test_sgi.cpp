// SGI image reader and writer tests on small files built byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imagelib/formats/sgi.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put_be(Bytes& out, size_t at, uint32_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * (size - 1 - i)));
}

Bytes header(uint8_t storage, uint16_t dimension, uint16_t x, uint16_t y, uint16_t z) {
  Bytes out(512, 0);
  put_be(out, 0, 474, 2);
  out[2] = storage;
  out[3] = 1;
  put_be(out, 4, dimension, 2);
  put_be(out, 6, x, 2);
  put_be(out, 8, y, 2);
  put_be(out, 10, z, 2);
  return out;
}

// A run-length file whose rows (row + channel x height order) are the given
// packet sequences, stored one after another after the tables.
Bytes run_length_file(uint16_t x, uint16_t y, uint16_t z, const std::vector<Bytes>& rows) {
  Bytes out = header(1, 3, x, y, z);
  const size_t tables = out.size();
  out.resize(tables + rows.size() * 8);
  for (size_t i = 0; i < rows.size(); ++i) {
    put_be(out, tables + 4 * i, static_cast<uint32_t>(out.size()), 4);
    put_be(out, tables + 4 * (rows.size() + i), static_cast<uint32_t>(rows[i].size()), 4);
    out.insert(out.end(), rows[i].begin(), rows[i].end());
  }
  return out;
}

ImageRecord make_record(uint32_t width, uint32_t height, uint8_t bits, uint16_t palette_count = 0) {
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bits;
  image.pad_rows = 1;
  image.palette_count = palette_count;
  EXPECT_EQ(image_allocate(image), NoError);
  const size_t used = (size_t{bits} * width + 7) / 8;  // padding stays 0
  for (uint32_t y = 0; y < height; ++y) {
    for (size_t i = 0; i < used; ++i) image.row(y)[i] = static_cast<uint8_t>((y * used + i) * 5 + 3);
  }
  return image;
}

class SgiTest : public ::testing::Test {
 protected:
  ImageLibraryError read(const Bytes& bytes) {
    write_file_bytes(path, bytes);
    return read_rgb(path, image);
  }
  Bytes row(uint32_t y, size_t count) const { return Bytes(image.row(y), image.row(y) + count); }

  TempDir dir;
  std::string path = dir.file("in.rgb");
  ImageRecord image;
};

TEST_F(SgiTest, VerbatimColourPlanesBecomeBlueGreenRedPixels) {
  Bytes file = header(0, 3, 2, 2, 3);
  // Red plane, then green, then blue; bottom row first.
  for (uint8_t value : {10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33}) file.push_back(value);
  ASSERT_EQ(read(file), NoError);
  EXPECT_EQ(image.bits_per_pixel, 24);
  EXPECT_EQ(row(0, 6), (Bytes{30, 20, 10, 31, 21, 11}));
  EXPECT_EQ(row(1, 6), (Bytes{32, 22, 12, 33, 23, 13}));
}

TEST_F(SgiTest, OneChannelGivesGreyIndicesWithTheIdentityPalette) {
  Bytes file = header(0, 2, 3, 1, 1);
  for (uint8_t value : {0, 128, 255}) file.push_back(value);
  ASSERT_EQ(read(file), NoError);
  EXPECT_EQ(image.bits_per_pixel, 8);
  EXPECT_EQ(row(0, 3), (Bytes{0, 128, 255}));
  ASSERT_EQ(image.palette_count, 256);
  for (size_t j = 0; j < 256; ++j) {
    const uint8_t* entry = image.palette.data() + j * image.palette_entry_size;
    ASSERT_EQ(Bytes(entry, entry + 3), Bytes(3, static_cast<uint8_t>(j)));
  }
}

TEST_F(SgiTest, GreyWithAlphaBecomesThirtyTwoBits) {
  Bytes file = header(0, 3, 2, 1, 2);
  for (uint8_t value : {40, 50, 255, 0}) file.push_back(value);
  ASSERT_EQ(read(file), NoError);
  EXPECT_EQ(image.bits_per_pixel, 32);
  EXPECT_EQ(row(0, 8), (Bytes{40, 40, 40, 255, 50, 50, 50, 0}));
}

TEST_F(SgiTest, DimensionOneReadsASingleRow) {
  Bytes file = header(0, 1, 2, 5, 1);
  for (uint8_t value : {7, 8}) file.push_back(value);
  ASSERT_EQ(read(file), NoError);
  EXPECT_EQ(image.height, 1u);
  EXPECT_EQ(row(0, 2), (Bytes{7, 8}));
}

TEST_F(SgiTest, RunLengthFourChannels) {
  // Width 3, height 2: runs, copies and a run followed by a copy.
  const std::vector<Bytes> rows = {
      {0x03, 1, 0},           {0x83, 2, 3, 4, 0},        // red rows 0 and 1
      {0x02, 5, 0x81, 6, 0},  {0x03, 7, 0},              // green
      {0x83, 8, 9, 10, 0},    {0x03, 11, 0},             // blue
      {0x03, 255, 0},         {0x01, 0, 0x02, 128, 0}};  // alpha
  ASSERT_EQ(read(run_length_file(3, 2, 4, rows)), NoError);
  EXPECT_EQ(image.bits_per_pixel, 32);
  EXPECT_EQ(row(0, 12), (Bytes{8, 5, 1, 255, 9, 5, 1, 255, 10, 6, 1, 255}));
  EXPECT_EQ(row(1, 12), (Bytes{11, 7, 2, 0, 11, 7, 3, 128, 11, 7, 4, 128}));
}

TEST_F(SgiTest, BrokenRunLengthRowsFail) {
  struct Case {
    Bytes row;
    ImageLibraryError code;
  };
  for (const Case& c : {Case{{0x02, 1, 0}, CorruptFile},                // one pixel short
                        Case{{0x03, 1, 5}, UnsupportedOption},          // no final 0
                        Case{{0x04, 1, 0}, CorruptFile},                // past the width
                        Case{{0x83, 1, 2}, CorruptFile},                // past the row's data
                        Case{{0x03, 1, 0, 0}, CorruptFile},             // length beyond the data used
                        Case{{}, CorruptFile}}) {
    EXPECT_EQ(read(run_length_file(3, 1, 1, {c.row})), c.code) << c.row.size();
    EXPECT_TRUE(image.pixels.empty());
  }
  Bytes file = run_length_file(3, 1, 1, {{0x03, 1, 0}});
  file.resize(file.size() - 1);  // the row reaches past the end of the file
  EXPECT_EQ(read(file), ReadError);
}

TEST_F(SgiTest, BadHeadersFailWithTheirCodes) {
  Bytes good = header(0, 2, 1, 1, 1);
  good.push_back(9);
  EXPECT_EQ(read(Bytes(good.begin(), good.begin() + 511)), ReadError);
  struct Case {
    size_t offset;
    uint8_t value;
    ImageLibraryError code;
  };
  // Sample sizes other than one byte, dimensions outside 1 to 3 and unknown
  // storage kinds are refused rather than read as something else.
  for (const Case& c : {Case{0, 2, UnsupportedOption}, Case{3, 2, UnsupportedOption},
                        Case{3, 0, UnsupportedOption}, Case{3, 4, UnsupportedOption},
                        Case{5, 0, UnsupportedOption}, Case{5, 4, UnsupportedOption},
                        Case{2, 2, UnsupportedOption},
                        Case{107, 1, UnsupportedOption}, Case{11, 5, BadBitsPerPixel},
                        Case{7, 0, BadImageSize}, Case{7, 2, ReadError}}) {
    Bytes bad = good;
    bad[c.offset] = c.value;
    EXPECT_EQ(read(bad), c.code) << c.offset;
    EXPECT_EQ(get_last_error(), c.code);
    EXPECT_TRUE(image.pixels.empty());
  }
  EXPECT_EQ(read_rgb(dir.file("missing.rgb"), image), CannotOpenFile);
}

TEST_F(SgiTest, DeclaredSizesAreCheckedBeforeAllocating) {
  Bytes file = header(0, 3, 60000, 60000, 4);
  EXPECT_EQ(read(file), BadImageSize);
  image.max_pixels = uint64_t{60000} * 60000;
  EXPECT_EQ(read(file), ReadError);
  EXPECT_EQ(read(header(1, 3, 60000, 60000, 4)), ReadError);  // no room for the tables
}

TEST_F(SgiTest, WriterRoundTripsTrueColour) {
  for (const uint8_t bits : {24, 32}) {
    const ImageRecord source = make_record(3, 2, bits);
    ASSERT_EQ(write_rgb(path, source), NoError);
    const Bytes file = read_file_bytes(path);
    ASSERT_EQ(file.size(), 512u + 6 * bits / 8);
    EXPECT_EQ(file[5], 3);       // dimension
    EXPECT_EQ(file[11], bits / 8);  // channels
    EXPECT_EQ(file[512], source.row(0)[2]);  // red plane first
    image.pad_rows = 1;
    ASSERT_EQ(read_rgb(path, image), NoError);
    EXPECT_EQ(image.bits_per_pixel, bits);
    EXPECT_EQ(image.pixels, source.pixels);
  }
}

TEST_F(SgiTest, WriterStoresPalettesAsPlanes) {
  ImageRecord grey = make_record(2, 1, 8, 256);
  for (size_t j = 0; j < 256; ++j) std::fill_n(grey.palette.begin() + 4 * j, 3, static_cast<uint8_t>(255 - j));
  grey.row(0)[0] = 0;
  grey.row(0)[1] = 200;
  ASSERT_EQ(write_rgb(path, grey), NoError);
  Bytes file = read_file_bytes(path);
  EXPECT_EQ(file[5], 2);
  EXPECT_EQ(file[11], 1);
  EXPECT_EQ(Bytes(file.begin() + 512, file.end()), (Bytes{255, 55}));

  ImageRecord colour = make_record(9, 1, 1);
  colour.palette = {1, 2, 3, 0, 4, 5, 6, 0};
  colour.row(0)[0] = 0x80;
  colour.row(0)[1] = 0x00;
  ASSERT_EQ(write_rgb(path, colour), NoError);
  file = read_file_bytes(path);
  EXPECT_EQ(file[11], 3);
  EXPECT_EQ(Bytes(file.begin() + 512, file.begin() + 521), (Bytes{6, 3, 3, 3, 3, 3, 3, 3, 3}));
  EXPECT_EQ(Bytes(file.begin() + 530, file.end()), (Bytes{4, 1, 1, 1, 1, 1, 1, 1, 1}));
}

TEST_F(SgiTest, WriterWidensSixteenBitPixels) {
  ImageRecord source = make_record(1, 1, 16);
  source.row(0)[0] = 0x1F;  // blue 31
  source.row(0)[1] = 0x7C;  // red 31
  ASSERT_EQ(write_rgb(path, source), NoError);
  const Bytes file = read_file_bytes(path);
  EXPECT_EQ(Bytes(file.begin() + 512, file.end()), (Bytes{248, 0, 248}));
}

TEST_F(SgiTest, WriterNameFieldAndFailures) {
  const std::string long_name = dir.file(std::string(100, 'n') + ".rgb");
  ASSERT_EQ(write_rgb(long_name, make_record(1, 1, 24)), NoError);
  const Bytes file = read_file_bytes(long_name);
  EXPECT_EQ(std::string(file.begin() + 24, file.begin() + 103), long_name.substr(0, 79));
  EXPECT_EQ(file[103], 0);

  write_file_bytes(path, {1, 2});
  EXPECT_EQ(write_rgb(path, ImageRecord{}), BadImagePointer);
  EXPECT_EQ(write_rgb(path, make_record(70000, 1, 24)), BadImageSize);
  EXPECT_EQ(read_file_bytes(path), (Bytes{1, 2}));
  EXPECT_EQ(write_rgb(dir.file("none/x.rgb"), make_record(1, 1, 24)), CannotOpenFile);
}

}  // namespace
