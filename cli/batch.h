#pragma once
// Folder mode: every image of IN_DIR converted into OUT_DIR on a pool of
// worker threads, with a progress line and a summary.
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/collection.h"

struct BatchPlan {
  std::vector<BatchItem> items;       // this shard's files, in sorted order
  std::vector<std::string> outside;   // list entries outside IN_DIR
};

// Collects and plans the run of options (files: IN_DIR, OUT_DIR). On a
// failure that ends the run before it starts, error says why.
BatchPlan plan_batch(const CliOptions& options, std::string& error);

// Converts the plan's files and prints the failures and the summary on
// standard error. Returns 0 when nothing failed, 1 otherwise, 130 when
// interrupted.
int run_plan(const BatchPlan& plan, const CliOptions& options);

// plan_batch and run_plan; 2 when IN_DIR is not a folder.
int run_batch(const CliOptions& options);
