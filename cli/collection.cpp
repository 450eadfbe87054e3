// Collecting the files of a folder run and planning their outputs.
#include "cli/collection.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "cli/format_keys.h"
#include "imagelib/extension.h"
#include "imagelib/file_io.h"

namespace {

namespace fs = std::filesystem;

bool wanted(const fs::path& path, const std::vector<std::string>& keys) {
  const std::string name = path.filename().string();
  if (name.starts_with(kTemporaryPrefix)) return false;
  const std::optional<std::string> key = extension_key(name);
  if (!key) return false;
  if (keys.empty()) return is_readable_key(*key);
  return std::find(keys.begin(), keys.end(), *key) != keys.end();
}

fs::path canonical_root(const std::string& folder) {
  std::error_code error;
  fs::path root = fs::weakly_canonical(fs::absolute(folder), error);
  return error ? fs::absolute(folder).lexically_normal() : root;
}

// Leaves out the output folder's subtree.
void skip_output_folder(fs::recursive_directory_iterator& iterator, const fs::path& out_root) {
  if (canonical_root(iterator->path().string()) == out_root) iterator.disable_recursion_pending();
}

void skip_output_folder(fs::directory_iterator&, const fs::path&) {}

template <typename Iterator>
std::vector<std::string> walk(Iterator iterator, const fs::path& root, const std::vector<std::string>& keys,
                              const fs::path& out_root, std::string& error) {
  std::vector<std::string> found;
  std::error_code code;
  for (const Iterator end; iterator != end; iterator.increment(code)) {
    if (code) break;
    std::error_code ignored;
    if (iterator->is_directory(ignored)) skip_output_folder(iterator, out_root);
    if (!iterator->is_regular_file(ignored) || !wanted(iterator->path(), keys)) continue;
    found.push_back(iterator->path().lexically_relative(root).generic_string());
  }
  if (code) error = root.string() + ": " + code.message();
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace

std::vector<std::string> walk_folder(const std::string& in_dir, bool recursive, const std::vector<std::string>& keys,
                                     const std::string& out_dir, std::string& error) {
  const fs::path root(in_dir);
  const fs::path out_root = canonical_root(out_dir);
  std::error_code code;
  if (recursive) {
    fs::recursive_directory_iterator iterator(root, fs::directory_options::skip_permission_denied, code);
    if (!code) return walk(std::move(iterator), root, keys, out_root, error);
  } else {
    fs::directory_iterator iterator(root, code);
    if (!code) return walk(std::move(iterator), root, keys, out_root, error);
  }
  error = in_dir + ": " + code.message();
  return {};
}

ListedFiles read_list(std::istream& list, const std::string& in_dir) {
  const fs::path root = fs::absolute(in_dir).lexically_normal();
  std::set<std::string> relatives;
  ListedFiles listed;
  for (std::string line; std::getline(list, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const fs::path path(line);
    const fs::path relative = path.is_absolute() ? path.lexically_normal().lexically_relative(root)
                                                 : path.lexically_normal();
    const std::string text = relative.generic_string();
    if (text.empty() || text == "." || text.starts_with("..") || relative.is_absolute()) {
      listed.outside.push_back(line);
    } else {
      relatives.insert(text);
    }
  }
  listed.relatives.assign(relatives.begin(), relatives.end());
  return listed;
}

std::vector<BatchItem> plan_outputs(const std::vector<std::string>& relatives, const std::string& in_dir,
                                    const std::string& out_dir, const std::string& extension) {
  const fs::path in_root = canonical_root(in_dir);
  const fs::path out_root = canonical_root(out_dir);
  std::vector<BatchItem> items;
  std::unordered_set<std::string> inputs;
  std::unordered_map<std::string, size_t> first_with_output;
  for (const std::string& relative : relatives) {
    const fs::path path(relative);
    BatchItem item;
    item.relative = relative;
    item.input = (in_root / path).string();
    fs::path output = out_root / path.parent_path() / path.stem();
    output += "." + extension;
    item.output = output.string();
    inputs.insert(item.input);
    items.push_back(std::move(item));
  }
  for (size_t i = 0; i < items.size(); ++i) {
    BatchItem& item = items[i];
    const auto [place, fresh] = first_with_output.emplace(item.output, i);
    if (inputs.count(item.output) != 0) {
      item.skip = "skipped: its output " + item.output + " is an input";
    } else if (!fresh) {
      BatchItem& first = items[place->second];
      item.skip = "skipped: same output as " + first.relative;
      if (first.skip.empty()) first.skip = "skipped: same output as " + item.relative;
    }
  }
  return items;
}

std::vector<BatchItem> select_shard(std::vector<BatchItem> items, Shard shard) {
  if (shard.count <= 1) return items;
  std::vector<BatchItem> selected;
  for (size_t i = shard.index - 1; i < items.size(); i += shard.count) selected.push_back(std::move(items[i]));
  return selected;
}
