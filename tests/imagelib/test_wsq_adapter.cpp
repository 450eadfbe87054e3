// WSQ files through the adapter: round trips, comments, failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "imagelib/image_library.h"
#include "imagelib/wsq_adapter.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tools/synthetic_print.h"
#include "wsq/codestream.h"
#include "wsq/diagnostics.h"

namespace {

// An 8-bit record whose top half (the last rows) is dark and bottom half bright.
ImageRecord two_tone(uint32_t width, uint32_t height) {
  ImageRecord image;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = 8;
  EXPECT_EQ(image_allocate(image), NoError);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) image.row(y)[x] = y < height / 2 ? 200 : 40;
  }
  return image;
}

// The codestream without its comment segments.
std::vector<uint8_t> without_comments(const std::vector<uint8_t>& codestream) {
  std::vector<uint8_t> out(codestream.begin(), codestream.begin() + 2);
  const uint8_t* cursor = codestream.data() + 2;
  const uint8_t* end = codestream.data() + codestream.size();
  while (true) {
    const uint8_t* start = cursor;
    uint16_t marker = 0;
    EXPECT_EQ(getc_marker_wsq(marker, MarkerSet::any, cursor, end), 0);
    if (marker == kSobMarker) {
      out.insert(out.end(), start, end);
      return out;
    }
    EXPECT_EQ(getc_skip_marker_segment(marker, cursor, end), 0);
    if (marker != kComMarker) out.insert(out.end(), start, cursor);
  }
}

// A comment segment with the given text.
std::vector<uint8_t> comment_segment(const std::string& text) {
  const size_t length = text.size() + 2;
  std::vector<uint8_t> segment = {0xFF, 0xA8, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
  segment.insert(segment.end(), text.begin(), text.end());
  return segment;
}

class WsqAdapter : public ::testing::Test {
 protected:
  std::string encoded(const ImageRecord& image, const ImageInfo* info, const std::string& name = "a.wsq") {
    EXPECT_EQ(write_wsq(dir.file(name), image, info), NoError);
    return dir.file(name);
  }
  TempDir dir;
  CapturedDiagnostics diagnostics;  // keeps the encoder's statistics lines out of the test log
};

// Mean absolute difference between the record's grey levels and the print,
// with the print's top row matched to the record's last row, or, when
// flipped, to its first.
double mean_error(const ImageRecord& image, const std::vector<uint8_t>& print, bool flipped) {
  double sum = 0;
  for (uint32_t i = 0; i < image.height; ++i) {
    const uint8_t* row = image.row(flipped ? i : image.height - 1 - i);
    for (uint32_t j = 0; j < image.width; ++j) sum += std::abs(row[3 * j] - print[i * image.width + j]);
  }
  return sum / (image.width * image.height);
}

TEST_F(WsqAdapter, RoundTripGivesAPackedTwentyFourBitGreyRecordBottomRowFirst) {
  const std::vector<uint8_t> print = make_synthetic_print(501, 90, 3);
  ImageRecord source;
  source.width = 501;
  source.height = 90;
  source.bits_per_pixel = 8;
  ASSERT_EQ(image_allocate(source), NoError);
  for (uint32_t i = 0; i < 90; ++i) std::copy_n(print.data() + i * 501, 501, source.row(89 - i));
  ImageInfo info;
  info.bitrate = 2.25;
  info.ppi = 500;
  const std::string path = encoded(source, &info);

  ImageRecord image;
  image.pad_rows = 1;
  ImageInfo loaded;
  ASSERT_EQ(read_wsq(path, image, &loaded), NoError);
  EXPECT_EQ(image.width, 501u);
  EXPECT_EQ(image.height, 90u);
  EXPECT_EQ(image.bits_per_pixel, 24);
  EXPECT_EQ(image.pad_rows, 0);
  EXPECT_EQ(image.row_stride, 1503u);
  EXPECT_FALSE(image.has_palette());
  EXPECT_EQ(loaded.depth_or_quality, 8u);
  EXPECT_EQ(loaded.ppi, 500);
  EXPECT_LT(mean_error(image, print, false), 8.0);
  EXPECT_GT(mean_error(image, print, true), 2 * mean_error(image, print, false));
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint8_t* pixel = image.row(y) + 3 * x;
      ASSERT_TRUE(pixel[0] == pixel[1] && pixel[1] == pixel[2]) << x << "," << y;
    }
  }
}

TEST_F(WsqAdapter, WithoutInfoTheFileHasNoResolution) {
  const std::string path = encoded(two_tone(70, 70), nullptr);
  ImageRecord image;
  ImageInfo loaded;
  ASSERT_EQ(read_wsq(path, image, &loaded), NoError);
  EXPECT_EQ(loaded.ppi, -1);
  EXPECT_EQ(loaded.depth_or_quality, 8u);
}

TEST_F(WsqAdapter, TwentyFourBitRowsAreReadAtTheirStrideAsTheMeanOfTheirBytes) {
  ImageRecord colour;
  colour.width = 66;
  colour.height = 66;
  colour.bits_per_pixel = 24;
  colour.pad_rows = 1;
  ASSERT_EQ(image_allocate(colour), NoError);
  ASSERT_EQ(colour.row_stride, 200u);
  for (uint32_t y = 0; y < colour.height; ++y) {
    for (uint32_t x = 0; x < colour.width; ++x) {
      colour.row(y)[3 * x] = 10;
      colour.row(y)[3 * x + 1] = 20;
      colour.row(y)[3 * x + 2] = 31;
    }
    colour.row(y)[198] = colour.row(y)[199] = 255;  // padding is not image
  }
  ImageInfo info;
  info.bitrate = 2.25;
  const std::string path = encoded(colour, &info);
  ImageRecord image;
  ASSERT_EQ(read_wsq(path, image, nullptr), NoError);
  EXPECT_NEAR(image.row(33)[99], 20, 1);
  EXPECT_NEAR(image.row(0)[3 * 65], 20, 1);
}

TEST_F(WsqAdapter, CommentIsTheLastCommentBeforeTheFirstBlock) {
  ImageInfo info;
  info.bitrate = 0.75;
  info.ppi = 1000;
  info.comment = "left thumb";
  const std::string path = encoded(two_tone(66, 66), &info);
  ImageRecord image;
  ImageInfo loaded;
  ASSERT_EQ(read_wsq(path, image, &loaded), NoError);
  EXPECT_EQ(loaded.comment, "left thumb");
  EXPECT_EQ(loaded.ppi, 1000);

  const std::vector<uint8_t> bare = without_comments(read_file_bytes(path));
  std::vector<uint8_t> two(bare.begin(), bare.begin() + 2);
  for (const char* text : {"first", "second"}) {
    const std::vector<uint8_t> segment = comment_segment(text);
    two.insert(two.end(), segment.begin(), segment.end());
  }
  two.insert(two.end(), bare.begin() + 2, bare.end());
  write_file_bytes(dir.file("two.wsq"), two);
  ASSERT_EQ(read_wsq(dir.file("two.wsq"), image, &loaded), NoError);
  EXPECT_EQ(loaded.comment, "second");

  write_file_bytes(dir.file("none.wsq"), bare);
  ASSERT_EQ(read_wsq(dir.file("none.wsq"), image, &loaded), NoError);
  EXPECT_FALSE(loaded.comment.has_value());
  EXPECT_EQ(loaded.ppi, -1);
}

TEST_F(WsqAdapter, LoadsThroughTheExtensionDispatch) {
  const std::string path = encoded(two_tone(66, 66), nullptr, "scan.WSQ");
  ImageInfo info;
  BitmapHandle bitmap = load_image_to_bitmap(path, &info, nullptr);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->header.biBitCount, 24);
  EXPECT_EQ(info.depth_or_quality, 8u);
  ImageInfo saving;
  saving.bitrate = 1.5;
  saving.ppi = 600;
  ASSERT_EQ(save_bitmap(bitmap.get(), dir.file("again.wsq"), &saving), NoError);
  ImageRecord image;
  ASSERT_EQ(load_image(dir.file("again.wsq"), image, &info), NoError);
  EXPECT_EQ(info.ppi, 600);
  const uint8_t grey[70 * 70] = {};
  EXPECT_EQ(save_pixels(dir.file("raw.wsq"), 1, 70, 70, grey, false), NoError);
}

TEST_F(WsqAdapter, WriterRefusesOtherDepthsWithItsMessageAndNoFile) {
  ImageRecord image;
  image.width = 70;
  image.height = 70;
  image.bits_per_pixel = 32;
  ASSERT_EQ(image_allocate(image), NoError);
  CapturedDiagnostics captured;
  EXPECT_EQ(write_wsq(dir.file("deep.wsq"), image, nullptr), BadBitsPerPixel);
  EXPECT_EQ(captured.text(), "ERROR: read_raw_or_ihead : image depth = 32 not 8 or 24\n");
  EXPECT_EQ(get_last_error(), BadBitsPerPixel);
  EXPECT_FALSE(std::filesystem::exists(dir.file("deep.wsq")));
}

TEST_F(WsqAdapter, EncoderFailuresGiveSizeOrGeneralCodesAndKeepAnExistingFile) {
  write_file_bytes(dir.file("keep.wsq"), {9, 9, 9});
  CapturedDiagnostics captured;
  EXPECT_EQ(write_wsq(dir.file("keep.wsq"), two_tone(64, 100), nullptr), BadImageSize);
  EXPECT_NE(captured.text(), "");  // the codec says why
  EXPECT_EQ(read_file_bytes(dir.file("keep.wsq")), (std::vector<uint8_t>{9, 9, 9}));
  EXPECT_EQ(write_wsq(dir.file("wide.wsq"), two_tone(65536, 65), nullptr), BadImageSize);
  ImageInfo info;
  info.bitrate = -1;
  EXPECT_EQ(write_wsq(dir.file("keep.wsq"), two_tone(66, 66), &info), CorruptFile);
  EXPECT_EQ(read_file_bytes(dir.file("keep.wsq")), (std::vector<uint8_t>{9, 9, 9}));
}

TEST_F(WsqAdapter, FileErrors) {
  {
    CapturedDiagnostics captured;
    const std::string path = dir.file("no/such/folder/a.wsq");
    EXPECT_EQ(write_wsq(path, two_tone(66, 66), nullptr), CannotOpenFile);
    EXPECT_NE(captured.text().find("ERROR: write_raw_from_memsize : fopen : " + path + "\n"), std::string::npos);
  }
  {
    CapturedDiagnostics captured;
    ImageRecord image;
    ImageInfo info;
    EXPECT_EQ(read_wsq(dir.file("missing.wsq"), image, &info), CannotOpenFile);
    EXPECT_EQ(get_last_error(), CannotOpenFile);
    EXPECT_EQ(captured.text(), "");
    EXPECT_EQ(read_wsq(dir.path().string(), image, &info), CannotOpenFile);
  }
  std::vector<uint8_t> buffer;
  int32_t length = 0;
  EXPECT_EQ(read_raw_from_filesize(dir.file("missing"), buffer, length), -1);
  const uint8_t bytes[3] = {1, 2, 3};
  ASSERT_EQ(write_raw_from_memsize(dir.file("raw"), bytes, 3), 0);
  ASSERT_EQ(read_raw_from_filesize(dir.file("raw"), buffer, length), 0);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(buffer, (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(WsqAdapter, DamagedFilesFailAsCorruptAndLeaveNoBuffers) {
  const std::vector<uint8_t> good = read_file_bytes(encoded(two_tone(80, 70), nullptr));
  const std::string path = dir.file("bad.wsq");
  ImageRecord image;
  image.pad_rows = 1;
  for (size_t cut = 0; cut < good.size(); cut += good.size() / 16 + 1) {
    write_file_bytes(path, std::vector<uint8_t>(good.begin(), good.begin() + cut));
    EXPECT_EQ(read_wsq(path, image, nullptr), CorruptData) << cut;
    EXPECT_TRUE(image.pixels.empty());
  }
  std::srand(7);
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<uint8_t> damaged = good;
    for (int flip = 0; flip < 4; ++flip) damaged[std::rand() % damaged.size()] ^= static_cast<uint8_t>(1 + std::rand() % 255);
    write_file_bytes(path, damaged);
    const ImageLibraryError code = read_wsq(path, image, nullptr);
    EXPECT_TRUE(code == NoError || code == CorruptData || code == BadImageSize) << trial << " " << int(code);
  }
}

TEST_F(WsqAdapter, FramesAboveTheRecordsPixelLimitAreRefusedAsBadSize) {
  const std::string path = encoded(two_tone(80, 70), nullptr);
  ImageRecord image;
  image.max_pixels = 80 * 70 - 1;
  EXPECT_EQ(read_wsq(path, image, nullptr), BadImageSize);
  image.max_pixels = 80 * 70;
  EXPECT_EQ(read_wsq(path, image, nullptr), NoError);
}

// The record's thread count reaches the codec and never changes a byte of
// the file or a pixel of the record, through the dispatch as well.
TEST_F(WsqAdapter, ResultsAreTheSameForEveryCodecThreadCount) {
  constexpr uint32_t kWidth = 611, kHeight = 523;
  const std::vector<uint8_t> print = make_synthetic_print(kWidth, kHeight, 5);
  ImageRecord source = two_tone(kWidth, kHeight);
  for (uint32_t i = 0; i < kHeight; ++i) std::copy_n(&print[i * kWidth], kWidth, source.row(kHeight - 1 - i));
  ImageInfo info;
  info.bitrate = 2.25;
  info.ppi = 500;
  source.codec_threads = 1;
  const std::vector<uint8_t> single = read_file_bytes(encoded(source, &info, "one.wsq"));
  ImageRecord expected;
  ASSERT_EQ(read_wsq(dir.file("one.wsq"), expected, nullptr), NoError);
  for (const uint32_t threads : {2u, 3u, 0u, UINT32_MAX}) {
    SCOPED_TRACE(threads);
    source.codec_threads = threads;
    EXPECT_EQ(read_file_bytes(encoded(source, &info, "many.wsq")), single);
    ImageRecord image;
    image.codec_threads = threads;
    ASSERT_EQ(load_image(dir.file("one.wsq"), image, nullptr, nullptr), NoError);
    EXPECT_EQ(image.codec_threads, threads);
    EXPECT_EQ(image.pixels, expected.pixels);
  }
}

}  // namespace
