// Option parsing with CLI11: the parser collects texts, the checks below turn
// them into values with the program's own messages.
#include "cli/arguments.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "cli/format_keys.h"
#include "imagelib/extension.h"

namespace {

// The option texts as given; empty when absent.
struct RawOptions {
  std::string bitrate, ppi, comment, max_pixels, max_file_size, to, from, jobs, shard, files_from;
};

bool parse_double(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

template <typename Int>
bool parse_int(const std::string& text, Int& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

void add_options(CLI::App& app, CliOptions& options, RawOptions& raw, bool& info) {
  app.add_flag("--info", info);
  app.add_flag("--json", options.json);
  app.add_flag("-q,--quiet", options.quiet);
  app.add_flag("-v,--verbose", options.verbose);
  app.add_option("--bitrate", raw.bitrate);
  app.add_option("--ppi", raw.ppi);
  app.add_option("--comment", raw.comment);
  app.add_option("--max-pixels", raw.max_pixels);
  app.add_option("--max-file-size", raw.max_file_size);
  app.add_option("--to", raw.to);
  app.add_option("--from", raw.from);
  app.add_flag("-r,--recursive", options.recursive);
  app.add_flag("--skip-existing", options.skip_existing);
  app.add_option("-j,--jobs", raw.jobs);
  app.add_option("--files-from", raw.files_from);
  app.add_option("--shard", raw.shard);
  app.add_flag("--progress", options.progress);
  app.add_option("files", options.files);
}

std::string apply_numbers(const RawOptions& raw, CliOptions& options) {
  if (!raw.bitrate.empty() && (!parse_double(raw.bitrate, options.bitrate) || options.bitrate <= 0)) {
    return "invalid bitrate: " + raw.bitrate;
  }
  if (!raw.ppi.empty()) {
    int32_t ppi = 0;
    if (!parse_int(raw.ppi, ppi) || (ppi < 1 && ppi != -1)) return "invalid ppi: " + raw.ppi;
    options.ppi = ppi;
  }
  uint64_t limit = 0;
  if (!raw.max_pixels.empty()) {
    if (!parse_int(raw.max_pixels, limit) || limit == 0) return "invalid --max-pixels: " + raw.max_pixels;
    options.max_pixels = limit;
  }
  if (!raw.max_file_size.empty()) {
    if (!parse_int(raw.max_file_size, limit) || limit == 0) return "invalid --max-file-size: " + raw.max_file_size;
    options.max_file_size = limit;
  }
  if (!raw.jobs.empty() && (!parse_int(raw.jobs, options.jobs) || options.jobs == 0 || options.jobs > 1024)) {
    return "invalid --jobs: " + raw.jobs;
  }
  return {};
}

std::string apply_directory_options(const RawOptions& raw, CliOptions& options) {
  if (!raw.to.empty()) {
    options.to_extension = raw.to[0] == '.' ? raw.to.substr(1) : raw.to;
    if (!is_writable_key(key_of_extension(options.to_extension))) return "cannot write --to " + raw.to;
  }
  std::stringstream list(raw.from);
  for (std::string item; std::getline(list, item, ',');) {
    if (item.empty()) continue;
    const std::string key = key_of_extension(item);
    if (!is_readable_key(key)) return "cannot read --from " + item;
    options.from_keys.push_back(key);
  }
  if (!raw.shard.empty()) {
    const std::optional<Shard> shard = parse_shard(raw.shard);
    if (!shard) return "invalid --shard (K/N with 1 <= K <= N): " + raw.shard;
    options.shard = *shard;
  }
  const bool batch_only = !raw.from.empty() || options.recursive || options.skip_existing ||
                          options.files_from || !raw.shard.empty();
  if (batch_only && options.to_extension.empty()) return "folder options need --to EXT";
  return {};
}

std::string check_file_count(const CliOptions& options) {
  if (options.mode == CliMode::Info && options.files.empty()) return "--info needs at least one file";
  if (options.mode == CliMode::Convert && options.files.size() != 2) {
    return options.to_extension.empty() ? "expected INPUT and OUTPUT" : "expected IN_DIR and OUT_DIR";
  }
  return {};
}

}  // namespace

std::optional<Shard> parse_shard(const std::string& text) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  Shard shard;
  if (!parse_int(text.substr(0, slash), shard.index) || !parse_int(text.substr(slash + 1), shard.count)) {
    return std::nullopt;
  }
  if (shard.index < 1 || shard.index > shard.count) return std::nullopt;
  return shard;
}

ParsedArguments parse_arguments(const std::vector<std::string>& arguments) {
  ParsedArguments parsed;
  CliOptions& options = parsed.options;
  RawOptions raw;
  bool info = false;
  CLI::App app("wsqconv");
  add_options(app, options, raw, info);
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    options.mode = CliMode::Help;
    return parsed;
  } catch (const CLI::ParseError& error) {
    parsed.error = error.what();
    return parsed;
  }
  if (info) options.mode = CliMode::Info;
  if (app.count("--comment") != 0) options.comment = raw.comment;
  if (app.count("--files-from") != 0) options.files_from = raw.files_from;
  parsed.error = apply_numbers(raw, options);
  if (parsed.error.empty()) parsed.error = apply_directory_options(raw, options);
  if (parsed.error.empty()) parsed.error = check_file_count(options);
  return parsed;
}

namespace {

// The keys of a table, lower case, separated by blanks.
std::string key_list(const std::vector<std::string>& keys) {
  std::string list;
  for (const std::string& key : keys) {
    if (!list.empty()) list += ' ';
    for (const char c : key) list += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return list;
}

}  // namespace

const char* usage_text() {
  static const std::string text =
      "Usage: wsqconv [options] INPUT OUTPUT\n"
      "       wsqconv [options] --to EXT [-r] IN_DIR OUT_DIR\n"
      "       wsqconv [--json] --info FILE...\n"
      "\n"
      "Converts INPUT to OUTPUT, each format chosen by its file extension\n"
      "(read: " + key_list(readable_extension_keys()) + ";\n"
      " write: " + key_list(writable_extension_keys()) + "), converts every image\n"
      "in IN_DIR into OUT_DIR as EXT files, or prints each FILE's facts.\n"
      "Grey pictures are written as 8-bit grey where the format allows.\n"
      "\n"
      "Options:\n"
      "  --bitrate R          WSQ output bitrate in bits per pixel (default 0.75)\n"
      "  --ppi N              output resolution (default: the source's; for WSQ\n"
      "                       output from a source without one, 500; -1 none)\n"
      "  --comment TEXT       WSQ output comment\n"
      "  --max-pixels N       refuse images larger than N pixels\n"
      "  --max-file-size B    refuse input files larger than B bytes\n"
      "  --quiet, -q          no library diagnostics\n"
      "  --verbose, -v        codec statistics in folder mode\n"
      "  --help, -h           this text\n"
      "\n"
      "Folder mode:\n"
      "  --to EXT             output format; output name = input stem + .EXT\n"
      "  --from LIST          input formats, e.g. wsq,bmp (default: all readable)\n"
      "  -r, --recursive      include subfolders, mirrored in OUT_DIR\n"
      "  --skip-existing      keep outputs that exist (resume a run)\n"
      "  -j, --jobs N         worker threads (default: every core)\n"
      "  --files-from LIST    convert the paths listed in LIST (- = stdin),\n"
      "                       relative to IN_DIR or absolute inside it\n"
      "  --shard K/N          take every N-th file of the sorted set, from the K-th\n"
      "  --progress           progress line even when stderr is not a terminal\n"
      "\n"
      "Info:\n"
      "  --info               one line per file\n"
      "  --json               one JSON object per line instead\n"
      "\n"
      "Exit status: 0 success, 1 a file failed, 2 usage error, 130 interrupted.\n";
  return text.c_str();
}
