// The wsqconv command: single files, folder runs and inspection through the
// image library.
#include "cli/wsqconv.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "cli/arguments.h"
#include "cli/batch.h"
#include "cli/convert_file.h"
#include "cli/info.h"
#include "cli/interrupt.h"
#include "wsq/diagnostics.h"

namespace {

// Ctrl-C lets the one conversion finish, so no temporary file is left behind.
// The one file's codec uses every core (a folder run keeps one codec thread
// per worker, as its pool already uses every core).
int convert(CliOptions options) {
  const InterruptGuard interrupt;
  options.codec_threads = std::max(1u, std::thread::hardware_concurrency());
  const ConversionResult result = convert_file(options.files[0], options.files[1], options);
  if (!result.ok) std::fprintf(stderr, "wsqconv: %s: %s\n", result.file.c_str(), result.message.c_str());
  if (InterruptGuard::requested()) return 130;
  return result.ok ? 0 : 1;
}

int show_info(const CliOptions& options) {
  int status = 0;
  for (const std::string& file : options.files) {
    if (!print_file_info(file, options)) status = 1;
  }
  return status;
}

int run(const CliOptions& options) {
  if (options.mode == CliMode::Convert && !options.to_extension.empty()) return run_batch(options);
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
