// The closing report of a folder run.
#include "cli/summary.h"

Counts count_outcomes(const std::vector<FileOutcome>& outcomes) {
  Counts counts;
  for (const FileOutcome& outcome : outcomes) {
    switch (outcome.outcome) {
      case Outcome::Converted: ++counts.converted; break;
      case Outcome::Failed: ++counts.failed; break;
      case Outcome::Skipped: ++counts.skipped; break;
      case Outcome::NotRun: ++counts.not_run; break;
    }
  }
  return counts;
}

void print_summary(FILE* stream, const std::vector<FileOutcome>& outcomes, bool interrupted) {
  for (const FileOutcome& outcome : outcomes) {
    if (outcome.message.empty()) continue;
    std::fprintf(stream, "wsqconv: %s: %s\n", outcome.file.c_str(), outcome.message.c_str());
  }
  const Counts counts = count_outcomes(outcomes);
  std::fprintf(stream, "%zu converted, %zu failed, %zu skipped\n", counts.converted, counts.failed, counts.skipped);
  if (interrupted) std::fprintf(stream, "wsqconv: interrupted, %zu files not started\n", counts.not_run);
}

int exit_status(const Counts& counts, bool interrupted) {
  if (interrupted) return 130;
  return counts.failed == 0 ? 0 : 1;
}
