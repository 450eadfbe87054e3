#include "wsq/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

namespace {

thread_local DiagnosticsSink current_sink;

}  // namespace

void diag_write(std::string_view text) {
  if (current_sink) {
    current_sink(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stderr);
}

void diag_printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length > 0) {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.pop_back();
    diag_write(text);
  }
  va_end(args);
}

ScopedDiagnostics::ScopedDiagnostics(DiagnosticsSink sink)
    : previous_(std::exchange(current_sink, std::move(sink))) {}

ScopedDiagnostics::~ScopedDiagnostics() { current_sink = std::move(previous_); }

CapturedDiagnostics::CapturedDiagnostics()
    : scope_([this](std::string_view text) { text_.append(text); }) {}
