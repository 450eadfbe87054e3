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

namespace {

TEST(Arguments, FolderModeOptions) {
  const ParsedArguments parsed =
      parse({"--to", ".png", "--from", "wsq,TIFF,bmp", "-r", "--skip-existing", "-j", "3", "--shard", "2/5",
             "--files-from", "-", "--progress", "--max-pixels", "1000000", "--max-file-size", "4096", "in", "out"});
  ASSERT_EQ(parsed.error, "");
  const CliOptions& options = parsed.options;
  EXPECT_EQ(options.to_extension, "png");
  EXPECT_EQ(options.from_keys, (std::vector<std::string>{"WSQ", "TIF", "BMP"}));
  EXPECT_TRUE(options.recursive);
  EXPECT_TRUE(options.skip_existing);
  EXPECT_EQ(options.jobs, 3u);
  EXPECT_EQ(options.shard.index, 2u);
  EXPECT_EQ(options.shard.count, 5u);
  EXPECT_EQ(options.files_from, "-");
  EXPECT_TRUE(options.progress);
  EXPECT_EQ(options.max_pixels, 1000000u);
  EXPECT_EQ(options.max_file_size, 4096u);
  EXPECT_EQ(options.files, (std::vector<std::string>{"in", "out"}));
}

TEST(Arguments, FolderModeUsageErrors) {
  EXPECT_NE(parse({"--to", "gif", "in", "out"}).error, "");  // read, never written
  EXPECT_NE(parse({"--to", "png", "--from", "txt", "in", "out"}).error, "");
  EXPECT_NE(parse({"--to", "png", "in"}).error, "");
  EXPECT_NE(parse({"-r", "in", "out"}).error, "");
  EXPECT_NE(parse({"--shard", "1/2", "in", "out"}).error, "");
  EXPECT_NE(parse({"--to", "png", "-j", "0", "in", "out"}).error, "");
  EXPECT_NE(parse({"--max-pixels", "0", "a", "b"}).error, "");
  EXPECT_NE(parse({"--max-file-size", "-5", "a", "b"}).error, "");
  for (const char* shard : {"0/3", "4/3", "1", "a/b", "1/0", "/3", "2/"}) {
    EXPECT_FALSE(parse_shard(shard).has_value()) << shard;
  }
  EXPECT_TRUE(parse_shard("3/3").has_value());
}

}  // namespace
