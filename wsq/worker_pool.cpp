#include "wsq/worker_pool.h"

#include <exception>

namespace {

// Tells the processor that the thread is waiting on memory another changes.
inline void wait_a_moment() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

WorkerPool::WorkerPool(int32_t threads) {
  for (int32_t t = 1; t < std::min(threads, kMaxCodecThreads); ++t) {
    try {
      workers_.emplace_back([this, t] { work(t); });
    } catch (const std::exception&) {
      break;  // no more threads or no memory for them: run with those started
    }
  }
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    ++generation_;  // ends the workers' looking
  }
  start_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::run_tasks(int32_t count, TaskRef task) {
  if (count <= 0) return;
  if (workers_.empty() || count == 1) {
    for (int32_t i = 0; i < count; ++i) task(i, 0);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    task_ = task;
    count_ = count;
    next_ = 0;
    done_ = 0;
    ++generation_;
  }
  start_.notify_all();
  take_tasks(0);
  // Waits for the tasks still running, not for workers that took none: a
  // worker that wakes after the last task was taken finds nothing to do.
  // The last tasks mostly end soon after the caller's own: it looks for a
  // while before it sleeps, as the workers do.
  for (int32_t i = 0; i < kSpins && done_.load(std::memory_order_acquire) != count; ++i) {
    wait_a_moment();
  }
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [this] { return done_ == count_; });
}

// Runs tasks until none is left.
void WorkerPool::take_tasks(int32_t thread) {
  std::unique_lock lock(mutex_);
  while (next_ < count_) {
    const int32_t index = next_++;
    const TaskRef task = task_;
    lock.unlock();
    task(index, thread);
    lock.lock();
    if (++done_ == count_) finished_.notify_one();
  }
}

void WorkerPool::work(int32_t thread) {
  uint64_t seen = 0;
  for (;;) {
    // The passes of a transform follow one another closely: a worker that
    // looks for the next run for a short while takes its first task sooner
    // than one woken from sleep.
    for (int32_t i = 0; i < kSpins && generation_.load(std::memory_order_acquire) == seen; ++i) {
      wait_a_moment();
    }
    {
      std::unique_lock lock(mutex_);
      start_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
    }
    take_tasks(thread);
  }
}

