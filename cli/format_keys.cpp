// The formats the image library reads and writes, by extension key.
#include "cli/format_keys.h"

#include <algorithm>
#include <cctype>

const std::vector<std::string>& readable_keys() {
  static const std::vector<std::string> keys = {"WSQ", "TIF", "PNG", "JPG", "BMP", "TGA", "CEL", "RGB",
                                                "GIF", "PSD", "IFF", "PCX", "PGM", "PPM", "PNM"};
  return keys;
}

const std::vector<std::string>& writable_keys() {
  static const std::vector<std::string> keys = {"WSQ", "TIF", "PNG", "JPG", "BMP", "RGB",
                                                "TGA", "PGM", "PPM", "PNM"};
  return keys;
}

std::string key_of_extension(std::string extension) {
  if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
  extension = extension.substr(0, 3);
  for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return extension;
}

bool is_readable_key(const std::string& key) {
  return std::find(readable_keys().begin(), readable_keys().end(), key) != readable_keys().end();
}

bool is_writable_key(const std::string& key) {
  return std::find(writable_keys().begin(), writable_keys().end(), key) != writable_keys().end();
}
