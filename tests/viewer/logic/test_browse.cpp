#include "viewer/logic/browse_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

struct BrowseFolder {
  BrowseFolder() {
    for (const char* name : {"a.bmp", "b.wsq", "c.wsq"}) write_file_bytes(dir.file(name), {0});
  }
  std::string file(const std::string& name) const { return dir.file(name); }
  std::string directory() const { return dir.path().string() + "/"; }
  TempDir dir;
};

}  // namespace

TEST(BrowseList, GroupsByFormatInTableOrder) {
  BrowseFolder folder;
  FolderBrowser browser;
  browser.BuildBrowseList(folder.directory(), folder.file("b.wsq"));
  EXPECT_EQ(browser.BrowseList, (std::vector<std::string>{folder.file("b.wsq"), folder.file("c.wsq"),
                                                          folder.file("a.bmp")}));
  EXPECT_EQ(browser.BrowseIndex, 0);
  browser.BuildBrowseList(folder.directory(), folder.file("a.bmp"));
  EXPECT_EQ(browser.BrowseIndex, 2);
}

TEST(BrowseList, PageDownAndPageUpWrapAround) {
  BrowseFolder folder;
  FolderBrowser browser;
  browser.BuildBrowseList(folder.directory(), folder.file("b.wsq"));
  EXPECT_EQ(browser.Step(BrowseKey::PageDown), folder.file("c.wsq"));
  EXPECT_EQ(browser.Step(BrowseKey::PageDown), folder.file("a.bmp"));
  EXPECT_EQ(browser.Step(BrowseKey::PageDown), folder.file("b.wsq"));
  EXPECT_EQ(browser.Step(BrowseKey::PageUp), folder.file("a.bmp"));
}

TEST(BrowseList, HomeAndEndWhateverTheIndex) {
  BrowseFolder folder;
  FolderBrowser browser;
  browser.BuildBrowseList(folder.directory(), folder.file("c.wsq"));
  EXPECT_EQ(browser.Step(BrowseKey::End), folder.file("a.bmp"));
  EXPECT_EQ(browser.Step(BrowseKey::End), folder.file("a.bmp"));
  EXPECT_EQ(browser.Step(BrowseKey::Home), folder.file("b.wsq"));
  EXPECT_EQ(browser.BrowseIndex, 0);
}

TEST(BrowseList, EmptyListIgnoresKeys) {
  FolderBrowser browser;
  EXPECT_FALSE(browser.Step(BrowseKey::PageDown));
  EXPECT_EQ(browser.BrowseIndex, 0);
}

TEST(BrowseList, MissingFileClampsIndexIntoTheList) {
  BrowseFolder folder;
  FolderBrowser browser;
  browser.BrowseIndex = 7;
  browser.BuildBrowseList(folder.directory(), folder.file("gone.wsq"));
  EXPECT_EQ(browser.BrowseIndex, 2);
  EXPECT_EQ(browser.Step(BrowseKey::PageUp), folder.file("c.wsq"));
}

TEST(BrowseList, NoDirectoryGivesAnEmptyList) {
  FolderBrowser browser;
  browser.BrowseList = {"old"};
  browser.BuildBrowseList("", "a.bmp");
  EXPECT_TRUE(browser.BrowseList.empty());
  EXPECT_FALSE(browser.Step(BrowseKey::Home));
}

TEST(BrowseList, KeyTable) {
  EXPECT_EQ(NextBrowseIndex(BrowseKey::PageUp, 0, 3), 2);
  EXPECT_EQ(NextBrowseIndex(BrowseKey::PageUp, 9, 3), 2);
  EXPECT_EQ(NextBrowseIndex(BrowseKey::PageDown, 2, 3), 0);
  EXPECT_EQ(NextBrowseIndex(BrowseKey::PageDown, 9, 3), 0);
  EXPECT_EQ(NextBrowseIndex(BrowseKey::End, 0, 3), 2);
  EXPECT_EQ(NextBrowseIndex(BrowseKey::Home, 2, 3), 0);
}
