// The signal handler only sets a flag; the workers look at it between files.
#include "cli/interrupt.h"

#include <csignal>

namespace {

// Written by the handler, read by the workers: the one piece of process-wide
// state a signal handler can use.
volatile std::sig_atomic_t interrupt_requested = 0;
struct sigaction previous_int;
struct sigaction previous_term;

void on_signal(int) { interrupt_requested = 1; }

}  // namespace

InterruptGuard::InterruptGuard() {
  interrupt_requested = 0;
  struct sigaction action = {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous_int);
  sigaction(SIGTERM, &action, &previous_term);
}

InterruptGuard::~InterruptGuard() {
  sigaction(SIGINT, &previous_int, nullptr);
  sigaction(SIGTERM, &previous_term, nullptr);
}

bool InterruptGuard::requested() { return interrupt_requested != 0; }
