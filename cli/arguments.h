#pragma once
// The command line of wsqconv, parsed without touching any file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CliMode { Convert, Info, Help };

struct CliOptions {
  CliMode mode = CliMode::Convert;
  bool quiet = false;
  double bitrate = 0.75;              // WSQ output, bits per pixel
  std::optional<int32_t> ppi;         // WSQ output; default from the source
  std::optional<std::string> comment; // WSQ output
  std::vector<std::string> files;     // Convert: input, output; Info: one or more
};

struct ParsedArguments {
  CliOptions options;
  std::string error;  // empty when the command line is valid
};

// Parses the arguments that follow the program name.
ParsedArguments parse_arguments(const std::vector<std::string>& arguments);

// The help text.
const char* usage_text();
