// The wsqconv command: conversion and inspection through the image library.
#include "cli/wsqconv.h"

#include <cstdio>
#include <memory>
#include <string>

#include "cli/arguments.h"
#include "imagelib/extension.h"
#include "imagelib/image_library.h"
#include "wsq/diagnostics.h"

namespace {

constexpr int32_t kDefaultPpi = 500;

int report_failure(const std::string& file) {
  std::fprintf(stderr, "wsqconv: %s: %s\n", file.c_str(), get_last_error_message());
  return 1;
}

bool is_wsq(const std::string& filename) { return extension_key(filename) == "WSQ"; }

int convert(const CliOptions& options) {
  const std::string& input = options.files[0];
  const std::string& output = options.files[1];
  ImageRecord image;
  ImageInfo loaded;
  if (load_image(input, image, &loaded) != NoError) return report_failure(input);
  ImageInfo saving;
  saving.bitrate = options.bitrate;
  saving.ppi = options.ppi.value_or(is_wsq(input) ? loaded.ppi : kDefaultPpi);
  saving.comment = options.comment;
  const ImageInfo* info = is_wsq(output) ? &saving : nullptr;
  if (save_image(image, output, info) != NoError) return report_failure(output);
  return 0;
}

void print_info(const std::string& file, const ImageRecord& image, const ImageInfo& info) {
  std::printf("%s: width = %u, height = %u", file.c_str(), image.width, image.height);
  if (!is_wsq(file)) {
    std::printf(", depth = %u\n", image.bits_per_pixel);
    return;
  }
  if (info.ppi == -1) {
    std::printf(", dpi unknown");
  } else {
    std::printf(", dpi = %d", info.ppi);
  }
  std::printf(", depth = %u, Comments: %s\n", info.depth_or_quality, info.comment.value_or("").c_str());
}

int show_info(const CliOptions& options) {
  int status = 0;
  for (const std::string& file : options.files) {
    ImageRecord image;
    ImageInfo info;
    if (load_image(file, image, &info) != NoError) {
      status = report_failure(file);
      continue;
    }
    print_info(file, image, info);
  }
  return status;
}

int run(const CliOptions& options) {
  std::unique_ptr<ScopedDiagnostics> silence;
  if (options.quiet) silence = std::make_unique<ScopedDiagnostics>([](std::string_view) {});
  return options.mode == CliMode::Info ? show_info(options) : convert(options);
}

}  // namespace

int run_wsqconv(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const ParsedArguments parsed = parse_arguments(arguments);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "wsqconv: %s\nTry 'wsqconv --help'.\n", parsed.error.c_str());
    return 2;
  }
  if (parsed.options.mode == CliMode::Help) {
    std::fputs(usage_text(), stdout);
    return 0;
  }
  return run(parsed.options);
}
