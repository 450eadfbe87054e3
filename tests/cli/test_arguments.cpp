#include <gtest/gtest.h>

#include "cli/arguments.h"

namespace {

ParsedArguments parse(std::vector<std::string> arguments) { return parse_arguments(arguments); }

TEST(Arguments, ConversionTakesInputAndOutputWithWsqOptions) {
  const ParsedArguments parsed =
      parse({"--bitrate", "2.25", "in.bmp", "--ppi", "1000", "--comment", "left thumb", "out.wsq", "-q"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.mode, CliMode::Convert);
  EXPECT_EQ(parsed.options.files, (std::vector<std::string>{"in.bmp", "out.wsq"}));
  EXPECT_DOUBLE_EQ(parsed.options.bitrate, 2.25);
  EXPECT_EQ(parsed.options.ppi, 1000);
  EXPECT_EQ(parsed.options.comment, "left thumb");
  EXPECT_TRUE(parsed.options.quiet);
}

TEST(Arguments, Defaults) {
  const ParsedArguments parsed = parse({"a.wsq", "b.bmp"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_DOUBLE_EQ(parsed.options.bitrate, 0.75);
  EXPECT_FALSE(parsed.options.ppi.has_value());
  EXPECT_FALSE(parsed.options.comment.has_value());
  EXPECT_FALSE(parsed.options.quiet);
}

TEST(Arguments, InfoTakesAnyNumberOfFilesAndHelpWins) {
  const ParsedArguments info = parse({"--info", "a.wsq", "b.bmp", "c.png"});
  ASSERT_EQ(info.error, "");
  EXPECT_EQ(info.options.mode, CliMode::Info);
  EXPECT_EQ(info.options.files.size(), 3u);
  EXPECT_EQ(parse({"x", "--help", "--nonsense"}).options.mode, CliMode::Help);
  EXPECT_EQ(parse({"--", "--info", "-"}).options.files, (std::vector<std::string>{"--info", "-"}));
}

TEST(Arguments, UsageErrors) {
  EXPECT_NE(parse({}).error, "");
  EXPECT_NE(parse({"a.bmp"}).error, "");
  EXPECT_NE(parse({"a.bmp", "b.bmp", "c.bmp"}).error, "");
  EXPECT_NE(parse({"--info"}).error, "");
  EXPECT_NE(parse({"--frobnicate", "a", "b"}).error, "");
  EXPECT_NE(parse({"a", "b", "--bitrate"}).error, "");
  EXPECT_NE(parse({"a", "b", "--bitrate", "fast"}).error, "");
  EXPECT_NE(parse({"a", "b", "--bitrate", "0"}).error, "");
  EXPECT_NE(parse({"a", "b", "--bitrate", "inf"}).error, "");
  EXPECT_NE(parse({"a", "b", "--ppi", "12x"}).error, "");
  EXPECT_NE(parse({"a", "b", "--ppi", "0"}).error, "");
  EXPECT_EQ(parse({"a", "b", "--ppi", "-1"}).error, "");
}

}  // namespace
