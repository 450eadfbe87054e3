#include "viewer/logic/browse_list.h"

#include <algorithm>

#include "viewer/logic/collect_files.h"
#include "viewer/logic/format_table.h"

void FolderBrowser::BuildBrowseList(const std::string& browseDirectory,
                                    const std::string& currentFileName) {
  BrowseList.clear();
  // A name without any directory part names no folder to browse (an empty
  // directory below stands for the root, left of "/" once it is dropped).
  if (browseDirectory.empty()) return;
  std::string directory = browseDirectory;
  if (directory.back() == '/') directory.pop_back();
  // One read of the directory serves every format of the table.
  const std::vector<std::string> names = SortedDirectoryNames(directory);
  const auto& rows = FormatPatterns();
  for (int row = 1; row < FormatRowCount; ++row)
    AppendMatches(std::string(rows[row].pattern), directory, names, BrowseList);
  const auto found = std::find(BrowseList.begin(), BrowseList.end(), currentFileName);
  if (found != BrowseList.end()) {
    BrowseIndex = static_cast<int>(found - BrowseList.begin());
    return;
  }
  const int last = std::max(static_cast<int>(BrowseList.size()) - 1, 0);
  BrowseIndex = std::clamp(BrowseIndex, 0, last);
}

std::optional<std::string> FolderBrowser::Step(BrowseKey key) {
  if (BrowseList.empty()) return std::nullopt;
  BrowseIndex = NextBrowseIndex(key, BrowseIndex, static_cast<int>(BrowseList.size()));
  return BrowseList[static_cast<size_t>(BrowseIndex)];
}

int NextBrowseIndex(BrowseKey key, int index, int count) {
  switch (key) {
    case BrowseKey::PageUp:
      return index - 1 < 0 ? count - 1 : std::min(index - 1, count - 1);
    case BrowseKey::PageDown:
      return index + 1 >= count ? 0 : index + 1;
    case BrowseKey::End:
      return count - 1;
    case BrowseKey::Home:
      return 0;
  }
  return index;
}
