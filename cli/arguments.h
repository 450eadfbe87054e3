#pragma once
// The command line of wsqconv, parsed without touching any file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CliMode { Convert, Info, Help };

// Every N-th file of the sorted collection, starting at the K-th (from 1).
struct Shard {
  uint32_t index = 1;  // K
  uint32_t count = 1;  // N
};

struct CliOptions {
  CliMode mode = CliMode::Convert;
  bool quiet = false;
  bool verbose = false;               // codec statistics in directory mode
  double bitrate = 0.75;              // WSQ output, bits per pixel
  std::optional<int32_t> ppi;         // output resolution; default from the source
  std::optional<std::string> comment; // WSQ output
  std::optional<uint64_t> max_pixels;
  std::optional<uint64_t> max_file_size;
  uint32_t codec_threads = 1;         // threads of each WSQ decode and encode
  bool json = false;                  // --info as JSON objects
  // Directory mode (chosen by to_extension).
  std::string to_extension;           // output extension as typed, without a dot
  std::vector<std::string> from_keys; // readable keys allowed; empty = all
  bool recursive = false;
  bool skip_existing = false;
  uint32_t jobs = 0;                  // 0 = every core
  std::optional<std::string> files_from;  // a list file, "-" for standard input
  Shard shard;
  bool progress = false;              // draw the progress line even off a terminal
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

// Parses "K/N" with 1 <= K <= N.
std::optional<Shard> parse_shard(const std::string& text);
