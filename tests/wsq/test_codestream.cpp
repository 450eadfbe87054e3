// Codestream markers, segment readers and writers, and scaled values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "wsq/codestream.h"
#include "wsq/codestream_scaled.h"
#include "wsq/diagnostics.h"

namespace {

struct Output {
  std::vector<uint8_t> buffer = std::vector<uint8_t>(4096);
  int32_t length = 0;
  uint8_t* data() { return buffer.data(); }
  int32_t capacity() const { return static_cast<int32_t>(buffer.size()); }
  std::vector<uint8_t> bytes() const { return {buffer.begin(), buffer.begin() + length}; }
};

struct Input {
  std::vector<uint8_t> bytes;
  const uint8_t* cursor;
  const uint8_t* end;
  explicit Input(std::vector<uint8_t> data)
      : bytes(std::move(data)), cursor(bytes.data()), end(bytes.data() + bytes.size()) {}
  size_t consumed() const { return static_cast<size_t>(cursor - bytes.data()); }
  // Skips the marker a writer put in front of the segment body.
  Input& after_marker() {
    cursor += 2;
    return *this;
  }
};

TEST(ScaledValue, WorkedExamples) {
  uint8_t scale = 0;
  uint32_t value = 0;
  ASSERT_TRUE(float_to_scaled(180.5f, kScaledLimit16, scale, value));
  EXPECT_EQ(scale, 2);
  EXPECT_EQ(value, 18050u);
  EXPECT_EQ(scaled_to_float(value, scale), 180.5f);
  ASSERT_TRUE(float_to_scaled(7.5f, kScaledLimit16, scale, value));
  EXPECT_EQ(scale, 3);
  EXPECT_EQ(value, 7500u);
  ASSERT_TRUE(float_to_scaled(0.852698679f, kScaledLimit32, scale, value));
  EXPECT_EQ(scale, 9);
  EXPECT_EQ(value, 852698573u);
  ASSERT_TRUE(float_to_scaled(0.0f, kScaledLimit32, scale, value));
  EXPECT_EQ(scale, 0);
  EXPECT_EQ(value, 0u);
}

TEST(ScaledValue, RefusesUnstorableMagnitudes) {
  uint8_t scale = 0;
  uint32_t value = 0;
  EXPECT_FALSE(float_to_scaled(65535.0f, kScaledLimit16, scale, value));
  EXPECT_FALSE(float_to_scaled(-1.0f, kScaledLimit16, scale, value));
  EXPECT_FALSE(float_to_scaled(std::nanf(""), kScaledLimit16, scale, value));
  EXPECT_TRUE(float_to_scaled(65534.0f, kScaledLimit16, scale, value));
  EXPECT_EQ(scale, 0);
  EXPECT_EQ(value, 65534u);
}

TEST(Markers, EachSetAcceptsItsMarkers) {
  struct Case {
    uint16_t word;
    MarkerSet set;
    int32_t code;
  };
  const Case cases[] = {
      {0xFFA0, MarkerSet::soi_only, 0},      {0xFFD8, MarkerSet::soi_only, -88},
      {0xFFA2, MarkerSet::tables_or_sof, 0}, {0xFFA8, MarkerSet::tables_or_sof, 0},
      {0xFFA1, MarkerSet::tables_or_sof, -89}, {0xFFA3, MarkerSet::tables_or_sof, -89},
      {0xFFA3, MarkerSet::tables_or_sob, 0}, {0xFFA4, MarkerSet::tables_or_sob, 0},
      {0xFFA1, MarkerSet::tables_or_sob, -90}, {0xFFA7, MarkerSet::tables_or_sob, -90},
      {0xFFA7, MarkerSet::any, 0},           {0x12FF, MarkerSet::any, -91},
  };
  for (const Case& c : cases) {
    Input in({static_cast<uint8_t>(c.word >> 8), static_cast<uint8_t>(c.word)});
    uint16_t marker = 0;
    CapturedDiagnostics diag;
    EXPECT_EQ(getc_marker_wsq(marker, c.set, in.cursor, in.end), c.code) << std::hex << c.word;
    if (c.code == 0) {
      EXPECT_EQ(marker, c.word);
    }
    EXPECT_EQ(diag.text().empty(), c.code == 0);
  }
}

TEST(Markers, MessagesNameTheWordRead) {
  uint16_t marker = 0;
  CapturedDiagnostics diag;
  Input soi({0xFF, 0xD8});
  getc_marker_wsq(marker, MarkerSet::soi_only, soi.cursor, soi.end);
  Input any({0x12, 0xAB});
  getc_marker_wsq(marker, MarkerSet::any, any.cursor, any.end);
  Input sof({0xFF, 0xA1});
  getc_marker_wsq(marker, MarkerSet::tables_or_sof, sof.cursor, sof.end);
  Input sob({0xFF, 0xA1});
  getc_marker_wsq(marker, MarkerSet::tables_or_sob, sob.cursor, sob.end);
  EXPECT_EQ(diag.text(),
            "ERROR : getc_marker_wsq : No SOI marker. {65496}\n"
            "ERROR : getc_marker_wsq : no marker found {12AB}\n"
            "ERROR : getc_marker_wsq : No SOF, Table, or comment markers.\n"
            "ERROR : getc_marker_wsq : No SOB, Table, or comment markers.\n");
}

TEST(TransformTable, TapsAreWrittenAsSignScaleAndValue) {
  const float lo[3] = {9.0f, 0.0f, -0.5f};
  const float hi[2] = {1.0f, 0.852698679f};
  Output out;
  ASSERT_EQ(putc_transform_table(lo, 3, hi, 2, out.data(), out.capacity(), out.length), 0);
  const std::vector<uint8_t> expected = {
      0xFF, 0xA4, 0x00, 58, 3, 2,
      0, 0, 0x00, 0x00, 0x00, 0x00,  // lo[1] = 0
      1, 9, 0x1D, 0xCD, 0x65, 0x00,  // lo[2] = -0.5: 500000000
      0, 9, 0x32, 0xD3, 0x25, 0xCD,  // hi[1]: 852698573
  };
  EXPECT_EQ(out.bytes(), expected);
}

TEST(TransformTable, TooLargeTapFails) {
  const float lo[1] = {5e9f};
  const float hi[1] = {1.0f};
  Output out;
  CapturedDiagnostics diag;
  EXPECT_EQ(putc_transform_table(lo, 1, hi, 1, out.data(), out.capacity(), out.length), -82);
  EXPECT_EQ(putc_transform_table(hi, 1, lo, 1, out.data(), out.capacity(), out.length), -83);
  EXPECT_EQ(diag.text(),
            "ERROR: putc_transform_table : lofilt[0] to high at 5000000000.000000\n"
            "ERROR: putc_transform_table : hifilt[0] to high at 5000000000.000000\n");
}

TEST(TransformTable, OddSizesRebuildMirroredSynthesisFilters) {
  // Written as the encoder does: 9 lowpass taps, then 7 highpass taps.
  const float lo[9] = {0.04f, -0.02f, -0.11f, 0.38f, 0.85f, 0.38f, -0.11f, -0.02f, 0.04f};
  const float hi[7] = {0.06f, -0.04f, -0.42f, 0.79f, -0.42f, -0.04f, 0.06f};
  Output out;
  ASSERT_EQ(putc_transform_table(lo, 9, hi, 7, out.data(), out.capacity(), out.length), 0);
  EXPECT_EQ(out.length, 6 + 6 * 5 + 6 * 4);
  Input in(out.bytes());
  TransformTable table;
  ASSERT_EQ(getc_transform_table(table, in.after_marker().cursor, in.end), 0);
  EXPECT_EQ(in.cursor, in.end);
  ASSERT_EQ(table.hisize, 9);
  ASSERT_EQ(table.losize, 7);
  EXPECT_EQ(table.lo_defined, 1);
  EXPECT_EQ(table.hi_defined, 1);
  // hifilt: the stored lowpass half with alternating signs, mirrored.
  for (int c = 0; c <= 4; c++) {
    const float sign = c % 2 ? -1.0f : 1.0f;
    EXPECT_NEAR(table.hifilt[4 + c], sign * lo[4 + c], 1e-7);
    EXPECT_EQ(table.hifilt[4 - c], table.hifilt[4 + c]);
  }
  for (int c = 0; c <= 3; c++) {
    const float sign = c % 2 ? -1.0f : 1.0f;
    EXPECT_NEAR(table.lofilt[3 + c], sign * hi[3 + c], 1e-7);
    EXPECT_EQ(table.lofilt[3 - c], table.lofilt[3 + c]);
  }
}

TEST(TransformTable, EvenSizesMirrorWithSigns) {
  // Sizes 2 and 4: one triple of 0.5 for the first list, two triples of 0.25
  // and 0.125 for the second.
  Input in({0, 0, 2, 4,
            0, 1, 0, 0, 0, 5,
            0, 2, 0, 0, 0, 25, 0, 3, 0, 0, 0, 125});
  TransformTable table;
  ASSERT_EQ(getc_transform_table(table, in.cursor, in.end), 0);
  ASSERT_EQ(table.hifilt.size(), 2u);
  ASSERT_EQ(table.lofilt.size(), 4u);
  EXPECT_EQ(table.hifilt[1], 0.5f);
  EXPECT_EQ(table.hifilt[0], -0.5f);
  EXPECT_EQ(table.lofilt[2], -0.25f);
  EXPECT_EQ(table.lofilt[1], -0.25f);
  EXPECT_EQ(table.lofilt[3], 0.125f);
  EXPECT_EQ(table.lofilt[0], 0.125f);
}

TEST(TransformTable, FailedReadLeavesNoFilters) {
  TransformTable table;
  table.lofilt = {1.0f};
  table.hifilt = {1.0f};
  table.lo_defined = table.hi_defined = 1;
  CapturedDiagnostics diag;
  Input zero_size({0, 58, 0, 7});
  EXPECT_NE(getc_transform_table(table, zero_size.cursor, zero_size.end), 0);
  EXPECT_EQ(table.lo_defined, 0);
  EXPECT_EQ(table.hi_defined, 0);
  EXPECT_TRUE(table.lofilt.empty());
  Input truncated({0, 58, 9, 7, 0, 1, 0});
  EXPECT_EQ(getc_transform_table(table, truncated.cursor, truncated.end), -40);
  EXPECT_EQ(table.hi_defined, 0);
}

TEST(QuantTable, WritesUncodedSubbandsAsZerosAndReadsBack) {
  float q[64] = {};
  float z[64] = {};
  for (int k = 0; k < 64; k++) {
    q[k] = k == 5 ? 0.0f : 7.5f;
    z[k] = 1.2f * q[k];
  }
  Output out;
  ASSERT_EQ(putc_quantization_table(q, z, out.data(), out.capacity(), out.length), 0);
  ASSERT_EQ(out.length, 2 + 389);
  const std::vector<uint8_t> bytes = out.bytes();
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 7),
            std::vector<uint8_t>({0xFF, 0xA5, 0x01, 0x85, 2, 0, 44}));
  // Subband 0: 7.5 as scale 3, value 7500.
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 7, bytes.begin() + 10),
            std::vector<uint8_t>({3, 0x1D, 0x4C}));
  for (int k : {5, 60, 61, 62, 63}) {
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 7 + 6 * k, bytes.begin() + 13 + 6 * k),
              std::vector<uint8_t>(6, 0))
        << k;
  }
  Input in(bytes);
  QuantTable table;
  ASSERT_EQ(getc_quant_table(table, in.after_marker().cursor, in.end), 0);
  EXPECT_EQ(table.defined, 1);
  EXPECT_EQ(table.centre, scaled_to_float(44, 2));
  EXPECT_EQ(table.q[0], 7.5f);
  EXPECT_EQ(table.q[5], 0.0f);
  EXPECT_EQ(table.q[60], 0.0f);
  EXPECT_NEAR(table.z[0], 9.0f, 1e-5);
}

TEST(QuantTable, TooLargeWidthsFail) {
  float q[64] = {};
  float z[64] = {};
  q[3] = 70000.0f;
  Output out;
  CapturedDiagnostics diag;
  EXPECT_EQ(putc_quantization_table(q, z, out.data(), out.capacity(), out.length), -86);
  q[3] = 60000.0f;
  z[3] = 72000.0f;
  out.length = 0;
  EXPECT_EQ(putc_quantization_table(q, z, out.data(), out.capacity(), out.length), -87);
  EXPECT_EQ(diag.text(),
            "ERROR : putc_quantization_table : Q[3] to high at 70000.000000\n"
            "ERROR : putc_quantization_table : Z[3] to high at 72000.000000\n");
}

TEST(FrameHeader, WrittenAndReadBack) {
  Output out;
  ASSERT_EQ(putc_frame_segment(500, 300, 180.5f, 1.25f, out.data(), out.capacity(), out.length),
            0);
  const std::vector<uint8_t> expected = {0xFF, 0xA2, 0, 17, 0, 255, 0x01, 0x2C, 0x01, 0xF4,
                                         2, 0x46, 0x82, 4, 0x30, 0xD4, 0, 0, 0};
  EXPECT_EQ(out.bytes(), expected);
  std::vector<uint8_t> wrong_length = out.bytes();
  wrong_length[3] = 99;
  Input in(wrong_length);
  FrameHeader frame;
  ASSERT_EQ(getc_frame_segment(frame, in.after_marker().cursor, in.end), 0);
  EXPECT_EQ(in.cursor, in.end);
  EXPECT_EQ(frame.width, 500);
  EXPECT_EQ(frame.height, 300);
  EXPECT_EQ(frame.m_shift, 180.5f);
  EXPECT_EQ(frame.r_scale, 1.25f);
  EXPECT_EQ(frame.white, 255);
}

TEST(BlockHeader, WrittenAndReadBack) {
  Output out;
  ASSERT_EQ(putc_block_segment(1, out.data(), out.capacity(), out.length), 0);
  EXPECT_EQ(out.bytes(), std::vector<uint8_t>({0xFF, 0xA3, 0, 3, 1}));
  Input in(out.bytes());
  uint8_t id = 0;
  ASSERT_EQ(getc_block_segment(id, in.after_marker().cursor, in.end), 0);
  EXPECT_EQ(id, 1);
}

std::vector<uint8_t> dht_body(std::vector<std::vector<uint8_t>> tables, int length_adjust = 0) {
  std::vector<uint8_t> body = {0, 0};
  for (const auto& t : tables) body.insert(body.end(), t.begin(), t.end());
  const int length = static_cast<int>(body.size()) + length_adjust;
  body[0] = static_cast<uint8_t>(length >> 8);
  body[1] = static_cast<uint8_t>(length);
  return body;
}

// A table: id, 16 counts (`count` codes of length 8) and `count` values.
std::vector<uint8_t> table(uint8_t id, int count) {
  std::vector<uint8_t> t = {id};
  for (int i = 0; i < 16; i++) t.push_back(0);
  int left = count;
  for (int i = 7; i < 16 && left > 0; i++) {
    t[1 + i] = static_cast<uint8_t>(std::min(left, 255));
    left -= t[1 + i];
  }
  for (int i = 0; i < count; i++) t.push_back(static_cast<uint8_t>(i + 1));
  return t;
}

TEST(HuffmanSegment, WrittenTableReadsIntoItsSlot) {
  uint8_t bits[16] = {0, 2, 1};
  const uint8_t values[3] = {7, 8, 9};
  Output out;
  ASSERT_EQ(putc_huffman_segment(kDhtMarker, 3, bits, values, out.data(), out.capacity(),
                                 out.length),
            0);
  EXPECT_EQ(out.length, 2 + 19 + 3);
  Input in(out.bytes());
  HuffmanTableSet set;
  ASSERT_EQ(getc_huffman_table_wsq(set, in.after_marker().cursor, in.end), 0);
  EXPECT_EQ(in.cursor, in.end);
  EXPECT_EQ(set.slots[3].defined, 1);
  EXPECT_EQ(set.slots[3].huffbits[1], 2);
  EXPECT_EQ(set.slots[3].huffvalues[2], 9);
  EXPECT_EQ(set.slots[3].huffvalues[3], 0);
  EXPECT_EQ(set.slots[0].defined, 0);
}

TEST(HuffmanSegment, SeveralTablesInOneSegment) {
  HuffmanTableSet set;
  Input two(dht_body({table(0, 4), table(1, 2)}));
  ASSERT_EQ(getc_huffman_table_wsq(set, two.cursor, two.end), 0);
  EXPECT_EQ(set.slots[0].defined, 1);
  EXPECT_EQ(set.slots[1].defined, 1);
  // A later segment may redefine a slot.
  Input redefine(dht_body({table(1, 5)}));
  ASSERT_EQ(getc_huffman_table_wsq(set, redefine.cursor, redefine.end), 0);
  EXPECT_EQ(set.slots[1].huffvalues[4], 5);
  // Within one segment it may not.
  Input repeated(dht_body({table(2, 1), table(2, 1)}));
  CapturedDiagnostics diag;
  EXPECT_EQ(getc_huffman_table_wsq(set, repeated.cursor, repeated.end), -2);
  EXPECT_EQ(diag.text(), "ERROR : getc_huffman_table_wsq : huffman table ID = 2 already defined\n");
}

TEST(HuffmanSegment, CountLimits) {
  HuffmanTableSet set;
  Input full(dht_body({table(0, 256)}));
  EXPECT_EQ(getc_huffman_table_wsq(set, full.cursor, full.end), 0);
  CapturedDiagnostics diag;
  Input too_many(dht_body({table(0, 258)}));
  EXPECT_EQ(getc_huffman_table_wsq(set, too_many.cursor, too_many.end), -4);
  EXPECT_EQ(diag.text(),
            "ERROR : getc_huffman_table : num_hufvals (258) is largerthan MAX_HUFFCOUNTS (257)\n");
  Input one_too_many(dht_body({table(4, 257)}));
  EXPECT_EQ(getc_huffman_table_wsq(set, one_too_many.cursor, one_too_many.end), -4);
  EXPECT_EQ(set.slots[4].defined, 0);
}

TEST(HuffmanSegment, LengthAndIdChecks) {
  HuffmanTableSet set;
  CapturedDiagnostics diag;
  Input empty({0, 2, 0});
  EXPECT_EQ(getc_huffman_table_wsq(set, empty.cursor, empty.end), -2);
  EXPECT_EQ(diag.text(),
            "ERROR : getc_huffman_table : no huffman table bytes remaining\n");
  // A length shorter than the first table: the next read finds nothing left.
  Input short_length(dht_body({table(0, 3), table(1, 3)}, -22));
  EXPECT_EQ(getc_huffman_table_wsq(set, short_length.cursor, short_length.end), -2);
  Input bad_id(dht_body({table(8, 3)}));
  EXPECT_NE(getc_huffman_table_wsq(set, bad_id.cursor, bad_id.end), 0);
  Input truncated(dht_body({table(0, 30)}));
  truncated.end -= 1;
  EXPECT_EQ(getc_huffman_table_wsq(set, truncated.cursor, truncated.end), -40);
}

TEST(Comment, WrittenAndReadBack) {
  Output out;
  ASSERT_EQ(putc_comment_segment(kComMarker, "hi", 2, out.data(), out.capacity(), out.length),
            0);
  EXPECT_EQ(out.bytes(), std::vector<uint8_t>({0xFF, 0xA8, 0, 4, 'h', 'i'}));
  Input in(out.bytes());
  std::string text;
  ASSERT_EQ(getc_comment(text, in.after_marker().cursor, in.end), 0);
  EXPECT_EQ(text, "hi");
  Input empty({0, 2});
  text = "old";
  ASSERT_EQ(getc_comment(text, empty.cursor, empty.end), 0);
  EXPECT_EQ(text, "");
}

TEST(Comment, BadLengthsFail) {
  CapturedDiagnostics diag;
  std::string text;
  Input below_two({0, 1, 'x'});
  EXPECT_NE(getc_comment(text, below_two.cursor, below_two.end), 0);
  Input truncated({0, 6, 'a', 'b'});
  EXPECT_EQ(getc_comment(text, truncated.cursor, truncated.end), -40);
  Output out;
  const std::string huge(65534, 'x');
  EXPECT_NE(putc_comment_segment(kComMarker, huge.data(), 65534, out.data(), out.capacity(),
                                 out.length),
            0);
  EXPECT_EQ(out.length, 0);
}

TEST(SkipSegment, MustEndBeforeTheBuffer) {
  Input inside({0, 4, 1, 2, 0xFF});
  ASSERT_EQ(getc_skip_marker_segment(0xFFA7, inside.cursor, inside.end), 0);
  EXPECT_EQ(inside.consumed(), 4u);
  CapturedDiagnostics diag;
  Input at_end({0, 4, 1, 2});
  EXPECT_EQ(getc_skip_marker_segment(0xFFA7, at_end.cursor, at_end.end), -2);
  EXPECT_EQ(diag.text(),
            "ERROR : getc_skip_marker_segment : unexpected end of buffer when parsing "
            "marker 65447 segment of length 2\n");
  Input below_two({0, 1, 0, 0});
  EXPECT_EQ(getc_skip_marker_segment(0xFFA7, below_two.cursor, below_two.end), -2);
}

TEST(TableDispatch, ReadsTablesAndRefusesOtherMarkers) {
  TransformTable transform;
  QuantTable quant;
  HuffmanTableSet huffman;
  Input comment({0, 3, 'x'});
  ASSERT_EQ(getc_table_wsq(kComMarker, transform, quant, huffman, comment.cursor, comment.end),
            0);
  EXPECT_EQ(comment.cursor, comment.end);
  Input dht(dht_body({table(6, 2)}));
  ASSERT_EQ(getc_table_wsq(kDhtMarker, transform, quant, huffman, dht.cursor, dht.end), 0);
  EXPECT_EQ(huffman.slots[6].defined, 1);
  CapturedDiagnostics diag;
  Input other({0, 2});
  EXPECT_EQ(getc_table_wsq(kSofMarker, transform, quant, huffman, other.cursor, other.end), -93);
  EXPECT_EQ(diag.text(), "ERROR: getc_table_wsq : Invalid table defined -> {65442}\n");
}

}  // namespace
