#pragma once
// The files of a folder run: found by walking IN_DIR or read from a list,
// sorted, given their mirrored output paths, with clashes marked.
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "cli/arguments.h"

struct BatchItem {
  std::string relative;  // below IN_DIR, '/'-separated
  std::string input;     // full path
  std::string output;    // full path
  std::string skip;      // why it is skipped; empty when it is converted
};

struct ListedFiles {
  std::vector<std::string> relatives;  // sorted, without repeats
  std::vector<std::string> outside;    // entries that are not inside IN_DIR, as given
};

// The readable files below in_dir (recursive: at any depth) whose extension
// key is in keys (empty: every readable key), as '/'-separated paths relative
// to in_dir, sorted. Temporaries of interrupted writes are left out, and so
// is the folder out_dir when it lies inside in_dir (the outputs of an earlier
// run are not inputs of the next).
std::vector<std::string> walk_folder(const std::string& in_dir, bool recursive, const std::vector<std::string>& keys,
                                     const std::string& out_dir, std::string& error);

// The paths listed one a line (blank lines ignored), relative to in_dir or
// absolute inside it.
ListedFiles read_list(std::istream& list, const std::string& in_dir);

// Output paths: out_dir / relative folder / stem + "." + extension. Marks as
// skipped every item whose output is also an input of the run, and every
// item that shares its output with another.
std::vector<BatchItem> plan_outputs(const std::vector<std::string>& relatives, const std::string& in_dir,
                                    const std::string& out_dir, const std::string& extension);

// The items of shard K of N: positions K-1, K-1+N, K-1+2N, ...
std::vector<BatchItem> select_shard(std::vector<BatchItem> items, Shard shard);
