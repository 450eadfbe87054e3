#pragma once
// The extension keys wsqconv reads and writes, the one table that the
// options, the collection and the help text share.
#include <optional>
#include <string>
#include <vector>

const std::vector<std::string>& readable_keys();
const std::vector<std::string>& writable_keys();

// The key of an extension as typed ("tiff", ".PNG"): upper case, at most
// three characters, as the library matches file names.
std::string key_of_extension(std::string extension);

bool is_readable_key(const std::string& key);
bool is_writable_key(const std::string& key);
