#pragma once
// What a folder run did with each file, and its closing report.
#include <cstdio>
#include <string>
#include <vector>

enum class Outcome { NotRun, Converted, Failed, Skipped };

struct FileOutcome {
  Outcome outcome = Outcome::NotRun;
  std::string file;     // the file a message concerns
  std::string message;  // failure or reason for a reported skip; empty for a silent skip
};

struct Counts {
  size_t converted = 0, failed = 0, skipped = 0, not_run = 0;
};

Counts count_outcomes(const std::vector<FileOutcome>& outcomes);

// "wsqconv: FILE: MESSAGE" for each failure and reported skip, in order, then
// "N converted, M failed, K skipped" (and how many were not started after an
// interruption).
void print_summary(FILE* stream, const std::vector<FileOutcome>& outcomes, bool interrupted);

// 130 after an interruption, else 0 when nothing failed, else 1.
int exit_status(const Counts& counts, bool interrupted);
