#pragma once
// The key by which readers and writers are chosen: at most three characters
// after the last "." of the file name, upper-cased.
#include <optional>
#include <string>
#include <vector>

// The key, or nothing when the file name has no ".". Only the last path
// component counts, so a dot in a folder name is not taken for an extension.
std::optional<std::string> extension_key(const std::string& filename);

// The keys of the formats the library reads and writes, in the order of its
// format table (the one that chooses the readers and writers).
const std::vector<std::string>& readable_extension_keys();
const std::vector<std::string>& writable_extension_keys();
