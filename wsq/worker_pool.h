#pragma once
// A small pool of threads that lives for one encode or decode. `run` hands
// the tasks 0..count-1 out to the workers and the calling thread and returns
// when all of them are done. Tasks must be independent of each other and of
// the order they run in, so that results are the same for any thread count;
// they write no diagnostics (the sink belongs to the caller's thread).
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// More threads than this gain nothing and would only cost stacks and
// scratch space; larger counts are held to it.
inline constexpr int32_t kMaxCodecThreads = 64;

class WorkerPool {
 public:
  // `threads` counts the caller's own; values below 1 mean 1 (no workers),
  // values above kMaxCodecThreads mean kMaxCodecThreads. Fewer workers are
  // kept if the system refuses to start more.
  explicit WorkerPool(int32_t threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // Threads that run tasks, the caller included.
  int32_t size() const { return static_cast<int32_t>(workers_.size()) + 1; }

  // Calls task(index, thread) for every index; `thread` (0..size()-1)
  // names the thread that runs it, for per-thread scratch space. The task
  // is only referred to, never copied, so running allocates nothing.
  template <class Task>
  void run(int32_t count, const Task& task) {
    run_tasks(count, {&task, [](const void* context, int32_t index, int32_t thread) {
                        (*static_cast<const Task*>(context))(index, thread);
                      }});
  }

 private:
  struct TaskRef {
    const void* context;
    void (*call)(const void* context, int32_t index, int32_t thread);
    void operator()(int32_t index, int32_t thread) const { call(context, index, thread); }
  };

  void run_tasks(int32_t count, TaskRef task);
  void work(int32_t thread);
  void take_tasks(int32_t thread);

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable start_;
  std::condition_variable finished_;
  TaskRef task_{};
  int32_t count_ = 0;
  int32_t next_ = 0;
  // Tasks of this run finished; changed under the lock, read outside it
  // by a caller looking for the end of its run.
  std::atomic<int32_t> done_{0};
  // Counts the runs (and the stop); atomic so that workers can look for
  // the next run before they sleep, outside the lock.
  std::atomic<uint64_t> generation_{0};
  static constexpr int32_t kSpins = 4000;
  bool stopping_ = false;
};

// Runs body(begin, end) over [0, count) in a few pieces per thread of `pool`
// (all of it on the caller's thread when `pool` is null).
template <class Body>
void for_each_range(WorkerPool* pool, int64_t count, const Body& body) {
  if (count <= 0) return;
  const int64_t pieces = pool ? std::min<int64_t>(count, 4 * pool->size()) : 1;
  if (pieces == 1) {
    body(int64_t{0}, count);
    return;
  }
  pool->run(static_cast<int32_t>(pieces), [&](int32_t piece, int32_t) {
    body(count * piece / pieces, count * (piece + 1) / pieces);
  });
}
