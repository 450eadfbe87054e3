// Extension keys as typed on the command line, checked against the library's table.
#include "cli/format_keys.h"

#include <algorithm>
#include <cctype>

#include "imagelib/extension.h"

std::string key_of_extension(std::string extension) {
  if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
  extension = extension.substr(0, 3);
  for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return extension;
}

namespace {

bool listed(const std::vector<std::string>& keys, const std::string& key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

bool is_readable_key(const std::string& key) { return listed(readable_extension_keys(), key); }

bool is_writable_key(const std::string& key) { return listed(writable_extension_keys(), key); }
