#include <gtest/gtest.h>

#include "imagelib/file_io.h"
#include "imagelib/image_record.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

size_t entries(const TempDir& dir) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++count;
  return count;
}

TEST(FileIo, ReadWholeFileRefusesWhatIsNoFile) {
  TempDir dir;
  std::vector<uint8_t> bytes;
  EXPECT_EQ(read_whole_file(dir.file("missing"), bytes, kDefaultMaxFileSize), CannotOpenFile);
  EXPECT_EQ(read_whole_file(dir.path().string(), bytes, kDefaultMaxFileSize), CannotOpenFile);
  write_file_bytes(dir.file("f"), {4, 5});
  ASSERT_EQ(read_whole_file(dir.file("f"), bytes, kDefaultMaxFileSize), NoError);
  EXPECT_EQ(read_whole_file(dir.file("f"), bytes, 1), OutOfMemory);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{4, 5}));
}

TEST(FileIo, UncommittedOutputLeavesTheTargetAndNoTemporaryFile) {
  TempDir dir;
  write_file_bytes(dir.file("target"), {1, 2, 3});
  {
    OutputFile out(dir.file("target"));
    ASSERT_TRUE(out.open());
    std::fputs("partial", out.stream());
  }
  EXPECT_EQ(read_file_bytes(dir.file("target")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(entries(dir), 1u);
}

TEST(FileIo, CommitReplacesTheTarget) {
  TempDir dir;
  write_file_bytes(dir.file("target"), {1, 2, 3});
  const uint8_t data[2] = {7, 8};
  ASSERT_EQ(write_whole_file(dir.file("target"), data, 2), NoError);
  EXPECT_EQ(read_file_bytes(dir.file("target")), (std::vector<uint8_t>{7, 8}));
  EXPECT_EQ(entries(dir), 1u);
  EXPECT_EQ(write_whole_file(dir.file("missing/target"), data, 2), CannotOpenFile);
}

}  // namespace
