// Folder mode: collection, the worker pool, progress and the summary.
#include "cli/batch.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <thread>

#include "cli/convert_file.h"
#include "cli/interrupt.h"
#include "cli/pool.h"
#include "cli/progress.h"
#include "cli/summary.h"
#include "wsq/diagnostics.h"

namespace {

namespace fs = std::filesystem;

ListedFiles listed_files(const CliOptions& options, std::string& error) {
  const std::string& in_dir = options.files[0];
  if (*options.files_from == "-") return read_list(std::cin, in_dir);
  std::ifstream list(*options.files_from);
  if (!list) {
    error = *options.files_from + ": cannot read the list";
    return {};
  }
  return read_list(list, in_dir);
}

// Converts one planned file: skips it when asked to keep an existing output,
// makes its output folder (again, if it vanished since the plan), converts.
FileOutcome convert_item(const BatchItem& item, const CliOptions& options, std::atomic<uint64_t>& bytes) {
  if (!item.skip.empty()) return {Outcome::Skipped, item.input, item.skip};
  std::error_code error;
  if (options.skip_existing && fs::exists(item.output, error)) return {Outcome::Skipped, item.output, {}};
  const fs::path folder = fs::path(item.output).parent_path();
  if (!fs::create_directories(folder, error) && error) {
    return {Outcome::Failed, item.output, "cannot create folder " + folder.string() + ": " + error.message()};
  }
  // The codec's statistics go to standard error only when asked for.
  std::unique_ptr<ScopedDiagnostics> silence;
  if (!options.verbose || options.quiet) silence = std::make_unique<ScopedDiagnostics>([](std::string_view) {});
  const ConversionResult result = convert_file(item.input, item.output, options);
  if (!result.ok) return {Outcome::Failed, result.file, result.message};
  bytes.fetch_add(result.input_bytes);
  return {Outcome::Converted, {}, {}};
}

unsigned job_count(const CliOptions& options) {
  if (options.jobs != 0) return options.jobs;
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace

BatchPlan plan_batch(const CliOptions& options, std::string& error) {
  const std::string& in_dir = options.files[0];
  const std::string& out_dir = options.files[1];
  BatchPlan plan;
  ListedFiles listed;
  if (options.files_from) {
    listed = listed_files(options, error);
  } else {
    listed.relatives = walk_folder(in_dir, options.recursive, options.from_keys, out_dir, error);
  }
  if (!error.empty()) return plan;
  plan.items = select_shard(plan_outputs(listed.relatives, in_dir, out_dir, options.to_extension), options.shard);
  // Entries outside the folder belong to no shard; the first reports them.
  if (options.shard.index == 1) plan.outside = std::move(listed.outside);
  return plan;
}

int run_plan(const BatchPlan& plan, const CliOptions& options) {
  std::vector<FileOutcome> outcomes;
  for (const std::string& entry : plan.outside) {
    outcomes.push_back({Outcome::Failed, entry, "not inside the input folder"});
  }
  const size_t first = outcomes.size();
  outcomes.resize(first + plan.items.size());
  std::atomic<uint64_t> bytes{0};
  std::atomic<size_t> done{0};
  ProgressLine progress(stderr, options.progress || isatty(STDERR_FILENO) != 0, plan.items.size());
  const InterruptGuard interrupt;
  run_pool(
      plan.items.size(), job_count(options),
      [&](size_t i) {
        outcomes[first + i] = convert_item(plan.items[i], options, bytes);
        done.fetch_add(1);
      },
      [] { return InterruptGuard::requested(); }, [&] { progress.update(done.load(), bytes.load()); });
  progress.finish(done.load(), bytes.load());
  const bool interrupted = InterruptGuard::requested();
  print_summary(stderr, outcomes, interrupted);
  return exit_status(count_outcomes(outcomes), interrupted);
}

int run_batch(const CliOptions& options) {
  std::error_code code;
  if (!fs::is_directory(options.files[0], code)) {
    std::fprintf(stderr, "wsqconv: %s: not a folder\n", options.files[0].c_str());
    return 2;
  }
  std::string error;
  const BatchPlan plan = plan_batch(options, error);
  if (!error.empty()) {
    std::fprintf(stderr, "wsqconv: %s\n", error.c_str());
    return 1;
  }
  return run_plan(plan, options);
}
