#pragma once
// The directory scan behind folder browsing and the batch converter.
#include <string>
#include <vector>

// Appends to list the files of directory whose names match pattern (a path
// separator followed by a wildcard such as "/*.wsq"; letter case is ignored),
// as directory + separator + name, in name order. With recurse, then does the
// same in each subdirectory at any depth, whether or not a directory has
// matches of its own, so a directory's own matches come before those of its
// subdirectories. Hidden subdirectories and links to directories are skipped
// (the latter so a link loop cannot run forever). directory has no trailing
// separator; an empty one stands for the root. A directory that cannot be
// read contributes nothing.
void CollectFiles(const std::string& pattern, const std::string& directory,
                  std::vector<std::string>& list, bool recurse);

// The entry names of one directory, sorted by name without regard to letter
// case, ties in byte order, so every machine gives the same order. Empty when
// the directory cannot be read.
std::vector<std::string> SortedDirectoryNames(const std::string& directory);

// Appends directory + separator + name for each of names (the directory's
// entries, in order) that matches pattern and is not a directory. Returns
// whether any did.
bool AppendMatches(const std::string& pattern, const std::string& directory,
                   const std::vector<std::string>& names, std::vector<std::string>& list);
