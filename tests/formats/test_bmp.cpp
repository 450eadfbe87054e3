#include <gtest/gtest.h>

#include "imagelib/formats/bmp.h"
#include "tests/imagelib/bmp_bytes.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

class Bmp : public ::testing::Test {
 protected:
  ImageLibraryError read(const std::vector<uint8_t>& bytes, int32_t pad_rows = 0) {
    write_file_bytes(dir.file("in.bmp"), bytes);
    image = ImageRecord{};
    image.pad_rows = pad_rows;
    return read_bmp(dir.file("in.bmp"), image);
  }
  std::vector<uint8_t> write(const ImageRecord& record) {
    EXPECT_EQ(write_bmp(dir.file("out.bmp"), record), NoError);
    return read_file_bytes(dir.file("out.bmp"));
  }
  TempDir dir;
  ImageRecord image;
};

uint32_t u32_at(const std::vector<uint8_t>& bytes, size_t offset) {
  return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) | (uint32_t{bytes[offset + 3]} << 24);
}

TEST_F(Bmp, RoundTripsByteExactlyAtEveryPaletteAndTrueColourDepth) {
  for (const uint16_t bits : {1, 4, 8, 16, 24}) {
    for (const int32_t width : {1, 5, 9, 16}) {
      const std::vector<uint8_t> file = pattern_bmp(width, 3, bits);
      ASSERT_EQ(read(file), NoError) << bits << " " << width;
      EXPECT_EQ(write(image), file) << bits << " " << width;
      ASSERT_EQ(read(file, 1), NoError);
      EXPECT_EQ(write(image), file) << bits << " " << width << " padded";
    }
  }
}

TEST_F(Bmp, ThirtyTwoBitsAreWrittenAsTwentyFourAndLoseOnlyAlpha) {
  BmpFile file;
  file.width = 2;
  file.height = 1;
  file.bits = 32;
  file.pixels = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(read(bmp_bytes(file)), NoError);
  EXPECT_EQ(image.bits_per_pixel, 32);
  const std::vector<uint8_t> written = write(image);
  EXPECT_EQ(written[28], 24);
  EXPECT_EQ(std::vector<uint8_t>(written.begin() + 54, written.end()), (std::vector<uint8_t>{1, 2, 3, 5, 6, 7, 0, 0}));
}

TEST_F(Bmp, PaddedRowsAreReadIntoPackedRecordRows) {
  ASSERT_EQ(read(pattern_bmp(5, 2, 24)), NoError);
  EXPECT_EQ(image.row_stride, 15u);
  const std::vector<uint8_t> written = write(image);
  EXPECT_EQ(written.size(), 54u + 32u);
  EXPECT_EQ(written[54 + 15], 0);
}

TEST_F(Bmp, ColoursUsedSetsThePaletteAndWherePixelsStart) {
  BmpFile file;
  file.width = 1;
  file.height = 1;
  file.bits = 8;
  file.colours_used = 17;
  file.palette = pattern_palette(17);
  file.pixels = {16, 0, 0, 0};
  ASSERT_EQ(read(bmp_bytes(file)), NoError);
  EXPECT_EQ(image.palette_count, 17);
  EXPECT_EQ(image.palette_entry_size, 4);
  EXPECT_EQ(image.row(0)[0], 16);

  file.colours_used = 0;
  file.palette = pattern_palette(256);
  ASSERT_EQ(read(bmp_bytes(file)), NoError);
  EXPECT_EQ(image.palette_count, 256);
}

TEST_F(Bmp, TopDownFileGivesBottomUpRecord) {
  BmpFile file;
  file.width = 1;
  file.height = -2;
  file.bits = 8;
  file.colours_used = 2;
  file.palette = pattern_palette(2);
  file.pixels = {1, 0, 0, 0, 0, 0, 0, 0};  // top row first
  ASSERT_EQ(read(bmp_bytes(file)), NoError);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.row(0)[0], 0);
  EXPECT_EQ(image.row(1)[0], 1);
}

TEST_F(Bmp, WriterHeadersAndPaletteSlots) {
  ImageRecord one;
  one.width = 3;
  one.height = 1;
  one.bits_per_pixel = 1;
  one.palette_count = 2;
  ASSERT_EQ(image_allocate(one), NoError);
  one.palette = {10, 20, 30, 40, 50, 60};  // 3-byte entries
  const std::vector<uint8_t> bytes = write(one);
  EXPECT_EQ(u32_at(bytes, 10), 62u);
  EXPECT_EQ(u32_at(bytes, 46), 2u);
  EXPECT_EQ(u32_at(bytes, 50), 2u);
  EXPECT_EQ(u32_at(bytes, 2), bytes.size());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 54, bytes.begin() + 62),
            (std::vector<uint8_t>{10, 20, 30, 0, 40, 50, 60, 0}));
}

TEST_F(Bmp, HostileFilesFailWithTheirCodesAndLeaveNoBuffers) {
  std::vector<uint8_t> file = pattern_bmp(4, 4, 24);
  file[1] = 'A';
  EXPECT_EQ(read(file), UnsupportedOption);
  EXPECT_EQ(get_last_error(), UnsupportedOption);

  BmpFile rle;
  rle.bits = 8;
  rle.compression = 1;
  EXPECT_EQ(read(bmp_bytes(rle)), UnsupportedOption);
  rle.compression = 3;
  EXPECT_EQ(read(bmp_bytes(rle)), UnsupportedOption);

  BmpFile two_bits;
  two_bits.bits = 2;
  two_bits.pixels = {0, 0, 0, 0};
  EXPECT_EQ(read(bmp_bytes(two_bits)), BadBitsPerPixel);

  BmpFile empty;
  empty.width = 0;
  EXPECT_EQ(read(bmp_bytes(empty)), BadImageSize);

  const std::vector<uint8_t> whole = pattern_bmp(4, 4, 8);
  for (const size_t cut : {size_t{0}, size_t{10}, size_t{30}, size_t{54}, size_t{54 + 1000}, whole.size() - 1}) {
    EXPECT_EQ(read(std::vector<uint8_t>(whole.begin(), whole.begin() + cut)), ReadError) << cut;
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_TRUE(image.palette.empty());
  }

  EXPECT_EQ(read_bmp(dir.file("missing.bmp"), image), CannotOpenFile);
}

TEST_F(Bmp, HugeDeclaredSizesAreRefusedBeforeAllocating) {
  BmpFile huge;
  huge.width = 100000;
  huge.height = -100000;
  EXPECT_EQ(read(bmp_bytes(huge)), BadImageSize);
  huge.width = -1;
  huge.height = 1;
  EXPECT_EQ(read(bmp_bytes(huge)), BadImageSize);
  // Within the pixel limit but far longer than the file.
  huge.width = 9000;
  huge.height = 9000;
  EXPECT_EQ(read(bmp_bytes(huge)), ReadError);
  EXPECT_TRUE(image.pixels.empty());
}

TEST_F(Bmp, WriterRefusesBadRecordsAndKeepsExistingFiles) {
  ImageRecord none;
  EXPECT_EQ(write_bmp(dir.file("x.bmp"), none), BadImagePointer);
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.bmp")));

  ImageRecord short_entries;
  short_entries.width = 1;
  short_entries.height = 1;
  short_entries.bits_per_pixel = 8;
  ASSERT_EQ(image_allocate(short_entries), NoError);
  short_entries.palette_entry_size = 2;
  write_file_bytes(dir.file("keep.bmp"), {1, 2, 3});
  EXPECT_EQ(write_bmp(dir.file("keep.bmp"), short_entries), BadImagePointer);
  EXPECT_EQ(read_file_bytes(dir.file("keep.bmp")), (std::vector<uint8_t>{1, 2, 3}));

  ASSERT_EQ(read(pattern_bmp(2, 2, 24)), NoError);
  EXPECT_EQ(write_bmp(dir.file("no/such/folder/x.bmp"), image), CannotOpenFile);
  EXPECT_EQ(get_last_error(), CannotOpenFile);
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string().rfind(".wsqtmp", 0), std::string::npos) << entry.path();
  }
}

}  // namespace
