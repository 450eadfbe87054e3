// Worker threads taking the next task number from a shared counter.
#include "cli/pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

size_t run_pool(size_t count, unsigned jobs, const std::function<void(size_t)>& task,
                const std::function<bool()>& stopped, const std::function<void()>& tick, int interval_ms) {
  std::atomic<size_t> next{0};
  std::atomic<size_t> ran{0};
  std::mutex mutex;
  std::condition_variable finished;
  size_t running = std::clamp<size_t>(jobs, 1, std::max<size_t>(count, 1));
  auto work = [&] {
    while (!stopped()) {
      const size_t i = next.fetch_add(1);
      if (i >= count) break;
      task(i);
      ran.fetch_add(1);
    }
    std::lock_guard<std::mutex> lock(mutex);
    --running;
    finished.notify_all();
  };
  std::vector<std::thread> threads;
  const size_t thread_count = running;
  for (size_t i = 0; i < thread_count; ++i) threads.emplace_back(work);
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (running > 0) {
      finished.wait_for(lock, std::chrono::milliseconds(interval_ms));
      if (running == 0) break;
      lock.unlock();
      tick();
      lock.lock();
    }
  }
  for (std::thread& thread : threads) thread.join();
  tick();
  return ran.load();
}
