#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/info.h"
#include "cli/wsq_segments.h"
#include "tests/cli/cli_helpers.h"
#include "tests/support/temp_dir.h"

namespace {

using nlohmann::json;

std::vector<json> json_lines(const std::string& text) {
  std::vector<json> objects;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) objects.push_back(json::parse(line));
  return objects;
}

TEST(Info, CommentsBecomeOneLine) {
  EXPECT_EQ(one_line("NIST_COM 2\nPPI 500\r\nLOSSY 1\n"), "NIST_COM 2; PPI 500; LOSSY 1");
  EXPECT_EQ(one_line("plain"), "plain");
  EXPECT_EQ(one_line(""), "");
}

TEST(Info, JsonObjectsDescribeEachFileAndTheWsqCodestream) {
  TempDir dir;
  save_picture(dir.file("a.wsq"), picture(96, 80, true, 1000));
  save_picture(dir.file("b.png"), picture(9, 4, false, 300));
  testing::internal::CaptureStdout();
  ASSERT_EQ(run_cli({"--info", "--json", "--comment", "x", dir.file("a.wsq"), dir.file("b.png")}), 0);
  const std::vector<json> objects = json_lines(testing::internal::GetCapturedStdout());
  ASSERT_EQ(objects.size(), 2u);
  const json& wsq = objects[0];
  EXPECT_EQ(wsq["format"], "WSQ");
  EXPECT_EQ(wsq["width"], 96);
  EXPECT_EQ(wsq["height"], 80);
  EXPECT_EQ(wsq["depth"], 8);
  EXPECT_EQ(wsq["ppi"], 1000);
  EXPECT_EQ(wsq["nistcom"]["PPI"], "1000");
  EXPECT_EQ(wsq["nistcom"]["PIX_WIDTH"], "96");
  EXPECT_EQ(wsq["comments"].size(), 1u);
  const auto size = static_cast<double>(std::filesystem::file_size(dir.file("a.wsq")));
  EXPECT_DOUBLE_EQ(wsq["bitrate"].get<double>(), size * 8 / (96 * 80));
  // The segments tile the file from SOI to EOI.
  size_t expected_offset = 0;
  for (const json& segment : wsq["segments"]) {
    EXPECT_EQ(segment["offset"], expected_offset);
    expected_offset += segment["length"].get<size_t>();
  }
  EXPECT_EQ(expected_offset, static_cast<size_t>(size));
  EXPECT_EQ(wsq["segments"].front()["marker"], "SOI");
  EXPECT_EQ(wsq["segments"].back()["marker"], "EOI");

  const json& png = objects[1];
  EXPECT_EQ(png["format"], "PNG");
  EXPECT_EQ(png["depth"], 24);
  EXPECT_EQ(png["ppi"], 300);
  EXPECT_FALSE(png.contains("segments"));
}

TEST(Info, SegmentWalkStopsAtAFaultWithoutReadingPastTheEnd) {
  // SOI, a COM whose length runs past the end.
  const std::vector<uint8_t> truncated = {0xFF, 0xA0, 0xFF, 0xA8, 0x00, 0x40, 'h', 'i'};
  const WsqLayout layout = wsq_layout(truncated);
  EXPECT_FALSE(layout.complete);
  ASSERT_EQ(layout.segments.size(), 1u);
  EXPECT_EQ(layout.segments[0].name, "SOI");
  EXPECT_FALSE(wsq_layout({0xFF}).complete);
  EXPECT_TRUE(wsq_layout({0x00, 0xA0, 0xFF, 0xA1}).segments.empty());
  // Stuffed 0xFF 0x00 bytes belong to the block data.
  const WsqLayout blocks = wsq_layout({0xFF, 0xA0, 0xFF, 0xA3, 0x00, 0x03, 0x01, 0xFF, 0x00, 0x12, 0xFF, 0xA1});
  ASSERT_EQ(blocks.segments.size(), 4u);
  EXPECT_EQ(blocks.segments[2].name, "block data");
  EXPECT_EQ(blocks.segments[2].length, 3u);
  EXPECT_TRUE(blocks.complete);
}

}  // namespace
