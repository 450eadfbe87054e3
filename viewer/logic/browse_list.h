#pragma once
// Folder browsing: the image files of the opened file's directory and the
// position of the shown one, stepped through with Page Up, Page Down, Home
// and End.
#include <optional>
#include <string>
#include <vector>

// The four browse keys by their virtual key codes.
enum class BrowseKey { PageUp = 33, PageDown = 34, End = 35, Home = 36 };

class FolderBrowser {
 public:
  // Rebuilds BrowseList from browseDirectory (with or without its trailing
  // separator): every format of the format table in table order, each in name
  // order. BrowseIndex becomes the position of currentFileName; when that
  // file is not in the list, the index is clamped into the list so no key
  // reads past its end. An empty browseDirectory leaves the list empty.
  void BuildBrowseList(const std::string& browseDirectory, const std::string& currentFileName);

  // Moves BrowseIndex for key and gives the file to open, or nothing when the
  // list is empty.
  std::optional<std::string> Step(BrowseKey key);

  std::vector<std::string> BrowseList;
  int BrowseIndex = 0;
};

// The new index for key in a list of count entries (count > 0).
int NextBrowseIndex(BrowseKey key, int index, int count);
