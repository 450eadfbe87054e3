#include "viewer/collect_files.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string lower_ascii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

bool name_order(const std::string& a, const std::string& b) {
  const std::string la = lower_ascii(a);
  const std::string lb = lower_ascii(b);
  return la != lb ? la < lb : a < b;
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
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(search_path(directory), error);
  for (; !error && it != fs::directory_iterator(); it.increment(error))
    names.push_back(it->path().filename().string());
  if (error) return {};
  std::sort(names.begin(), names.end(), name_order);
  return names;
}

void CollectFiles(const std::string& pattern, const std::string& directory,
                  std::vector<std::string>& list, bool recurse) {
  const std::string wildcard = pattern.empty() ? std::string() : pattern.substr(1);
  if (wildcard.empty()) return;
  const std::vector<std::string> names = SortedDirectoryNames(directory);
  bool matched = false;
  for (const std::string& name : names) {
    if (fnmatch(wildcard.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
    const std::string path = directory + "/" + name;
    if (!is_file_like(path)) continue;
    list.push_back(path);
    matched = true;
  }
  if (!matched || !recurse) return;
  for (const std::string& name : names) {
    if (name.front() == '.') continue;
    const std::string path = directory + "/" + name;
    if (is_plain_directory(path)) CollectFiles(pattern, path, list, recurse);
  }
}
