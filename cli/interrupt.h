#pragma once
// Ctrl-C during a folder run: the first SIGINT (or SIGTERM) asks the run to
// stop starting files; files in flight finish and are kept.
#include <signal.h>

class InterruptGuard {
 public:
  // Installs the handler; the previous one comes back on destruction.
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  static bool requested();

 private:
  struct sigaction previous_int_ = {};
  struct sigaction previous_term_ = {};
};
