#include "viewer/logic/collect_files.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

std::string lower_ascii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// The directory to search: "" (what is left of the root once its separator
// is dropped) means the root itself.
fs::path search_path(const std::string& directory) {
  return directory.empty() ? fs::path("/") : fs::path(directory);
}

bool is_plain_directory(const fs::path& path) {
  std::error_code error;
  const fs::file_status own = fs::symlink_status(path, error);
  return !error && fs::is_directory(own);
}

bool is_file_like(const fs::path& path) {
  std::error_code error;
  const fs::file_status target = fs::status(path, error);
  return !error && fs::exists(target) && !fs::is_directory(target);
}

}  // namespace

std::vector<std::string> SortedDirectoryNames(const std::string& directory) {
  // Sort keys (the lower-cased name, then the name) are made once per entry.
  std::vector<std::pair<std::string, std::string>> entries;
  std::error_code error;
  fs::directory_iterator it(search_path(directory), error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::string name = it->path().filename().string();
    entries.emplace_back(lower_ascii(name), std::move(name));
  }
  if (error) return {};
  std::sort(entries.begin(), entries.end());
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (auto& entry : entries) names.push_back(std::move(entry.second));
  return names;
}

bool AppendMatches(const std::string& pattern, const std::string& directory,
                   const std::vector<std::string>& names, std::vector<std::string>& list) {
  const std::string wildcard = pattern.empty() ? std::string() : pattern.substr(1);
  if (wildcard.empty()) return false;
  bool matched = false;
  for (const std::string& name : names) {
    if (fnmatch(wildcard.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
    const std::string path = directory + "/" + name;
    if (!is_file_like(path)) continue;
    list.push_back(path);
    matched = true;
  }
  return matched;
}

void CollectFiles(const std::string& pattern, const std::string& directory,
                  std::vector<std::string>& list, bool recurse) {
  const std::vector<std::string> names = SortedDirectoryNames(directory);
  // Every subdirectory is searched, also below a folder with no match of its own.
  AppendMatches(pattern, directory, names, list);
  if (!recurse) return;
  for (const std::string& name : names) {
    if (name.front() == '.') continue;
    const std::string path = directory + "/" + name;
    if (is_plain_directory(path)) CollectFiles(pattern, path, list, recurse);
  }
}
