#pragma once
// Where the codec and the image library write their diagnostic texts (the
// described "standard error stream"). Each thread has a current sink, stderr
// unless a ScopedDiagnostics redirects it (the CLI's --quiet, tests).
#include <functional>
#include <string>
#include <string_view>

using DiagnosticsSink = std::function<void(std::string_view)>;

// Writes text to the current thread's sink, as it stands.
void diag_write(std::string_view text);

// printf-style formatting into the current thread's sink.
void diag_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Redirects this thread's diagnostics for the lifetime of the object.
class ScopedDiagnostics {
 public:
  explicit ScopedDiagnostics(DiagnosticsSink sink);
  ~ScopedDiagnostics();
  ScopedDiagnostics(const ScopedDiagnostics&) = delete;
  ScopedDiagnostics& operator=(const ScopedDiagnostics&) = delete;

 private:
  DiagnosticsSink previous_;
};

// Collects diagnostics into a string while alive (for tests and callers that
// want the texts).
class CapturedDiagnostics {
 public:
  CapturedDiagnostics();
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  ScopedDiagnostics scope_;
};
