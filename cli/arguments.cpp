#include "cli/arguments.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

bool parse_double(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

bool parse_int(const std::string& text, int32_t& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// Applies one option that takes a value; an error text or empty.
std::string apply_valued(const std::string& name, const std::string& value, CliOptions& options) {
  if (name == "--bitrate") {
    if (!parse_double(value, options.bitrate) || options.bitrate <= 0) return "invalid bitrate: " + value;
  } else if (name == "--ppi") {
    int32_t ppi = 0;
    if (!parse_int(value, ppi) || (ppi < 1 && ppi != -1)) return "invalid ppi: " + value;
    options.ppi = ppi;
  } else {
    options.comment = value;
  }
  return {};
}

std::string check_file_count(const CliOptions& options) {
  if (options.mode == CliMode::Info && options.files.empty()) return "--info needs at least one file";
  if (options.mode == CliMode::Convert && options.files.size() != 2) return "expected INPUT and OUTPUT";
  return {};
}

}  // namespace

ParsedArguments parse_arguments(const std::vector<std::string>& arguments) {
  ParsedArguments parsed;
  CliOptions& options = parsed.options;
  bool options_ended = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (options_ended || argument.size() < 2 || argument[0] != '-') {
      options.files.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help" || argument == "-h") {
      options.mode = CliMode::Help;
      return parsed;
    } else if (argument == "--info") {
      options.mode = CliMode::Info;
    } else if (argument == "--quiet" || argument == "-q") {
      options.quiet = true;
    } else if (argument == "--bitrate" || argument == "--ppi" || argument == "--comment") {
      if (i + 1 == arguments.size()) {
        parsed.error = argument + " needs a value";
        return parsed;
      }
      parsed.error = apply_valued(argument, arguments[++i], options);
      if (!parsed.error.empty()) return parsed;
    } else {
      parsed.error = "unknown option: " + argument;
      return parsed;
    }
  }
  parsed.error = check_file_count(options);
  return parsed;
}

const char* usage_text() {
  return "Usage: wsqconv [options] INPUT OUTPUT\n"
         "       wsqconv [--quiet] --info FILE...\n"
         "\n"
         "Converts INPUT to OUTPUT, each format chosen by its file extension\n"
         "(read: wsq tif png jpg bmp tga cel rgb gif psd iff pcx;\n"
         " write: wsq tif png jpg bmp rgb tga), or prints each FILE's size,\n"
         "depth and, for WSQ files, resolution and comment.\n"
         "\n"
         "Options:\n"
         "  --bitrate R    WSQ output bitrate in bits per pixel (default 0.75)\n"
         "  --ppi N        WSQ output resolution (default: the source's for a\n"
         "                 WSQ source, else 500; -1 records none)\n"
         "  --comment TEXT WSQ output comment\n"
         "  --quiet, -q    no library diagnostics\n"
         "  --help, -h     this text\n"
         "\n"
         "Exit status: 0 success, 1 a file failed, 2 usage error.\n";
}
