// The signal handler only sets a flag; the workers look at it between files.
#include "cli/interrupt.h"

#include <atomic>
#include <csignal>

namespace {

// Written by the handler, read by the workers: the one piece of process-wide
// state a signal handler can use. A lock-free atomic is safe in a handler
// and between threads.
std::atomic<bool> interrupt_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void on_signal(int) { interrupt_requested.store(true); }

}  // namespace

InterruptGuard::InterruptGuard() {
  interrupt_requested.store(false);
  struct sigaction action = {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous_int_);
  sigaction(SIGTERM, &action, &previous_term_);
}

InterruptGuard::~InterruptGuard() {
  sigaction(SIGINT, &previous_int_, nullptr);
  sigaction(SIGTERM, &previous_term_, nullptr);
}

bool InterruptGuard::requested() { return interrupt_requested.load(); }
