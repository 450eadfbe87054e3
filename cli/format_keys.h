#pragma once
// The extension keys the options and the collection take, checked against
// the image library's own format table (readable_extension_keys and
// writable_extension_keys in imagelib/extension.h).
#include <string>

// The key of an extension as typed ("tiff", ".PNG"): upper case, at most
// three characters, as the library matches file names.
std::string key_of_extension(std::string extension);

bool is_readable_key(const std::string& key);
bool is_writable_key(const std::string& key);
