#include "viewer/logic/collect_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

void touch(const TempDir& dir, const std::string& name) {
  const fs::path path = dir.path() / name;
  fs::create_directories(path.parent_path());
  write_file_bytes(path.string(), {1});
}

std::vector<std::string> collect(const TempDir& dir, const std::string& pattern, bool recurse) {
  std::vector<std::string> list;
  CollectFiles(pattern, dir.path().string(), list, recurse);
  return list;
}

}  // namespace

TEST(CollectFiles, MatchesIgnoreCaseInNameOrder) {
  TempDir dir;
  touch(dir, "b.WSQ");
  touch(dir, "a.wsq");
  touch(dir, "C.wsq");
  touch(dir, "d.bmp");
  touch(dir, ".hidden.wsq");
  const std::string root = dir.path().string();
  EXPECT_EQ(collect(dir, "/*.wsq", false),
            (std::vector<std::string>{root + "/.hidden.wsq", root + "/a.wsq", root + "/b.WSQ",
                                      root + "/C.wsq"}));
}

TEST(CollectFiles, AppendsToWhatTheListHolds) {
  TempDir dir;
  touch(dir, "a.bmp");
  std::vector<std::string> list = {"first"};
  CollectFiles("/*.bmp", dir.path().string(), list, false);
  EXPECT_EQ(list, (std::vector<std::string>{"first", dir.file("a.bmp")}));
}

TEST(CollectFiles, OwnMatchesBeforeSubdirectories) {
  TempDir dir;
  touch(dir, "z.wsq");
  touch(dir, "a/b.wsq");
  touch(dir, "a/c/d.wsq");
  touch(dir, "B/e.wsq");
  const std::string root = dir.path().string();
  EXPECT_EQ(collect(dir, "/*.wsq", true),
            (std::vector<std::string>{root + "/z.wsq", root + "/a/b.wsq", root + "/a/c/d.wsq",
                                      root + "/B/e.wsq"}));
  EXPECT_EQ(collect(dir, "/*.wsq", false), (std::vector<std::string>{root + "/z.wsq"}));
}

TEST(CollectFiles, DescendsAtAnyDepthAlsoWhereNothingMatches) {
  TempDir dir;
  touch(dir, "a/b.wsq");
  touch(dir, "x.bmp");
  touch(dir, "c/d/e/f.wsq");
  EXPECT_EQ(collect(dir, "/*.wsq", true), (std::vector<std::string>{dir.file("a/b.wsq"), dir.file("c/d/e/f.wsq")}));
  EXPECT_TRUE(collect(dir, "/*.wsq", false).empty());
}

TEST(CollectFiles, SkipsHiddenSubdirectoriesAndMatchingDirectories) {
  TempDir dir;
  touch(dir, "top.wsq");
  touch(dir, ".secret/in.wsq");
  fs::create_directory(dir.path() / "folder.wsq");
  EXPECT_EQ(collect(dir, "/*.wsq", true), (std::vector<std::string>{dir.file("top.wsq")}));
}

TEST(CollectFiles, DirectoryLinkLoopEnds) {
  TempDir dir;
  touch(dir, "a/one.wsq");
  touch(dir, "top.wsq");
  fs::create_directory_symlink(dir.path(), dir.path() / "a" / "loop");
  const std::string root = dir.path().string();
  EXPECT_EQ(collect(dir, "/*.wsq", true),
            (std::vector<std::string>{root + "/top.wsq", root + "/a/one.wsq"}));
}

TEST(CollectFiles, MissingDirectoryContributesNothing) {
  TempDir dir;
  std::vector<std::string> list;
  CollectFiles("/*.wsq", dir.file("absent"), list, true);
  EXPECT_TRUE(list.empty());
}

TEST(SortedDirectoryNames, CaseIgnoredTiesInByteOrder) {
  TempDir dir;
  for (const char* name : {"b", "B", "a", "C"}) touch(dir, name);
  EXPECT_EQ(SortedDirectoryNames(dir.path().string()),
            (std::vector<std::string>{"a", "B", "b", "C"}));
}
