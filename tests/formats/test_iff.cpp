// Reading IFF/ILBM files: interleaved bit planes, ByteRun1, chunk padding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/formats/iff.h"
#include "tests/formats/reader_test.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

FileBytes iff_chunk(const std::string& id, const FileBytes& body) {
  FileBytes result;
  result.text(id).u32be(static_cast<uint32_t>(body.size())).append(body);
  if (body.size() % 2 == 1) result.u8(0);  // pad byte
  return result;
}

FileBytes form(const std::vector<FileBytes>& chunks, const std::string& type = "ILBM") {
  FileBytes body;
  body.text(type);
  for (const auto& chunk : chunks) body.append(chunk);
  FileBytes result;
  result.text("FORM").u32be(static_cast<uint32_t>(body.size())).append(body);
  return result;
}

FileBytes bmhd(uint16_t width, uint16_t height, int planes, int compression, int masking = 0,
               uint16_t transparent = 0) {
  FileBytes body;
  body.u16be(width).u16be(height).u32be(0).u8(planes).u8(masking).u8(compression).u8(0);
  body.u16be(transparent).u8(10).u8(11).u16be(width).u16be(height);
  return iff_chunk("BMHD", body);
}

// Colour i is (10i, 10i + 1, 10i + 2) as red, green, blue.
FileBytes cmap(int colours) {
  FileBytes body;
  for (int i = 0; i < colours; ++i) body.u8s({10 * i, 10 * i + 1, 10 * i + 2});
  return iff_chunk("CMAP", body);
}

FileBytes body(std::initializer_list<int> bytes) {
  FileBytes result;
  result.u8s(bytes);
  return iff_chunk("BODY", result);
}

// A 10 x 2 picture of 2 planes (plane rows of 2 bytes). Top row indices
// 1 2 3 0 0 0 0 0 0 3, bottom row 2 2 2 2 2 2 2 2 1 2; bits past the width are
// set in the last plane row and must be ignored.
const Bytes kTopRow = {1, 2, 3, 0, 0, 0, 0, 0, 0, 3};
const Bytes kBottomRow = {2, 2, 2, 2, 2, 2, 2, 2, 1, 2};
FileBytes two_plane_raw_body() { return body({0xA0, 0x40, 0x60, 0x40, 0x00, 0x80, 0xFF, 0x5F}); }
FileBytes two_plane_byterun_body() {
  return body({0x01, 0xA0, 0x40, 0x01, 0x60, 0x40, 0x00, 0x00, 0x00, 0x80, 0x01, 0xFF, 0x5F});
}

class IffTest : public ReaderTest<read_iff> {
 protected:
  IffTest() : ReaderTest("picture.iff") {}
};

TEST_F(IffTest, UncompressedPlanesGiveIndicesAndTopRowIsLast) {
  ASSERT_EQ(read(form({bmhd(10, 2, 2, 0), cmap(4), two_plane_raw_body()})), NoError);
  EXPECT_EQ(image_.bits_per_pixel, 8);
  EXPECT_EQ(image_.width, 10u);
  EXPECT_EQ(image_.palette_count, 4);
  EXPECT_EQ(row(1), kTopRow);
  EXPECT_EQ(row(0), kBottomRow);
  EXPECT_EQ(entry(3), (Bytes{32, 31, 30}));
  EXPECT_EQ(image_.transparent_index, -1);
}

TEST_F(IffTest, ByteRun1PlanesWithOddBodyAndOddColourMap) {
  // Three colours make a 9-byte CMAP and the body is 13 bytes: both padded.
  ASSERT_EQ(read(form({bmhd(10, 2, 2, 1), cmap(3), two_plane_byterun_body()})), NoError);
  EXPECT_EQ(image_.palette_count, 3);
  EXPECT_EQ(row(1), kTopRow);
  EXPECT_EQ(row(0), kBottomRow);
}

TEST_F(IffTest, ByteRun1ControlBytesOnEightPlanes) {
  // Plane 0: -1 repeats 0xFF twice; plane 1: two one-byte literals F0 0F;
  // plane 2: a -128 no-op, then -127 repeats 0xAA, cut at the row end;
  // planes 3-7 zero, the last one followed by a no-op at the body's end.
  FileBytes data;
  data.u8s({0xFF, 0xFF, 0x00, 0xF0, 0x00, 0x0F, 0x80, 0x81, 0xAA});
  for (int p = 3; p < 8; ++p) data.u8s({0xFF, 0x00});
  data.u8(0x80);
  ASSERT_EQ(read(form({bmhd(16, 1, 8, 1), cmap(256), iff_chunk("BODY", data)})), NoError);
  EXPECT_EQ(row(0), (Bytes{7, 3, 7, 3, 5, 1, 5, 1, 5, 1, 5, 1, 7, 3, 7, 3}));
  EXPECT_EQ(image_.palette_count, 256);
}

TEST_F(IffTest, MaskPlaneIsSkipped) {
  ASSERT_EQ(read(form({bmhd(8, 1, 1, 0, 1), cmap(2), body({0xF0, 0x00, 0xFF, 0xFF})})), NoError);
  EXPECT_EQ(row(0), (Bytes{1, 1, 1, 1, 0, 0, 0, 0}));
}

TEST_F(IffTest, TransparentColourAndSkippedChunks) {
  FileBytes range;
  range.repeat(0, 8);
  FileBytes mode;
  mode.u32be(0);
  auto file = form({bmhd(10, 2, 2, 0, 2, 5), iff_chunk("CAMG", mode), cmap(16), iff_chunk("CRNG", range),
                    two_plane_raw_body()});
  ASSERT_EQ(read(file), NoError);
  EXPECT_EQ(image_.palette_count, 16);
  EXPECT_EQ(image_.transparent_index, 5);
}

TEST_F(IffTest, BytesAfterTheFormAreIgnored) {
  auto file = form({bmhd(10, 2, 2, 0), cmap(4), two_plane_raw_body()});
  file.text("JUNK").u32be(1000);
  ASSERT_EQ(read(file), NoError);
  EXPECT_EQ(row(1), kTopRow);
}

TEST_F(IffTest, ExtraHalfBriteAddsDarkColours) {
  FileBytes mode;
  mode.u32be(0x80);
  // Six planes; pixel 0 has index 33 (planes 0 and 5).
  auto pixels = body({0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0});
  ASSERT_EQ(read(form({bmhd(8, 1, 6, 0), cmap(32), iff_chunk("CAMG", mode), pixels})), NoError);
  EXPECT_EQ(image_.palette_count, 64);
  EXPECT_EQ(row(0)[0], 33);
  EXPECT_EQ(entry(33), (Bytes{6, 5, 5}));
}

TEST_F(IffTest, HoldAndModifyIsRefused) {
  FileBytes mode;
  mode.u32be(0x800);
  auto pixels = body({0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0});
  expect_failure(form({bmhd(8, 1, 6, 0), cmap(16), iff_chunk("CAMG", mode), pixels}), UnsupportedOption);
}

TEST_F(IffTest, PaddedRowsAreHonoured) {
  image_.pad_rows = 1;
  ASSERT_EQ(read(form({bmhd(10, 2, 2, 0), cmap(4), two_plane_raw_body()})), NoError);
  EXPECT_EQ(image_.row_stride, 12u);
  EXPECT_EQ(row(1), kTopRow);
}

TEST_F(IffTest, UnknownChunksAreSkipped) {
  FileBytes grab;
  grab.u16be(5).u16be(1);
  FileBytes note;
  note.u8s({'h', 'i', '!'});  // odd size: followed by a pad byte
  ASSERT_EQ(read(form({bmhd(10, 2, 2, 0), iff_chunk("GRAB", grab), iff_chunk("ANNO", note), cmap(4),
                       two_plane_raw_body()})),
            NoError);
  EXPECT_EQ(row(1), kTopRow);
  EXPECT_EQ(row(0), kBottomRow);
}

TEST_F(IffTest, StructureFailures) {
  expect_failure(form({bmhd(10, 2, 2, 0), cmap(4), two_plane_raw_body()}, "PBM "), CorruptData);
  auto not_form = form({bmhd(10, 2, 2, 0), cmap(4), two_plane_raw_body()});
  not_form.bytes[0] = 'X';
  expect_failure(not_form, CorruptData);
  expect_failure(form({bmhd(10, 2, 2, 0), two_plane_raw_body(), cmap(4)}), CorruptData);
  expect_failure(form({cmap(4), bmhd(10, 2, 2, 0), two_plane_raw_body()}), BadImageSize);
  expect_failure(form({bmhd(10, 2, 2, 0), cmap(4)}), CorruptData);
  FileBytes short_header;
  short_header.repeat(0, 19);
  expect_failure(form({iff_chunk("BMHD", short_header)}), CorruptData);
}

TEST_F(IffTest, UnsupportedHeaders) {
  expect_failure(form({bmhd(10, 2, 9, 1), cmap(4), two_plane_raw_body()}), UnsupportedOption);
  expect_failure(form({bmhd(10, 2, 0, 1), cmap(4), two_plane_raw_body()}), UnsupportedOption);
  expect_failure(form({bmhd(10, 2, 2, 2), cmap(4), two_plane_raw_body()}), UnsupportedOption);
  expect_failure(form({bmhd(0, 2, 2, 0), cmap(4), two_plane_raw_body()}), BadImageSize);
  image_.max_pixels = 19;
  expect_failure(form({bmhd(10, 2, 2, 0), cmap(4), two_plane_raw_body()}), BadImageSize);
}

TEST_F(IffTest, BodyFailures) {
  // A literal of three bytes in a plane row of two.
  expect_failure(form({bmhd(10, 1, 1, 1), cmap(2), body({0x02, 1, 2, 3})}), CorruptData);
  // One byte more than the rows use, compressed and uncompressed.
  expect_failure(form({bmhd(10, 1, 1, 1), cmap(2), body({0x01, 1, 2, 0})}), CorruptData);
  expect_failure(form({bmhd(10, 1, 1, 0), cmap(2), body({1, 2, 3})}), CorruptData);
  // Too little data for the declared picture, refused before decoding.
  expect_failure(form({bmhd(1000, 1000, 1, 1), cmap(2), body({0x01, 1, 2})}), CorruptData);
  // A body that stops in the middle of a row.
  expect_failure(form({bmhd(10, 2, 1, 1), cmap(2), body({0x01, 1, 2, 0x00})}), CorruptData);
}

TEST_F(IffTest, TruncatedFilesFailWithReadError) {
  auto file = form({bmhd(10, 2, 2, 0), cmap(4), two_plane_raw_body()});
  file.drop_last(3);
  expect_failure(file, ReadError);
  file.bytes.resize(6);
  expect_failure(file, ReadError);
  EXPECT_EQ(read_iff(dir_.file("missing.iff"), image_), CannotOpenFile);
}

}  // namespace
