#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/collection.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

void touch(const TempDir& dir, const std::string& name) {
  const fs::path path = dir.path() / name;
  fs::create_directories(path.parent_path());
  std::ofstream(path) << "x";
}

std::vector<std::string> relatives_of(const std::vector<BatchItem>& items) {
  std::vector<std::string> relatives;
  for (const BatchItem& item : items) relatives.push_back(item.relative);
  return relatives;
}

TEST(Collection, WalkFindsReadableFilesSortedAndRecursesOnlyWhenAsked) {
  TempDir dir;
  for (const char* name : {"b.png", "a.WSQ", "notes.txt", "noext", "sub/c.bmp", "sub/deeper/d.pgm",
                           ".wsqtmp-Ab12Cd", "sub/.wsqtmp-XyZ123"}) {
    touch(dir, name);
  }
  fs::create_directories(dir.path() / "folder.png");
  std::string error;
  EXPECT_EQ(walk_folder(dir.path().string(), false, {}, "/nowhere", error),
            (std::vector<std::string>{"a.WSQ", "b.png"}));
  EXPECT_EQ(walk_folder(dir.path().string(), true, {}, "/nowhere", error),
            (std::vector<std::string>{"a.WSQ", "b.png", "sub/c.bmp", "sub/deeper/d.pgm"}));
  EXPECT_EQ(walk_folder(dir.path().string(), true, {"BMP", "WSQ"}, "/nowhere", error),
            (std::vector<std::string>{"a.WSQ", "sub/c.bmp"}));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(walk_folder((dir.path() / "missing").string(), true, {}, "/nowhere", error).empty());
  EXPECT_NE(error.find("missing"), std::string::npos);

  // An output folder inside the input folder is not searched.
  error.clear();
  EXPECT_EQ(walk_folder(dir.path().string(), true, {}, dir.file("sub/deeper") + "/", error),
            (std::vector<std::string>{"a.WSQ", "b.png", "sub/c.bmp"}));
  EXPECT_EQ(error, "");
}

TEST(Collection, ListEntriesAreRelativeOrAbsoluteInsideTheFolder) {
  TempDir dir;
  const std::string root = dir.path().string();
  std::istringstream list("b.png\n\n" + root + "/sub/a.wsq\r\n./b.png\nsub/../c.bmp\n/elsewhere/x.png\n../up.png\n");
  const ListedFiles listed = read_list(list, root);
  EXPECT_EQ(listed.relatives, (std::vector<std::string>{"b.png", "c.bmp", "sub/a.wsq"}));
  EXPECT_EQ(listed.outside, (std::vector<std::string>{"/elsewhere/x.png", "../up.png"}));
}

TEST(Collection, OutputsMirrorFoldersAndClashesAreSkippedNeverOverwritten) {
  TempDir dir;
  const std::string in = dir.file("in");
  const std::string out = dir.file("out");
  const std::vector<BatchItem> items =
      plan_outputs({"a.bmp", "a.png", "b.tif", "sub/c.wsq"}, in, out, "wsq");
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[2].output, out + "/b.wsq");
  EXPECT_EQ(items[3].output, out + "/sub/c.wsq");
  EXPECT_NE(items[0].skip.find("a.png"), std::string::npos);
  EXPECT_NE(items[1].skip.find("a.bmp"), std::string::npos);
  EXPECT_EQ(items[2].skip, "");
  EXPECT_EQ(items[3].skip, "");

  // Converting a folder into itself: an output that is an input is skipped.
  const std::vector<BatchItem> same = plan_outputs({"a.png", "a.wsq", "b.png"}, in, in + "/", "wsq");
  EXPECT_NE(same[0].skip, "");
  EXPECT_NE(same[1].skip.find("is an input"), std::string::npos);
  EXPECT_EQ(same[2].skip, "");
}

TEST(Collection, ShardsTogetherHoldEveryItemExactlyOnce) {
  std::vector<std::string> relatives;
  for (int i = 0; i < 23; ++i) relatives.push_back("f" + std::to_string(100 + i) + ".png");
  const std::vector<BatchItem> all = plan_outputs(relatives, "/in", "/out", "bmp");
  for (const uint32_t count : {1u, 2u, 5u, 23u, 30u}) {
    std::multiset<std::string> seen;
    for (uint32_t index = 1; index <= count; ++index) {
      const std::vector<BatchItem> shard = select_shard(all, {index, count});
      EXPECT_LE(shard.size(), (all.size() + count - 1) / count);
      for (const std::string& relative : relatives_of(shard)) seen.insert(relative);
    }
    EXPECT_EQ(seen, std::multiset<std::string>(relatives.begin(), relatives.end())) << count;
  }
  EXPECT_EQ(relatives_of(select_shard(all, {2, 10})), (std::vector<std::string>{"f101.png", "f111.png", "f121.png"}));
}

}  // namespace
