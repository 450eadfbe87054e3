#pragma once
// One file's conversion: load with the caller's limits, keep grey pictures
// grey, carry or override the resolution, save atomically.
#include <cstdint>
#include <string>

#include "cli/arguments.h"

struct ConversionResult {
  bool ok = false;
  std::string file;     // the file a failure concerns (input or output)
  std::string message;  // why it failed
  uint64_t input_bytes = 0;
};

// Converts input to output with the options' WSQ settings, limits and
// resolution. Never leaves a partial output and never touches an existing
// output on failure.
ConversionResult convert_file(const std::string& input, const std::string& output, const CliOptions& options);
