// NISTCOM records: building, merging, writing and finding them in a
// codestream.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wsq/byte_stream.h"
#include "wsq/codestream.h"
#include "wsq/diagnostics.h"
#include "wsq/nistcom.h"

namespace {

struct Output {
  std::vector<uint8_t> buffer = std::vector<uint8_t>(2048);
  int32_t length = 0;
};

// The COM segments a put_nistcom_segments call writes, as texts.
std::vector<std::string> written_comments(const char* comment, int32_t ppi, float bitrate,
                                          int32_t depth = 8) {
  Output out;
  EXPECT_EQ(put_nistcom_segments(comment, 500, 400, depth, ppi, 1, bitrate, out.buffer.data(),
                                 static_cast<int32_t>(out.buffer.size()), out.length),
            0);
  std::vector<std::string> texts;
  const uint8_t* cursor = out.buffer.data();
  const uint8_t* end = cursor + out.length;
  while (cursor < end) {
    uint16_t marker = 0;
    EXPECT_EQ(getc_marker_wsq(marker, MarkerSet::any, cursor, end), 0);
    EXPECT_EQ(marker, kComMarker);
    std::string text;
    EXPECT_EQ(getc_comment(text, cursor, end), 0);
    texts.push_back(text);
  }
  return texts;
}

TEST(Nistcom, RecordWithoutComment) {
  Output out;
  ASSERT_EQ(put_nistcom_segments(nullptr, 500, 500, 8, 500, 1, 0.75f, out.buffer.data(), 2048,
                                 out.length),
            0);
  const std::string expected =
      "NIST_COM 9\nPIX_WIDTH 500\nPIX_HEIGHT 500\nPIX_DEPTH 8\nPPI 500\nLOSSY 1\n"
      "COLORSPACE GRAY\nCOMPRESSION WSQ\nWSQ_BITRATE 0.750000";
  ASSERT_EQ(expected.size(), 120u);
  ASSERT_EQ(out.length, 4 + 120);
  EXPECT_EQ(out.buffer[0], 0xFF);
  EXPECT_EQ(out.buffer[1], 0xA8);
  EXPECT_EQ(out.buffer[3], 122);
  EXPECT_EQ(std::string(out.buffer.begin() + 4, out.buffer.begin() + out.length), expected);
}

TEST(Nistcom, NumbersAreFormatted) {
  const std::vector<std::string> texts = written_comments(nullptr, -1, 0.3f, 24);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("\nPPI -1\n"), std::string::npos);
  EXPECT_NE(texts[0].find("\nPIX_DEPTH 24\n"), std::string::npos);
  EXPECT_NE(texts[0].find("\nWSQ_BITRATE 0.300000"), std::string::npos);
}

TEST(Nistcom, CallerRecordIsMerged) {
  const std::vector<std::string> texts = written_comments("NIST_COM 3\nFOO bar\nPPI 250", 500, 0.75f);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0],
            "NIST_COM 10\nFOO bar\nPPI 500\nPIX_WIDTH 500\nPIX_HEIGHT 400\nPIX_DEPTH 8\n"
            "LOSSY 1\nCOLORSPACE GRAY\nCOMPRESSION WSQ\nWSQ_BITRATE 0.750000");
}

TEST(Nistcom, PlainCommentFollowsInItsOwnSegment) {
  const std::vector<std::string> texts = written_comments("left thumb\nscan 2", 500, 0.75f);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rfind("NIST_COM 9\n", 0), 0u);
  EXPECT_EQ(texts[1], "left thumb\nscan 2");
  const std::vector<std::string> empty = written_comments("", 500, 0.75f);
  ASSERT_EQ(empty.size(), 2u);
  EXPECT_EQ(empty[1], "");
}

TEST(Nistcom, BadCallerRecordOrFullBufferFails) {
  Output out;
  CapturedDiagnostics diag;
  const std::string long_name = "NIST_COM 1\n" + std::string(600, 'N') + " 1";
  EXPECT_NE(put_nistcom_segments(long_name.c_str(), 500, 400, 8, 500, 1, 0.75f,
                                 out.buffer.data(), 2048, out.length),
            0);
  EXPECT_EQ(out.length, 0);
  out.length = 0;
  EXPECT_EQ(put_nistcom_segments(nullptr, 500, 400, 8, 500, 1, 0.75f, out.buffer.data(), 50,
                                 out.length),
            -32);
}

TEST(Nistcom, LossyFlagIsNeverCleared) {
  std::unique_ptr<FET> fet;
  ASSERT_EQ(string2fet(fet, "NIST_COM 2\nLOSSY 1"), 0);
  CapturedDiagnostics diag;
  ASSERT_EQ(combine_nistcom(fet, 10, 20, 8, 300, 0), 0);
  EXPECT_EQ(diag.text(),
            "WARNING : combine_nistcom : request to unset lossy flag ignored\n");
  std::optional<std::string> value;
  ASSERT_EQ(lookupfet(value, "LOSSY", *fet), 1);
  EXPECT_EQ(value, "1");
  ASSERT_EQ(lookupfet(value, "NIST_COM", *fet), 1);
  EXPECT_EQ(value, "6");

  std::unique_ptr<FET> unset;
  ASSERT_EQ(string2fet(unset, "NIST_COM 2\nLOSSY"), 0);
  ASSERT_EQ(combine_nistcom(unset, 10, 20, 8, 300, 0), 0);
  ASSERT_EQ(lookupfet(value, "LOSSY", *unset), 1);
  EXPECT_EQ(value, "0");
}

TEST(Nistcom, NewRecordHasSixCommonEntries) {
  std::unique_ptr<FET> fet;
  ASSERT_EQ(combine_nistcom(fet, 10, 20, 8, 300, 1), 0);
  std::string text;
  ASSERT_EQ(fet2string(text, *fet), 0);
  EXPECT_EQ(text, "NIST_COM 6\nPIX_WIDTH 10\nPIX_HEIGHT 20\nPIX_DEPTH 8\nPPI 300\nLOSSY 1");
}

// A codestream head: SOI and the given segments.
std::vector<uint8_t> codestream(std::initializer_list<std::vector<uint8_t>> segments) {
  std::vector<uint8_t> bytes = {0xFF, 0xA0};
  for (const auto& s : segments) bytes.insert(bytes.end(), s.begin(), s.end());
  return bytes;
}

std::vector<uint8_t> com(const std::string& text) {
  std::vector<uint8_t> out(text.size() + 4);
  int32_t length = 0;
  EXPECT_EQ(putc_comment_segment(kComMarker, text.data(), static_cast<int32_t>(text.size()),
                                 out.data(), static_cast<int32_t>(out.size()), length),
            0);
  return out;
}

const std::vector<uint8_t> kSob = {0xFF, 0xA3, 0, 3, 0};
const std::vector<uint8_t> kOtherSegment = {0xFF, 0xA7, 0, 4, 1, 2};

std::unique_ptr<FET> find(const std::vector<uint8_t>& bytes, int32_t expected_ret = 0) {
  std::unique_ptr<FET> fet;
  CapturedDiagnostics diag;
  EXPECT_EQ(find_nistcom_comment(fet, bytes.data(), static_cast<int32_t>(bytes.size())),
            expected_ret)
      << diag.text();
  return fet;
}

TEST(FindNistcom, FirstRecordBeforeFirstBlock) {
  std::unique_ptr<FET> fet =
      find(codestream({com("plain"), kOtherSegment, com("NIST_COM 2\nPPI 333"),
                       com("NIST_COM 2\nPPI 444"), kSob}));
  ASSERT_TRUE(fet);
  std::optional<std::string> value;
  ASSERT_EQ(lookupfet(value, "PPI", *fet), 1);
  EXPECT_EQ(value, "333");
  EXPECT_FALSE(find(codestream({com("plain"), kSob, com("NIST_COM 2\nPPI 333")})));
}

TEST(FindNistcom, ScanErrorsAreReturned) {
  find({0xFF, 0xD8}, -88);
  find(codestream({{0x12, 0x34}}), -91);
  std::vector<uint8_t> cut_record = codestream({com("NIST_COM 1")});
  cut_record.pop_back();
  find(cut_record, -40);
  find(codestream({com("plain")}), -2);  // ends exactly at the end
  find(codestream({{0xFF, 0xA7, 0, 4, 1, 2}}), -2);
}

TEST(FindNistcom, ShortSegmentIsNotTakenForARecord) {
  // The tag runs past the segment's own length into the next bytes.
  std::vector<uint8_t> cut = codestream({{0xFF, 0xA8, 0, 6, 'N', 'I', 'S', 'T'},
                                         {'_', 'C', 'O', 'M', 0xFF, 0xA3, 0, 3, 0}});
  std::unique_ptr<FET> fet;
  CapturedDiagnostics diag;
  EXPECT_NE(find_nistcom_comment(fet, cut.data(), static_cast<int32_t>(cut.size())), 0);
  EXPECT_FALSE(fet);
  // A final segment shorter than the tag.
  std::vector<uint8_t> at_end = codestream({{0xFF, 0xA8, 0, 5, 'N', 'I', 'S'}});
  EXPECT_NE(find_nistcom_comment(fet, at_end.data(), static_cast<int32_t>(at_end.size())), 0);
  EXPECT_FALSE(fet);
}

}  // namespace
