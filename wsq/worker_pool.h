#pragma once
// A small pool of threads that lives for one encode or decode. `run` hands
// the tasks 0..count-1 out to the workers and the calling thread and returns
// when all of them are done. Tasks must be independent of each other and of
// the order they run in, so that results are the same for any thread count;
// they write no diagnostics (the sink belongs to the caller's thread).
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool {
 public:
  // `threads` counts the caller's own; values below 1 mean 1 (no workers).
  // Fewer workers are kept if the system refuses to start more.
  explicit WorkerPool(int32_t threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Threads that run tasks, the caller included.
  int32_t size() const { return static_cast<int32_t>(workers_.size()) + 1; }

  // A task gets its index and the number (0..size()-1) of the thread that
  // runs it, for per-thread scratch space.
  using Task = std::function<void(int32_t index, int32_t thread)>;
  void run(int32_t count, const Task& task);

 private:
  void work(int32_t thread);
  void take_tasks(int32_t thread);

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable start_;
  std::condition_variable finished_;
  const Task* task_ = nullptr;
  int32_t count_ = 0;
  int32_t next_ = 0;
  int32_t busy_ = 0;
  uint64_t generation_ = 0;
  bool stopping_ = false;
};

// Runs body(begin, end) over [0, count) in a few pieces per thread of `pool`
// (all of it on the caller's thread when `pool` is null).
void for_each_range(WorkerPool* pool, int64_t count,
                    const std::function<void(int64_t begin, int64_t end)>& body);
